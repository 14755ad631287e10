// Text drawn as textured squares cut from the 16 x 16 font picture.
#include "TethrixExtern.h"
#include <cstring>
#include "inclGL.h"

namespace {

constexpr int kCodes = 256;
constexpr int kFirstPrintable = 32;
constexpr int kLastGlyph = 127;
constexpr float kCell = 1.0f / 16.0f;
constexpr float kAdvance = kGlyphAdvance;
constexpr float kDefaultSize = 0.25f;

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

} // namespace

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
  for (const char *c = text; *c; c++) DrawGLChar(*c);
  DrawGLChar(0);
  glPopMatrix();
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

void DrawStr2(float x, float y, float size, const char *text) { drawScaled(x, y, size, size, text); }

void DrawStr(float x, float y, const char *text) { DrawStr2(x, y, kDefaultSize, text); }

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
void DrawStrNarrowed(float x, float y, float size, float width, float stretch, const char *text) {
  const float glyphs = lineGlyphs(text);
  if (!(width > 0) || glyphs * size <= width) return DrawStr2(x, y, size, text);
  const float across = width / glyphs;
  const float upright = stretch > 1 ? across * stretch : across;
  drawScaled(x, y, across, upright < size ? upright : size, text);
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
