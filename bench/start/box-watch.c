/* Starts a program on the X display and tells how long it takes until a
 * window with a given name is mapped (the time it is mapped, its name read
 * then or within a second): the time a user waits from starting it
 * to seeing that window. The program is then ended, with its process group.
 * Usage: box-watch NAME PROGRAM [ARGUMENTS...]; prints the milliseconds. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

/* A window can be gone before it is looked at; that is no error here. */
static int IgnoreError(Display* display, XErrorEvent* error) {
  (void)display;
  (void)error;
  return 0;
}

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Whether the window or one of its children (a window manager's frame holds
 * the program's window) has the name. */
static int Named(Display* display, Window window, const char* name) {
  /* The name in any encoding: an ASCII name has the same bytes in each. */
  XTextProperty title = {0};
  int found = XGetWMName(display, window, &title) && title.value && title.nitems == strlen(name) &&
              memcmp(title.value, name, title.nitems) == 0;
  if (title.value) XFree(title.value);
  Window root, parent, *children = NULL;
  unsigned count = 0;
  if (!found && XQueryTree(display, window, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !found; ++i) found = Named(display, children[i], name);
  }
  if (children) XFree(children);
  return found;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: box-watch NAME PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "box-watch: no display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreError);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  const double start = Now();
  const pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 1;
  const int fd = ConnectionNumber(display);
  while (Now() - start < 30000) {
    if (!XPending(display)) {
      fd_set read;
      FD_ZERO(&read);
      FD_SET(fd, &read);
      struct timeval wait = {0, 100000};
      select(fd + 1, &read, NULL, NULL, &wait);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != MapNotify) continue;
    /* The time the window is shown; its name may come just after that. */
    const double shown = Now() - start;
    int named = 0;
    for (int tries = 0; tries < 100 && !named; ++tries) {
      named = Named(display, event.xmap.window, argv[1]);
      if (!named) usleep(10000);
    }
    if (named) {
      printf("%.1f\n", shown);
      status = 0;
      break;
    }
  }
  fflush(stdout);
  /* A program inside a modal box cannot end in order; the second SIGTERM
   * ends it at once, and the box's own process (if it has one) goes with
   * the group. */
  kill(-child, SIGTERM);
  usleep(100000);
  kill(-child, SIGTERM);
  usleep(100000);
  kill(-child, SIGKILL);
  waitpid(child, NULL, 0);
  return status;
}
