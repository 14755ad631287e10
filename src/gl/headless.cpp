// A graphics backend that draws nothing: it lets every rule of the game run in
// tests and tools with no display, and records the window callbacks it is given.
#include "../inclGL.h"
#include "headless.h"

#include <algorithm>
#include <cstring>

static HeadlessState state;

// Capabilities switched on, and the vertices drawn since the last clear.
static std::vector<unsigned> enabledCaps;
static std::vector<HeadlessVertex> vertices;
static std::vector<HeadlessSphere> spheres;
static std::vector<unsigned char> drawnPixels;
// What glPushAttrib keeps of the enables and the current colour.
struct Attributes {
  std::vector<unsigned> caps;
  float color[4];
};
static std::vector<Attributes> attributes;
static unsigned primitive;
static float texS, texT;

// A plain translate/scale stack, enough to place drawn vertices.
struct Transform {
  float tx, ty, tz, sx, sy, sz;
};
static std::vector<Transform> stack(1, Transform{0, 0, 0, 1, 1, 1});

HeadlessState &headlessState() { return state; }
void headlessReset() {
  std::memset(&state, 0, sizeof state);
  enabledCaps.clear();
  vertices.clear();
  spheres.clear();
  drawnPixels.clear();
  attributes.clear();
  stack.assign(1, Transform{0, 0, 0, 1, 1, 1});
}
bool headlessEnabled(unsigned cap) {
  return std::find(enabledCaps.begin(), enabledCaps.end(), cap) != enabledCaps.end();
}
const std::vector<HeadlessVertex> &headlessVertices() { return vertices; }
const std::vector<HeadlessSphere> &headlessSpheres() { return spheres; }
const std::vector<unsigned char> &headlessDrawnPixels() { return drawnPixels; }
void headlessClearVertices() {
  vertices.clear();
  spheres.clear();
}
void headlessPixel(int x, int y, unsigned char rgb[3]) {
  rgb[0] = static_cast<unsigned char>(x);
  rgb[1] = static_cast<unsigned char>(y);
  rgb[2] = static_cast<unsigned char>(x * 7 + y * 13);
}

static void addVertex(float x, float y, float z) {
  if (vertices.size() >= (1u << 20)) vertices.clear(); // long runs keep only recent drawing
  const Transform &m = stack.back();
  const float *c = state.color;
  vertices.push_back({m.tx + m.sx * x, m.ty + m.sy * y, m.tz + m.sz * z, texS, texT, primitive,
                      state.beginCount, {c[0], c[1], c[2], c[3]}});
}

static void addSphere(double radius, bool solid) {
  if (spheres.size() >= (1u << 16)) spheres.clear();
  const Transform &m = stack.back();
  const float *c = state.color;
  spheres.push_back({m.tx, m.ty, radius * m.sx, solid, {c[0], c[1], c[2], c[3]}});
}

extern "C" {
// ---- GL ----
void glClear(GLbitfield) {}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  state.clearColor[0] = r, state.clearColor[1] = g, state.clearColor[2] = b, state.clearColor[3] = a;
}
void glEnable(GLenum cap) {
  if (!headlessEnabled(cap)) enabledCaps.push_back(cap);
}
void glDisable(GLenum cap) {
  enabledCaps.erase(std::remove(enabledCaps.begin(), enabledCaps.end(), cap), enabledCaps.end());
}
void glLightfv(GLenum, GLenum, const GLfloat *) {}
void glBlendFunc(GLenum, GLenum) {}
void glPointSize(GLfloat) {}
void glLineWidth(GLfloat) {}
void glPushMatrix() {
  state.matrixDepth++;
  stack.push_back(stack.back());
}
void glPopMatrix() {
  state.matrixDepth--;
  if (stack.size() > 1) stack.pop_back();
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  Transform &m = stack.back();
  m.sx *= x, m.sy *= y, m.sz *= z;
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Transform &m = stack.back();
  m.tx += m.sx * x, m.ty += m.sy * y, m.tz += m.sz * z;
}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  state.color[0] = r, state.color[1] = g, state.color[2] = b, state.color[3] = a;
}
void glBegin(GLenum mode) {
  state.beginCount++;
  primitive = mode;
}
void glEnd() {}
void glVertex2f(GLfloat x, GLfloat y) { addVertex(x, y, 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { addVertex(x, y, z); }
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glTexCoord2f(GLfloat s, GLfloat t) { texS = s, texT = t; }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  state.viewport[0] = x;
  state.viewport[1] = y;
  state.viewport[2] = w;
  state.viewport[3] = h;
}
void glMatrixMode(GLenum) {}
// The model-view matrix is the current translate/scale; the projection is left as identity.
void glGetDoublev(GLenum name, GLdouble *m) {
  for (int k = 0; k < 16; k++) m[k] = k % 5 == 0 ? 1 : 0;
  if (name != GL_MODELVIEW_MATRIX) return;
  const Transform &t = stack.back();
  m[0] = t.sx, m[5] = t.sy, m[10] = t.sz, m[12] = t.tx, m[13] = t.ty, m[14] = t.tz;
}
void glGetIntegerv(GLenum name, GLint *v) {
  if (name == GL_VIEWPORT) std::memcpy(v, state.viewport, sizeof state.viewport);
}
void glLoadIdentity() { stack.back() = Transform{0, 0, 0, 1, 1, 1}; }
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  double v[6] = {l, r, b, t, n, f};
  std::memcpy(state.frustum, v, sizeof v);
}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glFlush() {}
void glFinish() {}
void glBindTexture(GLenum, GLuint name) { state.boundTexture = name; }
void glTexParameteri(GLenum, GLenum, GLint) {}
void glPixelStorei(GLenum name, GLint value) {
  if (name == GL_PACK_ALIGNMENT) state.packAlignment = value;
}
void glReadBuffer(GLenum mode) { state.readBuffer = mode; }
// Rows padded to the pack alignment, as GL pads them.
void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type,
                  void *pixels) {
  state.swapsAtRead = state.swaps;
  if (type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA)) return;
  const size_t channels = format == GL_RGB ? 3 : 4;
  const size_t align = state.packAlignment > 0 ? static_cast<size_t>(state.packAlignment) : 4;
  const size_t stride = (static_cast<size_t>(w) * channels + align - 1) / align * align;
  auto *out = static_cast<unsigned char *>(pixels);
  for (GLint row = 0; row < h; row++)
    for (GLint col = 0; col < w; col++) {
      unsigned char *p = out + size_t(row) * stride + size_t(col) * channels;
      headlessPixel(x + col, y + row, p);
      if (channels == 4) p[3] = 255;
    }
}
void glPushAttrib(GLbitfield) {
  state.attribDepth++;
  Attributes a{enabledCaps, {}};
  std::memcpy(a.color, state.color, sizeof a.color);
  attributes.push_back(a);
}
void glPopAttrib() {
  state.attribDepth--;
  if (attributes.empty()) return;
  enabledCaps = attributes.back().caps;
  std::memcpy(state.color, attributes.back().color, sizeof state.color);
  attributes.pop_back();
}
void glRasterPos2i(GLint, GLint) {}
// Tightly packed RGB is all the game draws.
void glDrawPixels(GLsizei w, GLsizei h, GLenum format, GLenum type, const void *pixels) {
  if (format != GL_RGB || type != GL_UNSIGNED_BYTE || w <= 0 || h <= 0) return;
  state.drawnPixelsWidth = w, state.drawnPixelsHeight = h;
  const auto *p = static_cast<const unsigned char *>(pixels);
  drawnPixels.assign(p, p + size_t(w) * size_t(h) * 3);
}
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
void glutIgnoreKeyRepeat(int ignore) { state.ignoreKeyRepeat = ignore; }
void glutDisplayFunc(void (*f)()) { state.display = f; }
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { state.keyboard = f; }
void glutSpecialFunc(void (*f)(int, int, int)) { state.special = f; }
void glutKeyboardUpFunc(void (*f)(unsigned char, int, int)) { state.keyboardUp = f; }
void glutIdleFunc(void (*f)()) { state.idle = f; }
void glutMouseFunc(void (*f)(int, int, int, int)) { state.mouse = f; }
void glutMotionFunc(void (*f)(int, int)) { state.motion = f; }
void glutPassiveMotionFunc(void (*f)(int, int)) { state.passiveMotion = f; }
void glutReshapeFunc(void (*f)(int, int)) { state.reshape = f; }
void glutVisibilityFunc(void (*f)(int)) { state.visibility = f; }
void glutCloseFunc(void (*f)()) { state.close = f; }
void glutMainLoop() {}
void glutPostRedisplay() { state.redisplays++; }
void glutSwapBuffers() { state.swaps++; }
void glutSolidSphere(GLdouble radius, GLint, GLint) { addSphere(radius, true); }
void glutWireSphere(GLdouble radius, GLint, GLint) { addSphere(radius, false); }
void glutSetCursor(int c) { state.cursor = c; }
int glutGet(GLenum what) {
  if (what == GLUT_WINDOW_WIDTH) return state.windowWidth;
  if (what == GLUT_WINDOW_HEIGHT) return state.windowHeight;
  return 0;
}
}
