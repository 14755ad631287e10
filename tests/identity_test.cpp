// Telling balls apart without hue: their glyphs, the first-run colours, and the colour-vision view.
#include "world_fixture.h"

#include "drawn_text.h"
#include "gl/headless.h"
#include "inclGL.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Point {
  float h, v;
};
using Loop = std::vector<Point>;

// The outlines drawn since the last clear, one per glBegin.
std::vector<Loop> drawnLoops() {
  std::vector<Loop> loops;
  int begin = -1;
  for (const HeadlessVertex &v : headlessVertices()) {
    if (v.primitive != GL_LINE_LOOP) continue;
    if (v.begin != begin) loops.emplace_back(), begin = v.begin;
    loops.back().push_back({v.x, v.y});
  }
  return loops;
}

Point middleOf(const Loop &l) {
  Point lo = l.at(0), hi = l.at(0);
  for (const Point &p : l) {
    lo.h = std::min(lo.h, p.h), lo.v = std::min(lo.v, p.v);
    hi.h = std::max(hi.h, p.h), hi.v = std::max(hi.v, p.v);
  }
  return {(lo.h + hi.h) / 2, (lo.v + hi.v) / 2};
}

// Centred on its middle and scaled to reach 1 at its farthest point: shape alone is left.
// `widen` first undoes a view that draws its units narrower than high.
Loop normalised(Loop l, float widen = 1) {
  for (Point &p : l) p.h *= widen;
  const Point m = middleOf(l);
  float reach = 0;
  for (Point &p : l) p.h -= m.h, p.v -= m.v, reach = std::max(reach, std::hypot(p.h, p.v));
  for (Point &p : l) p.h /= reach, p.v /= reach;
  return l;
}

// Points along every edge, so outlines with different corners still compare point by point.
std::vector<Point> traced(const Loop &l) {
  constexpr int kPerEdge = 32;
  std::vector<Point> out;
  for (size_t i = 0; i < l.size(); i++) {
    const Point a = l[i], b = l[(i + 1) % l.size()];
    for (int k = 0; k < kPerEdge; k++) {
      const float t = static_cast<float>(k) / kPerEdge;
      out.push_back({a.h + t * (b.h - a.h), a.v + t * (b.v - a.v)});
    }
  }
  return out;
}

// How far apart two normalised outlines are: the worst of either's nearest approach to the other.
float apart(const Loop &a, const Loop &b) {
  const std::vector<Point> ta = traced(a), tb = traced(b);
  auto oneWay = [](const std::vector<Point> &from, const std::vector<Point> &to) {
    float worst = 0;
    for (const Point &p : from) {
      float nearest = 1e9f;
      for (const Point &q : to) nearest = std::min(nearest, std::hypot(p.h - q.h, p.v - q.v));
      worst = std::max(worst, nearest);
    }
    return worst;
  };
  return std::max(oneWay(ta, tb), oneWay(tb, ta));
}

// Each slot's glyph drawn alone at the origin.
std::vector<Loop> referenceGlyphs() {
  std::vector<Loop> out;
  for (int slot = 0; slot < kRosterSize; slot++) {
    headlessClearVertices();
    DrawBallGlyph(slot, 0, 0, 1);
    out.push_back(normalised(drawnLoops().at(0)));
  }
  headlessClearVertices();
  return out;
}

constexpr float kSameShape = 0.02f;    // of a glyph's radius: drawing noise
constexpr float kOtherShape = 0.2f;    // the least two glyphs may differ by, at a fifth of a radius

// ---- Colour: CIE76 in Lab under D65, from sRGB ----
using Rgb = std::array<float, 3>;
using Lab = std::array<double, 3>;

double linear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

Lab toLab(const Rgb &srgb) {
  const double r = linear(srgb[0]), g = linear(srgb[1]), b = linear(srgb[2]);
  const double xyz[3] = {0.4124564 * r + 0.3575761 * g + 0.1804375 * b,
                         0.2126729 * r + 0.7151522 * g + 0.0721750 * b,
                         0.0193339 * r + 0.1191920 * g + 0.9503041 * b};
  const double white[3] = {0.95047, 1.0, 1.08883};
  double f[3];
  for (int i = 0; i < 3; i++) {
    const double t = xyz[i] / white[i], d = 6.0 / 29;
    f[i] = t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29;
  }
  return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

double deltaE(const Rgb &a, const Rgb &b) {
  const Lab p = toLab(a), q = toLab(b);
  return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

Rgb seenAs(int mode, const Rgb &c) {
  Rgb out;
  SimulateColourVision(mode, c.data(), out.data());
  return out;
}

// The six "player N R G B ..." lines of the settings a first run copies.
std::vector<Rgb> firstRunColours() {
  std::ifstream in(TETHRIX_SOURCE_DIR "/data/prefs.def");
  std::vector<Rgb> colours(kRosterSize, Rgb{-1, -1, -1});
  std::string line;
  while (std::getline(in, line)) {
    int n;
    Rgb c;
    if (std::sscanf(line.c_str(), "player %d %f %f %f", &n, &c[0], &c[1], &c[2]) == 4 && n >= 0 &&
        n < kRosterSize)
      colours[static_cast<size_t>(n)] = c;
  }
  return colours;
}

} // namespace

class Identity : public World {
protected:
  void SetUp() override { World::SetUp(), arena(), headlessClearVertices(); }
};

// Six balls in play, each of its own size, show six outlines that differ in shape alone, each on
// its own ball; the puck shows none.
TEST_F(Identity, SixBallsInPlayShowSixDifferentShapes) {
  gameType = kDeathmatch;
  for (int i = 0; i < kRosterSize; i++) {
    player *p = players[i];
    p->radius = p->defaultSize = 0.25f + 0.05f * static_cast<float>(i);
    p->graphicAngle = static_cast<float>(i); // the glyph stays upright as the ball turns
    placeBall(p, -6 + 2.5f * static_cast<float>(i), static_cast<float>(i % 2), 0, 0);
    DrawPlayer(p);
  }
  placeBall(puck, 0, -5, 0, 0);
  DrawPlayer(puck);
  const std::vector<Loop> loops = drawnLoops();
  ASSERT_EQ(loops.size(), static_cast<size_t>(kRosterSize));
  for (int i = 0; i < kRosterSize; i++) {
    const player *p = players[i];
    const Point m = middleOf(loops[i]);
    EXPECT_LT(std::hypot(m.h - posH(p), m.v - posV(p)), p->radius) << "on its own ball: " << i;
    for (int j = 0; j < i; j++)
      EXPECT_GT(apart(normalised(loops[i]), normalised(loops[j])), kOtherShape)
          << BallGlyphName(i) << " and " << BallGlyphName(j) << " read alike";
  }
  EXPECT_EQ(headlessState().attribDepth, 0);
}

// The score bar shows each ball's glyph just left of its name, upright on a 4:3 window, and the
// leaderboard shows it left of each ball's line, in standing order.
TEST_F(Identity, ScoreBarAndLeaderboardShowEachBallsShapeBesideItsName) {
  const std::vector<Loop> glyphs = referenceGlyphs();
  ar = 4.0f / 3;
  gameType = kDeathmatch;
  for (int i = 0; i < kRosterSize; i++) players[i]->active = 1, players[i]->score = i % 3;
  DrawScores();
  std::vector<Loop> loops = drawnLoops();
  ASSERT_EQ(loops.size(), static_cast<size_t>(kRosterSize));
  for (int i = 0; i < kRosterSize; i++) {
    EXPECT_LT(apart(normalised(loops[i], ar), glyphs[i]), kSameShape) << i;
    const Point m = middleOf(loops[i]);
    bool beside = false; // neighbouring labels may read as one line: find the name in it
    for (const DrawnLine &l : drawnLines()) {
      const size_t at = l.text.find(std::string(players[i]->name) + ":");
      const float across = (l.right - l.left) / (kGlyphAdvance * static_cast<float>(l.text.size() - 1) + 1);
      const float left = l.left + kGlyphAdvance * across * static_cast<float>(at); // glyphs may be narrowed
      if (at != std::string::npos)
        beside = m.h < left && m.h > left - 0.3f && m.v > l.bottom && m.v < l.top;
    }
    EXPECT_TRUE(beside) << players[i]->name;
  }

  headlessClearVertices();
  LeaderBoard();
  loops = drawnLoops();
  int lines = 0;
  for (const DrawnLine &l : drawnLines()) {
    const player *p = nullptr;
    for (int i = 0; i < kRosterSize; i++)
      if (l.text.rfind(std::string(players[i]->name) + ":", 0) == 0) p = players[i];
    if (!p) continue;
    lines++;
    const Loop *nearest = nullptr;
    for (const Loop &g : loops) {
      const Point m = middleOf(g);
      if (m.h < l.left && m.h > l.left - 0.4f && m.v > l.bottom && m.v < l.top) nearest = &g;
    }
    ASSERT_NE(nearest, nullptr) << l.text;
    EXPECT_LT(apart(normalised(*nearest), glyphs[p->playerID]), kSameShape) << l.text;
  }
  EXPECT_EQ(lines, kRosterSize);
}

// A capture-the-flag flag carries the glyph of the ball that owns it, on its cloth.
TEST_F(Identity, AFlagCarriesItsOwnersShape) {
  const std::vector<Loop> glyphs = referenceGlyphs();
  gameType = kCaptureTheFlag;
  for (int team = 0; team < kNumFlags; team++) {
    flags[team].h = flags[team].hstart = 2, flags[team].v = flags[team].vstart = 3;
    headlessClearVertices();
    DrawFlag(team);
    const std::vector<Loop> loops = drawnLoops();
    ASSERT_EQ(loops.size(), 1u) << team;
    const Point m = middleOf(loops[0]);
    EXPECT_TRUE(m.h > 2 && m.h < 2.4f && m.v > 3.25f && m.v < 3.5f) << m.h << ", " << m.v;
    EXPECT_LT(apart(normalised(loops[0]), glyphs[teamLeaders[team]->playerID]), kSameShape);
  }
}

// Every two balls' first-run colours stay at least 15 CIE76 units apart as each kind of
// colour vision sees them: players with a colour deficiency still tell them apart at a glance.
TEST(Colours, FirstRunColoursStayApartForEveryColourVision) {
  constexpr double kLeastApart = 15;
  const std::vector<Rgb> colours = firstRunColours();
  for (size_t i = 0; i < colours.size(); i++) ASSERT_GE(colours[i][0], 0) << "no player " << i;
  for (int mode = kColourVisionNormal; mode < kColourVisionModes; mode++) {
    double least = 1e9;
    std::string pair;
    for (size_t i = 0; i < colours.size(); i++)
      for (size_t j = 0; j < i; j++) {
        const double d = deltaE(seenAs(mode, colours[i]), seenAs(mode, colours[j]));
        if (d < least) least = d, pair = std::to_string(j) + " and " + std::to_string(i);
      }
    EXPECT_GE(least, kLeastApart) << ColourVisionName(mode) << ": players " << pair << " are "
                                  << least << " apart";
  }
}

// Full-severity dichromat views on linear light: red loses its red for both red-green kinds,
// blue goes teal for tritanopia, greys and white stay as they are.
TEST(Colours, EachVisionMapsKnownColoursAsMeasured) {
  struct Case {
    int mode;
    Rgb in, want; // bytes
  };
  const Case cases[] = {
      {kColourVisionNormal, {255, 0, 0}, {255, 0, 0}},
      {kColourVisionNormal, {20, 60, 100}, {20, 60, 100}},
      {kColourVisionProtanopia, {255, 0, 0}, {108.79f, 95.03f, 0}},
      {kColourVisionDeuteranopia, {255, 0, 0}, {163.22f, 144.28f, 0}},
      {kColourVisionTritanopia, {255, 0, 0}, {255, 0, 14.89f}},
      {kColourVisionProtanopia, {0, 255, 0}, {255, 229.35f, 0}},
      {kColourVisionDeuteranopia, {0, 0, 255}, {0, 61.5f, 251.48f}},
      {kColourVisionTritanopia, {0, 0, 255}, {0, 107.2f, 149.76f}},
      {kColourVisionTritanopia, {127.5f, 127.5f, 127.5f}, {127.5f, 127.5f, 127.5f}},
      {kColourVisionDeuteranopia, {255, 255, 255}, {255, 255, 255}},
  };
  for (const Case &c : cases) {
    const Rgb out = seenAs(c.mode, {c.in[0] / 255, c.in[1] / 255, c.in[2] / 255});
    for (int k = 0; k < 3; k++)
      EXPECT_NEAR(out[k] * 255, c.want[k], 0.05) << ColourVisionName(c.mode) << " channel " << k
                                                 << " of " << c.in[0] << "," << c.in[1] << "," << c.in[2];
  }
}

// The finished frame, every pixel of it, goes back through the chosen vision before the swap,
// and the drawing state is as it was; a normal view costs no read back.
TEST_F(Identity, TheWholeFrameIsShownThroughTheChosenVision) {
  headlessState().windowWidth = 7, headlessState().windowHeight = 5; // rows of odd length
  glEnable(GL_DEPTH_TEST);
  SwapFrame();
  EXPECT_TRUE(headlessDrawnPixels().empty());
  colourVision = kColourVisionDeuteranopia;
  SwapFrame();
  ASSERT_EQ(headlessDrawnPixels().size(), 7u * 5 * 3);
  EXPECT_EQ(headlessState().swapsAtRead, 1) << "read before its own swap";
  for (int y = 0; y < 5; y++)
    for (int x = 0; x < 7; x++) {
      unsigned char was[3];
      headlessPixel(x, y, was);
      const Rgb want = seenAs(colourVision, {was[0] / 255.f, was[1] / 255.f, was[2] / 255.f});
      for (int k = 0; k < 3; k++)
        EXPECT_NEAR(headlessDrawnPixels()[static_cast<size_t>((y * 7 + x) * 3 + k)], want[k] * 255, 1)
            << x << "," << y << " channel " << k;
    }
  EXPECT_TRUE(headlessEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(std::make_tuple(headlessState().attribDepth, headlessState().matrixDepth), std::make_tuple(0, 0));
  // A screen that fades over its last frame fades over that frame as drawn, not seen twice over.
  contrails = 5;
  SwapFrame();
  ASSERT_EQ(headlessDrawnPixels().size(), 7u * 5 * 3);
  unsigned char first[3];
  headlessPixel(4, 3, first);
  const unsigned char *back = &headlessDrawnPixels()[(3 * 7 + 4) * 3];
  EXPECT_EQ(std::make_tuple(back[0], back[1], back[2]), std::make_tuple(first[0], first[1], first[2]));
}

// The setting steps through the four views and back, is written only when not normal, is read
// back, and outlasts the reset between matches.
TEST_F(Identity, ColourVisionStepsIsKeptInPreferencesAndOutlastsAMatch) {
  std::string names;
  for (int i = 0; i <= kColourVisionModes; i++, StepColourVision())
    names += ColourVisionName(colourVision) + std::string(" ");
  EXPECT_EQ(names, "Normal Protanopia Deuteranopia Tritanopia Normal ");
  EXPECT_EQ(std::string(ColourVisionName(kColourVisionModes)) + ColourVisionName(-1), "");
  ResetColourVision();
  ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
  EXPECT_EQ(readFile("prefs.def").find("colourvision"), std::string::npos);
  colourVision = kColourVisionTritanopia;
  ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
  const std::string written = readFile("prefs.def");
  EXPECT_EQ(written.substr(written.size() - 15), "colourvision 3\n");
  ResetColourVision();
  ReadLevelFile("prefs.def");
  EXPECT_EQ(colourVision, kColourVisionTritanopia);
  std::remove("prefs.def"); // unsaved, as when just stepped in the options
  writeFile("level.def", "nextlevel 0\nOnly\nlevel -10 10 10 -10\n");
  colourVision = kColourVisionProtanopia;
  ResetAll();
  EXPECT_EQ(colourVision, kColourVisionProtanopia);
}

// Damaged lines are refused with their file and line, and leave the setting as it was.
TEST_F(Identity, DamagedColourVisionLinesAreRefusedWithTheirLine) {
  const std::pair<const char *, const char *> cases[] = {
      {"colourvision 4", "\"colourvision\" must be 0 to 3; line ignored"},
      {"colourvision -1", "\"colourvision\" must be 0 to 3; line ignored"},
      {"colourvision 99999999999", "\"colourvision\" value 1 is out of range"},
  };
  for (const auto &[line, why] : cases) {
    ForgetReaderWarnings();
    colourVision = kColourVisionDeuteranopia;
    writeFile("prefs.def", std::string("sound 4\n") + line + "\n");
    testing::internal::CaptureStderr();
    ReadLevelFile("prefs.def");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find(std::string("prefs.def:2: ") + why), std::string::npos) << line << ": " << told;
    EXPECT_EQ(colourVision, kColourVisionDeuteranopia) << line;
  }
}
