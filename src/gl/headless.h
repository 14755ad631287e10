// What the headless graphics backend recorded: the window callbacks installed
// last and a few counters tests look at.
#pragma once

struct HeadlessState {
  void (*display)();
  void (*keyboard)(unsigned char, int, int);
  void (*special)(int, int, int);
  void (*idle)();
  void (*mouse)(int, int, int, int);
  void (*motion)(int, int);
  void (*passiveMotion)(int, int);
  void (*reshape)(int, int);
  void (*visibility)(int);
  int windowWidth, windowHeight;
  int fullScreen;
  int redisplays;
  int swaps;
  int cursor;
  double frustum[6];
  int viewport[4];
  unsigned enabled[8];   // capabilities seen in glEnable, most recent first
  int matrixDepth;       // glPushMatrix minus glPopMatrix
  int beginCount;        // glBegin calls
  unsigned boundTexture; // last glBindTexture name
  // The last gluBuild2DMipmaps call, and every texture name below 32 that got one.
  int mipmapBuilds;
  unsigned mipmapTexture; // the name bound at the time
  int mipmapInternalFormat, mipmapWidth, mipmapHeight;
  unsigned mipmapFormat, mipmapType;
  unsigned texturesBuilt; // bit n: texture name n
};

HeadlessState &headlessState();
void headlessReset();
