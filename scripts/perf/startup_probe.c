/* Loaded into the game by scripts/perf.sh (LD_PRELOAD), never built into it: notes, on the
 * realtime clock, when the start-up box is raised and answered and when the window is updated,
 * so that the start-up time can be read from outside without a clock in the game. Lines go to
 * the file named by KAVREL_PROBE_LOG: "box <ns>", "answered <ns>", "update <ns>". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static void note(const char* what) {
  const char* path = getenv("KAVREL_PROBE_LOG");
  if (!path) return;
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  FILE* f = fopen(path, "a");
  if (!f) return;
  fprintf(f, "%s %lld\n", what, (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec);
  fclose(f);
}

int SDL_ShowSimpleMessageBox(uint32_t flags, const char* title, const char* text, void* window) {
  static int (*real)(uint32_t, const char*, const char*, void*);
  if (!real) *(void**)&real = dlsym(RTLD_NEXT, "SDL_ShowSimpleMessageBox");
  note("box");
  const int result = real(flags, title, text, window);
  note("answered");
  return result;
}

int SDL_UpdateWindowSurface(void* window) {
  static int (*real)(void*);
  if (!real) *(void**)&real = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
  const int result = real(window);
  note("update");
  return result;
}

int SDL_UpdateWindowSurfaceRects(void* window, const void* rects, int count) {
  static int (*real)(void*, const void*, int);
  if (!real) *(void**)&real = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurfaceRects");
  const int result = real(window, rects, count);
  note("update");
  return result;
}
