// A graphics backend that draws nothing: it lets every rule of the game run in
// tests and tools with no display, and records the window callbacks it is given.
#include "../inclGL.h"
#include "headless.h"

#include <cstring>

static HeadlessState state;

HeadlessState &headlessState() { return state; }
void headlessReset() { std::memset(&state, 0, sizeof state); }

extern "C" {
// ---- GL ----
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glEnable(GLenum cap) {
  std::memmove(state.enabled + 1, state.enabled, sizeof state.enabled - sizeof state.enabled[0]);
  state.enabled[0] = cap;
}
void glDisable(GLenum) {}
void glLightfv(GLenum, GLenum, const GLfloat *) {}
void glBlendFunc(GLenum, GLenum) {}
void glPointSize(GLfloat) {}
void glLineWidth(GLfloat) {}
void glPushMatrix() { state.matrixDepth++; }
void glPopMatrix() { state.matrixDepth--; }
void glScalef(GLfloat, GLfloat, GLfloat) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glColor3f(GLfloat, GLfloat, GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glBegin(GLenum) { state.beginCount++; }
void glEnd() {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  state.viewport[0] = x;
  state.viewport[1] = y;
  state.viewport[2] = w;
  state.viewport[3] = h;
}
void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  double v[6] = {l, r, b, t, n, f};
  std::memcpy(state.frustum, v, sizeof v);
}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glFlush() {}
void glFinish() {}
void glBindTexture(GLenum, GLuint name) { state.boundTexture = name; }
void glTexParameteri(GLenum, GLenum, GLint) {}
void glPixelStorei(GLenum, GLint) {}
void glTexEnvi(GLenum, GLenum, GLint) {}
void glMaterialfv(GLenum, GLenum, const GLfloat *) {}
void glColorMaterial(GLenum, GLenum) {}
void glShadeModel(GLenum) {}
void glHint(GLenum, GLenum) {}
GLenum glGetError() { return GL_NO_ERROR; }

// ---- GLU ----
GLint gluBuild2DMipmaps(GLenum, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void *) {
  state.mipmapBuilds++;
  state.mipmapTexture = state.boundTexture;
  state.mipmapInternalFormat = internalFormat;
  state.mipmapWidth = width;
  state.mipmapHeight = height;
  state.mipmapFormat = format;
  state.mipmapType = type;
  if (state.boundTexture < 32) state.texturesBuilt |= 1u << state.boundTexture;
  return 0;
}

// ---- GLUT ----
void glutInit(int *, char **) {}
void glutInitWindowSize(int w, int h) {
  state.windowWidth = w;
  state.windowHeight = h;
}
void glutInitWindowPosition(int, int) {}
void glutInitDisplayMode(unsigned int) {}
int glutCreateWindow(const char *) { return 1; }
void glutFullScreen() { state.fullScreen = 1; }
void glutDisplayFunc(void (*f)()) { state.display = f; }
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { state.keyboard = f; }
void glutSpecialFunc(void (*f)(int, int, int)) { state.special = f; }
void glutIdleFunc(void (*f)()) { state.idle = f; }
void glutMouseFunc(void (*f)(int, int, int, int)) { state.mouse = f; }
void glutMotionFunc(void (*f)(int, int)) { state.motion = f; }
void glutPassiveMotionFunc(void (*f)(int, int)) { state.passiveMotion = f; }
void glutReshapeFunc(void (*f)(int, int)) { state.reshape = f; }
void glutVisibilityFunc(void (*f)(int)) { state.visibility = f; }
void glutMainLoop() {}
void glutPostRedisplay() { state.redisplays++; }
void glutSwapBuffers() { state.swaps++; }
void glutSolidSphere(GLdouble, GLint, GLint) {}
void glutWireSphere(GLdouble, GLint, GLint) {}
void glutSetCursor(int c) { state.cursor = c; }
int glutGet(GLenum) { return 0; }
}
