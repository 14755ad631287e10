// The fuzz targets' scratch folder: made, entered, and left clean at exit.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// pattern: a mkdtemp pattern the target keeps; leave removes what the target wrote there.
inline void EnterScratch(char *pattern, void (*leave)()) {
  if (!mkdtemp(pattern) || chdir(pattern) != 0) {
    std::perror(pattern);
    std::abort();
  }
  std::atexit(leave);
}
