// The one place the game reaches OpenGL, GLU and GLUT. The game links the real
// libraries; tests and tools link the headless backend in src/gl/headless.cpp.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <GL/freeglut_ext.h> // glutCloseFunc
