// What the headless graphics backend recorded: the window callbacks installed
// last and a few counters tests look at.
#pragma once

#include <vector>

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
  int ignoreKeyRepeat;
  int redisplays;
  int swaps;
  int cursor;
  double frustum[6];
  int viewport[4];
  int matrixDepth;       // glPushMatrix minus glPopMatrix
  int beginCount;        // glBegin calls
  unsigned boundTexture; // last glBindTexture name
  float color[4];        // current colour
  float clearColor[4];   // last glClearColor
  // The last gluBuild2DMipmaps call, and every texture name below 32 that got one.
  int mipmapBuilds;
  unsigned mipmapTexture; // the name bound at the time
  int mipmapInternalFormat, mipmapWidth, mipmapHeight;
  unsigned mipmapFormat, mipmapType;
  unsigned texturesBuilt; // bit n: texture name n
  unsigned readBuffer;    // last glReadBuffer
  int swapsAtRead;        // swaps done when glReadPixels last ran
  int packAlignment;      // GL_PACK_ALIGNMENT; 0 stands for GL's default of 4
  void (*keyboardUp)(unsigned char, int, int);
  int attribDepth;        // glPushAttrib minus glPopAttrib
  int drawnPixelsWidth, drawnPixelsHeight; // the last glDrawPixels
  void (*close)();                         // glutCloseFunc: the window is being closed
};

// A vertex as drawn: position after the current translate/scale, texture point, colour.
struct HeadlessVertex {
  float x, y, z;
  float s, t;
  unsigned primitive; // the glBegin mode it belongs to
  int begin;          // which glBegin call: the vertices of one strip share it
  float color[4];
};

// A GLUT sphere as drawn: its centre after the current translate/scale, radius, colour.
struct HeadlessSphere {
  float x, y;
  double radius;
  bool solid;
  float color[4];
};

HeadlessState &headlessState();
void headlessReset();
bool headlessEnabled(unsigned cap);          // glEnable/glDisable state
const std::vector<HeadlessVertex> &headlessVertices();
const std::vector<HeadlessSphere> &headlessSpheres();
void headlessClearVertices(); // and the spheres
// The colour glReadPixels finds at window pixel (x, y), y counted from the bottom.
void headlessPixel(int x, int y, unsigned char rgb[3]);
// The RGB bytes the last glDrawPixels wrote, bottom row first.
const std::vector<unsigned char> &headlessDrawnPixels();
