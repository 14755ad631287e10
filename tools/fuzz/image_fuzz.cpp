// Fuzz target: the SGI reader on any bytes, read from memory as it reads a file.
#include "readtex.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0; // an empty memory file cannot be opened; the tests cover empty files
  FILE *in = fmemopen(const_cast<uint8_t *>(data), size, "rb");
  if (!in) return 0;
  TK_RGBImageRec *image = tkRGBImageLoadFile(in, "fuzz.sgi");
  if (!image) return 0;
  if (image->sizeX < 1 || image->sizeY < 1 || image->components < 1) std::abort();
  // Touch every byte the picture claims, so a short allocation shows.
  const size_t bytes = static_cast<size_t>(image->sizeX) * image->sizeY * image->components;
  unsigned sum = 0;
  for (size_t i = 0; i < bytes; i++)
    sum += image->data[i];
  volatile unsigned keep = sum;
  (void)keep;
  FreeImage(image);
  return 0;
}
