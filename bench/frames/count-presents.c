/* Preloaded into the intro by scripts/measure-frames.sh: notes the wall-clock
 * time of every picture presented (every SDL_RenderPresent) and writes them,
 * one a line in seconds, to $PRESENT_LOG when the program ends. Nothing of
 * the intro changes; the counting costs one clock read a frame. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double stamps[1 << 18]; /* over an hour of frames */
static unsigned count;

void SDL_RenderPresent(void* renderer) {
  static void (*real)(void*);
  if (!real) real = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
  real(renderer);
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  if (count < sizeof stamps / sizeof stamps[0]) stamps[count++] = (double)now.tv_sec + now.tv_nsec * 1e-9;
}

__attribute__((destructor)) static void WriteLog(void) {
  const char* path = getenv("PRESENT_LOG");
  FILE* log = path ? fopen(path, "w") : NULL;
  if (!log) return;
  for (unsigned i = 0; i < count; ++i) fprintf(log, "%.6f\n", stamps[i]);
  fclose(log);
}
