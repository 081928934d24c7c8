#include "platform/LeakCheck.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sanitizer/lsan_interface.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace corvane::platform {

namespace {

// Keeps a loaded library loaded for the rest of the process.
int KeepLoaded(dl_phdr_info* info, std::size_t, void*) {
  if (info->dlpi_name && info->dlpi_name[0]) ::dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

// The names of the process's threads other than the calling one.
std::string OtherThreads() {
  std::string names;
  DIR* tasks = ::opendir("/proc/self/task");
  if (!tasks) return names;
  const std::string self = std::to_string(::gettid());
  while (dirent* entry = ::readdir(tasks)) {
    std::string id = entry->d_name;
    if (id == "." || id == ".." || id == self) continue;
    std::string name;
    std::ifstream(std::string("/proc/self/task/") + id + "/comm") >> name;
    names += (names.empty() ? "" : ", ") + name + " (" + id + ")";
  }
  ::closedir(tasks);
  return names;
}

}  // namespace

void CheckLeaksAfter(void (*shutDown)()) {
  ::dl_iterate_phdr(KeepLoaded, nullptr);
  shutDown();
  // Threads that were joined may still be leaving the kernel for a moment.
  for (int i = 0; i < 1000 && !OtherThreads().empty(); ++i) ::usleep(10000);
  std::string others = OtherThreads();
  if (!others.empty())
    std::fprintf(stderr, "threads still running at the leak check: %s\n", others.c_str());
  __lsan_do_leak_check();
}

}  // namespace corvane::platform
