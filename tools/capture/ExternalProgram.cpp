#include "ExternalProgram.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace corvane::capture {

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string directories = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    // An empty entry means the working directory.
    const std::string directory = end > start ? directories.substr(start, end - start) : std::string(".");
    const std::string candidate = directory + "/" + name;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

int RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& cancelled) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawn(&child, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  // Polled, so that an interruption that came just before the wait still
  // ends the child with us.
  int status = 0;
  bool stopped = false;
  for (;;) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0 && errno != EINTR) return -1;
    if (!stopped && cancelled && cancelled()) {
      ::kill(child, SIGTERM);
      stopped = true;
    }
    ::usleep(20'000);
  }
  if (stopped || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace corvane::capture
