// Each roster ball's shape: how a player tells the balls apart without telling hues apart.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>
#include <iterator>

namespace {

constexpr int kGlyphPoints = 24; // the circle's; every other outline needs fewer
constexpr float kPlusArm = 0.38f; // half an arm's width, of the glyph's radius
constexpr float kStarInner = 0.45f;
constexpr float kEdgeWidth = 2.0f; // pixels: a dark rim keeps a white glyph readable on yellow
constexpr float kInk[3] = {1, 1, 1};
constexpr float kEdge[3] = {0.08f, 0.06f, 0.12f};

// An outline about the origin, radius 1, counter-clockwise and seen from the centre.
struct Outline {
  int count;
  float h[kGlyphPoints], v[kGlyphPoints];
};

void add(Outline &o, float h, float v) {
  if (o.count >= kGlyphPoints) return;
  o.h[o.count] = h, o.v[o.count] = v;
  o.count++;
}

// Points at angles measured from the vertical, so a triangle stands on its base.
void ring(Outline &o, int points, double turn, float inner) {
  for (int i = 0; i < points; i++) {
    const double a = turn + 2 * kPi * i / points;
    const float rho = i % 2 && inner > 0 ? inner : 1.0f;
    add(o, static_cast<float>(-rho * std::sin(a)), static_cast<float>(rho * std::cos(a)));
  }
}

void circle(Outline &o) { ring(o, kGlyphPoints, 0, 0); }
void triangle(Outline &o) { ring(o, 3, 0, 0); }
void square(Outline &o) { ring(o, 4, kPi / 4, 0); }
void diamond(Outline &o) { ring(o, 4, 0, 0); }
void star(Outline &o) { ring(o, 10, 0, kStarInner); }

void plus(Outline &o) {
  constexpr float a = kPlusArm;
  const float arm[][2] = {{a, 1}, {a, a}, {1, a}, {1, -a}, {a, -a}, {a, -1},
                          {-a, -1}, {-a, -a}, {-1, -a}, {-1, a}, {-a, a}, {-a, 1}};
  for (int i = static_cast<int>(std::size(arm)) - 1; i >= 0; i--) add(o, arm[i][0], arm[i][1]);
}

struct GlyphRow {
  const char *name;
  void (*outline)(Outline &o);
};

// By roster slot. Six outlines no two alike even at a ball's size on an 800 x 600 window.
const GlyphRow kGlyphs[] = {
    {"circle", circle}, {"triangle", triangle}, {"square", square},
    {"diamond", diamond}, {"star", star}, {"plus", plus},
};
static_assert(sizeof kGlyphs / sizeof kGlyphs[0] == kRosterSize, "one glyph per roster slot");

// Every outline is seen whole from its centre, so a fan from there fills it.
void fill(const Outline &o) {
  glColor3f(kInk[0], kInk[1], kInk[2]);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(0, 0);
  for (int i = 0; i <= o.count; i++) glVertex2f(o.h[i % o.count], o.v[i % o.count]);
  glEnd();
}

void edge(const Outline &o) {
  glColor3f(kEdge[0], kEdge[1], kEdge[2]);
  glLineWidth(kEdgeWidth);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < o.count; i++) glVertex2f(o.h[i], o.v[i]);
  glEnd();
  glLineWidth(1);
}

} // namespace

const char *BallGlyphName(int slot) { return slot >= 0 && slot < kRosterSize ? kGlyphs[slot].name : ""; }

// Over whatever was drawn there, whatever the depth; the caller's colour and switches stay.
void DrawBallGlyph(int slot, float h, float v, float size) {
  if (slot < 0 || slot >= kRosterSize) return; // balls past six and the puck have none
  Outline o{};
  kGlyphs[slot].outline(o);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  glTranslatef(h, v, 0);
  glScalef(size, size, 1);
  fill(o);
  edge(o);
  glPopMatrix();
  glPopAttrib();
}
