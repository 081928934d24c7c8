#include "SdlEndRequests.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "platform/AbruptEnd.h"

namespace corvane::platform {

namespace {

std::thread watcher;
int signalFd = -1;
int stopFd = -1;
std::atomic<int> received{0};

sigset_t EndSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

void OnEndSignal(int signal) {
  if (received.fetch_add(1) == 0) {
    // The event loop turns the count into its quit event; this only wakes it
    // if it is waiting.
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
    return;
  }
  char line[96];
  std::snprintf(line, sizeof line, "corvane: %s again before the intro could end in order: ending now",
                SignalName(signal));
  EndAbruptly(line, 128 + signal);
}

void Watch() {
  pollfd fds[2] = {{signalFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    signalfd_siginfo info{};
    if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
      OnEndSignal(static_cast<int>(info.ssi_signo));
  }
}

int OnDisplayLost(Display*) {
  EndAbruptly("corvane: the connection to the display was lost: ending", 1);
}

XErrorHandler previousErrorHandler = nullptr;

// SDL wakes the thread waiting for events by sending a message to the
// window it waits on, from a connection of its own. A wake-up sent as the
// window closes (the intro ending while another thread adds an event) can
// reach the server after the window is gone, and the server answers with
// an error, which arrives when SDL closes that connection. It is harmless,
// but Xlib's default handler would end the program with code 1 at its last
// step; every other error goes on to the handler that was there before.
int OnProtocolError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

}  // namespace

void StartWatchingEndSignals() {
  if (watcher.joinable()) return;
  sigset_t set = EndSignals();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
  signalFd = ::signalfd(-1, &set, SFD_CLOEXEC);
  stopFd = ::eventfd(0, EFD_CLOEXEC);
  if (signalFd < 0 || stopFd < 0) {
    // Without a way to watch, the signals keep their usual effect.
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    if (signalFd >= 0) ::close(signalFd);
    if (stopFd >= 0) ::close(stopFd);
    signalFd = stopFd = -1;
    return;
  }
  received = 0;
  watcher = std::thread(Watch);
}

void StopWatchingEndSignals() {
  if (!watcher.joinable()) return;
  std::uint64_t one = 1;
  if (::write(stopFd, &one, sizeof one) == static_cast<ssize_t>(sizeof one)) watcher.join();
  else watcher.detach();
  ::close(signalFd);
  ::close(stopFd);
  signalFd = stopFd = -1;
}

int EndSignalsReceived() { return received.load(); }

void WatchDisplayConnection() { XSetIOErrorHandler(OnDisplayLost); }

void IgnoreWakeUpsToClosedWindows() {
  XErrorHandler previous = XSetErrorHandler(OnProtocolError);
  if (previous != OnProtocolError) previousErrorHandler = previous;
}

}  // namespace corvane::platform
