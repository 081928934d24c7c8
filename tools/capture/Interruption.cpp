#include "Interruption.h"

#include <csignal>
#include <cstdlib>

namespace corvane::capture {

namespace {

volatile std::sig_atomic_t noted = 0;

extern "C" void NoteInterruption(int signal) {
  if (noted == 0) noted = signal;
}

}  // namespace

void CatchInterruptions() {
  struct sigaction action {};
  action.sa_handler = NoteInterruption;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking call returns at once
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int InterruptionSignal() { return noted; }

void EndByInterruption() {
  const int signal = noted;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);
}

}  // namespace corvane::capture
