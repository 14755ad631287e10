// Text drawn as textured squares cut from the 16 x 16 font picture.
#include "TethrixExtern.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include "inclGL.h"

namespace {

constexpr int kCodes = 256;
constexpr int kFirstPrintable = 32;
constexpr int kLastGlyph = 127;
constexpr float kCell = 1.0f / 16.0f;
constexpr float kAdvance = kGlyphAdvance;

float charHOff[kCodes], charVOff[kCodes], charWidth[kCodes], charHeight[kCodes];
bool charsBuilt = false;
float penH = 0, penLine = 0;

void buildTables() {
  for (int code = 0; code <= kLastGlyph; code++) {
    charWidth[code] = charHeight[code] = kCell;
    const int k = code >= kFirstPrintable ? code - kFirstPrintable : 0; // controls: blank cell
    charHOff[code] = static_cast<float>(k % 16) / 16;
    charVOff[code] = static_cast<float>(k / 16) / 16;
  }
  charsBuilt = true;
}

void drawGlyph(int code) {
  const float s0 = charHOff[code], s1 = charHOff[code] + charWidth[code];
  const float t0 = 1 - (charVOff[code] + charHeight[code]), t1 = 1 - charVOff[code];
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t0);
  glVertex3f(penH, -penLine, 0);
  glTexCoord2f(s1, t0);
  glVertex3f(penH + 1, -penLine, 0);
  glTexCoord2f(s1, t1);
  glVertex3f(penH + 1, 1 - penLine, 0);
  glTexCoord2f(s0, t1);
  glVertex3f(penH, 1 - penLine, 0);
  glEnd();
}

// ---- Where text lands, for the end-to-end test ------------------------------------------
// With a log open, every line drawn is noted with its box in window pixels (y down), and each
// finished frame replaces the file with its lines, so a screenshot can be checked beside them.
std::string textLogPath, textLogFrame;

// Columns and rows a text spans: lines run down from the first.
void textExtent(const char *text, float &glyphs, int &lines) {
  int longest = 0, run = 0;
  lines = 1;
  for (const char *c = text; *c; c++) {
    if (*c == '\n') lines++, run = 0;
    else if (++run > longest) longest = run;
  }
  glyphs = longest > 0 ? kAdvance * static_cast<float>(longest - 1) + 1 : 0;
}

// A point of the current model space in window pixels, y counted from the top.
bool windowPoint(const double mv[16], const double pr[16], const int vp[4], int height, double x,
                 double y, double &wx, double &wy) {
  double eye[4], clip[4];
  for (int r = 0; r < 4; r++) eye[r] = mv[r] * x + mv[4 + r] * y + mv[12 + r];
  for (int r = 0; r < 4; r++)
    clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
  if (!(clip[3] > 0)) return false; // behind the eye: not on the screen at all
  wx = vp[0] + (clip[0] / clip[3] + 1) / 2 * vp[2];
  wy = height - (vp[1] + (clip[1] / clip[3] + 1) / 2 * vp[3]);
  return true;
}

// The box from (left, bottom) to (right, top) of the current model space, under a name.
void logBox(const char *text, double left, double bottom, double right, double top) {
  double mv[16], pr[16];
  int vp[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  glGetIntegerv(GL_VIEWPORT, vp);
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  for (double cx : {left, right})
    for (double cy : {bottom, top}) {
      double wx, wy;
      if (!windowPoint(mv, pr, vp, height, cx, cy, wx, wy)) return;
      x0 = std::min(x0, wx), y0 = std::min(y0, wy), x1 = std::max(x1, wx), y1 = std::max(y1, wy);
    }
  char box[128];
  std::snprintf(box, sizeof box, "%.1f %.1f %.1f %.1f ", x0, y0, x1, y1);
  textLogFrame += box;
  for (const char *c = text; *c; c++) textLogFrame += *c == '\n' ? '|' : *c;
  textLogFrame += '\n';
}

void logDrawnText(const char *text) {
  float glyphs;
  int lines;
  textExtent(text, glyphs, lines);
  if (glyphs > 0) logBox(text, 0, 1 - lines, glyphs, 1);
}

} // namespace

void OpenTextLog(const char *path) { textLogPath = path ? path : ""; }

void LogTextBox(const char *text, float left, float bottom, float right, float top) {
  if (!textLogPath.empty()) logBox(text, left, bottom, right, top);
}

void EndTextLogFrame() {
  if (textLogPath.empty()) return;
  const std::string part = textLogPath + ".part";
  if (FILE *out = std::fopen(part.c_str(), "w")) {
    std::fprintf(out, "window %d %d\n%s", glutGet(GLUT_WINDOW_WIDTH),
                 glutGet(GLUT_WINDOW_HEIGHT), textLogFrame.c_str());
    if (std::fclose(out) == 0) std::rename(part.c_str(), textLogPath.c_str());
  }
  textLogFrame.clear();
}

void InitCharArray() {
  glBindTexture(GL_TEXTURE_2D, kTexFont);
  LoadRGBMipmaps("Font.sgi", 4);
  buildTables();
}

void DrawGLChar(int code) {
  while (code < 0) code += kCodes; // characters are signed
  while (code >= kCodes) code -= kCodes;
  if (code == 0) {
    penH = penLine = 0;
    return;
  }
  if (code == '\n') {
    penH = 0;
    penLine += 1;
    return;
  }
  if (code != ' ') drawGlyph(code);
  penH += kAdvance;
}

// Glyphs `across` wide and `up` high.
static void drawScaled(float x, float y, float across, float up, const char *text) {
  if (!charsBuilt) buildTables();
  glEnable(GL_BLEND);
  glEnable(GL_LINE_SMOOTH);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexFont);
  glPushMatrix();
  glTranslatef(x, y, 0);
  glScalef(across, up, up);
  if (!textLogPath.empty()) logDrawnText(text);
  for (const char *c = text; *c; c++) DrawGLChar(*c);
  DrawGLChar(0);
  glPopMatrix();
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

void DrawStr2(float x, float y, float size, const char *text) { drawScaled(x, y, size, size, text); }

void DrawStr(float x, float y, const char *text) { DrawStr2(x, y, kGlyphSize, text); }

// How wide a line is at a glyph size of 1: the last glyph is a whole square.
static float lineGlyphs(const char *text) {
  const size_t n = std::strlen(text);
  return n > 0 ? kAdvance * static_cast<float>(n - 1) + 1 : 0;
}

// A line that would run past `width` is drawn smaller, never over its neighbour.
void DrawStrWithin(float x, float y, float size, float width, const char *text) {
  const float glyphs = lineGlyphs(text);
  if (width > 0 && glyphs * size > width) size = width / glyphs;
  DrawStr2(x, y, size, text);
}

// In a view stretched `stretch` times wider than high, a line too long for its room is first
// drawn narrower, down to upright glyphs, and only then smaller: short labels in a small
// window keep their height.
static void narrowed(float size, float width, float stretch, const char *text, float &across, float &up) {
  const float glyphs = lineGlyphs(text);
  across = up = size;
  if (!(width > 0) || glyphs * size <= width) return;
  across = width / glyphs;
  const float upright = stretch > 1 ? across * stretch : across;
  up = upright < size ? upright : size;
}

void DrawStrNarrowed(float x, float y, float size, float width, float stretch, const char *text) {
  float across, up;
  narrowed(size, width, stretch, text, across, up);
  drawScaled(x, y, across, up, text);
}

float NarrowedStrHeight(float size, float width, float stretch, const char *text) {
  float across, up;
  narrowed(size, width, stretch, text, across, up);
  return up;
}

float DrawnStrWidth(float size, float width, const char *text) {
  const float shown = lineGlyphs(text) * size;
  return width > 0 && shown > width ? width : shown;
}

void DrawStrCentred(float middle, float y, float size, float width, const char *text) {
  DrawStrWithin(middle - DrawnStrWidth(size, width, text) / 2, y, size, width, text);
}

int uiScale = kUiScaleAuto;

// A window shorter than the menus' 480 lines gets its text back at the size they were laid out
// for; a taller one scales everything with it already.
float UiScale() {
  constexpr float kLaidOutHeight = static_cast<float>(kMenuHeight), kMostAuto = 1.5f, kPercent = 100.0f;
  if (uiScale != kUiScaleAuto) return static_cast<float>(uiScale) / kPercent;
  const float height = heightRatio * static_cast<float>(kMenuHeight);
  if (!(height > 0) || height >= kLaidOutHeight) return 1.0f;
  const float grow = kLaidOutHeight / height;
  return grow < kMostAuto ? grow : kMostAuto;
}

void StepUiScale() {
  if (uiScale == kUiScaleAuto)
    uiScale = kUiScaleLeast;
  else if (uiScale >= kUiScaleMost)
    uiScale = kUiScaleAuto;
  else
    uiScale += kUiScaleStep;
}
