// The SGI image reader: the open file, the decoded picture and the steps between.
#pragma once

#include <cstdio>

// The largest picture the reader accepts. The game's own are 1024 wide; anything
// past these is a broken header, and refusing it keeps the allocation bounded.
constexpr int kMaxImageSide = 8192;
constexpr unsigned long kMaxImageBytes = 8192UL * 8192UL * 4UL;
constexpr int kImageHeaderSize = 512; // pixel data or the run-length tables start here
constexpr int kImageNameSize = 256;

// An image file being read.
struct rawImageRec {
  unsigned short imagic;
  unsigned short type; // high byte 1: run-length encoded; low byte: bytes per channel
  unsigned short dim;
  unsigned short sizeX, sizeY, sizeZ;
  FILE *file;
  unsigned long fileSize;
  unsigned char *tmp;    // one row of one channel, expanded
  unsigned char *packed; // one run-length row as stored
  unsigned long packedSize;
  unsigned int *rowStart; // run-length tables, indexed y + z * sizeY
  unsigned int *rowSize;
  char name[kImageNameSize]; // for the failure lines
};

// A decoded picture: channels interleaved, rows bottom first, no row padding.
struct TK_RGBImageRec {
  int sizeX, sizeY;
  int components;
  unsigned char *data;
};

// Each step that fails says why on standard error, naming the file, and frees
// what it took. RawImageOpenFile takes the file over, also when it fails.
rawImageRec *RawImageOpen(const char *fileName);
rawImageRec *RawImageOpenFile(FILE *file, const char *name);
bool RawImageGetRow(rawImageRec *raw, unsigned char *buf, int y, int z);
bool RawImageGetData(rawImageRec *raw, TK_RGBImageRec *final);
void RawImageClose(rawImageRec *raw);

// The picture in the named file (or the open one), or null after "Image not allocated!".
TK_RGBImageRec *tkRGBImageLoad(const char *fileName);
TK_RGBImageRec *tkRGBImageLoadFile(FILE *file, const char *name);
void FreeImage(TK_RGBImageRec *image);

// Builds every mipmap level of the bound 2-D texture from the file; false when
// the picture could not be had and the texture stays as it was.
bool LoadRGBMipmaps(const char *imageFile, int intFormat);
void LoadTextures();
