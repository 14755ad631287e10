// The "colourvision" setting: the finished frame shown as a dichromat player sees it.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>
#include <vector>

int colourVision;

namespace {

// Machado, Oliveira and Fernandes (2009) at full severity, applied to linear RGB.
struct VisionRow {
  const char *name;
  float m[3][3];
};

const VisionRow kVisions[] = {
    {"Normal", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
    {"Protanopia",
     {{0.152286f, 1.052583f, -0.204868f},
      {0.114503f, 0.786281f, 0.099216f},
      {-0.003882f, -0.048116f, 1.051998f}}},
    {"Deuteranopia",
     {{0.367322f, 0.860646f, -0.227968f},
      {0.280085f, 0.672501f, 0.047413f},
      {-0.011820f, 0.042940f, 0.968881f}}},
    {"Tritanopia",
     {{1.255528f, -0.076749f, -0.178779f},
      {-0.078411f, 0.930809f, 0.147602f},
      {0.004733f, 0.691367f, 0.303900f}}},
};
static_assert(sizeof kVisions / sizeof kVisions[0] == kColourVisionModes, "a row for every mode");

bool knownMode(int mode) { return mode >= kColourVisionNormal && mode < kColourVisionModes; }

float toLinear(float c) { return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f); }

float toSrgb(float c) {
  c = c < 0 ? 0 : (c > 1 ? 1 : c); // a dichromat's gamut is smaller; the matrices overshoot a little
  return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f;
}

// A frame is hundreds of thousands of pixels: both transfer curves come from tables. The encode
// table is fine enough that no byte is more than one step from the exact curve.
constexpr int kEncodeSteps = 8192;
constexpr int kByteLevels = 256;
constexpr int kDefaultAlignment = 4; // GL's own for pixel rows

struct TransferTables {
  float decode[kByteLevels];
  unsigned char encode[kEncodeSteps + 1];
};

const TransferTables &tables() {
  static TransferTables t;
  static bool built = false;
  if (!built) {
    for (int i = 0; i < kByteLevels; i++) t.decode[i] = toLinear(static_cast<float>(i) / (kByteLevels - 1));
    for (int i = 0; i <= kEncodeSteps; i++)
      t.encode[i] = static_cast<unsigned char>(
          std::lround(toSrgb(static_cast<float>(i) / kEncodeSteps) * (kByteLevels - 1)));
    built = true;
  }
  return t;
}

unsigned char encodeByte(const TransferTables &t, float linear) {
  const float step = linear * kEncodeSteps + 0.5f; // rounded by the cast, once clamped
  return t.encode[step <= 0 ? 0 : (step >= kEncodeSteps ? kEncodeSteps : static_cast<int>(step))];
}

void transformPixels(const float (&m)[3][3], std::vector<unsigned char> &rgb) {
  const TransferTables &t = tables();
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    const float r = t.decode[rgb[i]], g = t.decode[rgb[i + 1]], b = t.decode[rgb[i + 2]];
    for (int row = 0; row < 3; row++)
      rgb[i + static_cast<size_t>(row)] = encodeByte(t, m[row][0] * r + m[row][1] * g + m[row][2] * b);
  }
}

// The last frame as drawn, before the view changed it. Kept, with the view's copy, so a frame's
// worth of memory is reused every frame.
std::vector<unsigned char> drawn, shown;
int drawnWidth, drawnHeight;

// Back over the whole window, with nothing between the pixels and the buffer.
void drawWindowPixels(int width, int height, const std::vector<unsigned char> &rgb) {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glRasterPos2i(0, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, kDefaultAlignment); // as texture uploads expect it
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

} // namespace

const char *ColourVisionName(int mode) { return knownMode(mode) ? kVisions[mode].name : ""; }

void StepColourVision() {
  colourVision = knownMode(colourVision + 1) ? colourVision + 1 : kColourVisionNormal;
}

void ResetColourVision() { colourVision = kColourVisionNormal; }

void SimulateColourVision(int mode, const float srgbIn[3], float srgbOut[3]) {
  const float(&m)[3][3] = kVisions[knownMode(mode) ? mode : kColourVisionNormal].m;
  const float lin[3] = {toLinear(srgbIn[0]), toLinear(srgbIn[1]), toLinear(srgbIn[2])};
  for (int row = 0; row < 3; row++)
    srgbOut[row] = toSrgb(m[row][0] * lin[0] + m[row][1] * lin[1] + m[row][2] * lin[2]);
}

// On the finished pixels, so textures, lighting, blending and the clear colour are all seen
// through it; in linear light, which blending in the frame buffer never was.
void ApplyColourVision() {
  drawnWidth = drawnHeight = 0;
  if (!knownMode(colourVision) || colourVision == kColourVisionNormal) return;
  const int width = glutGet(GLUT_WINDOW_WIDTH), height = glutGet(GLUT_WINDOW_HEIGHT);
  if (width <= 0 || height <= 0) return;
  drawn.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, drawn.data());
  drawnWidth = width, drawnHeight = height;
  shown = drawn;
  transformPixels(kVisions[colourVision].m, shown);
  drawWindowPixels(width, height, shown);
}

// The view is not a projection: a trail seen through it twice would drift further each frame.
void UndoColourVision() {
  if (drawnWidth > 0 && drawnHeight > 0) drawWindowPixels(drawnWidth, drawnHeight, drawn);
}
