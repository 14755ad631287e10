// The arena drawn each frame: border and lightning, outside area, nodes, walls
// and flags. The same pass moves every node and swings every flipper once.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>

namespace {

constexpr float kCycleLength = 120.0f;
constexpr int kBoltPoints = 50;
constexpr float kBoltJitter = 0.2f;
constexpr float kWarnCorner = 2.0f;
constexpr float kWarnEdge = 1.5f;
constexpr float kOutside = 200.0f;
constexpr float kGutterOverhang = 20.0f;
constexpr float kGutterDepth = -10.0f;
constexpr float kNodeHalf = 0.3f;
constexpr float kOctahedron = 0.5f;
constexpr float kWallHalfWidth = 0.1f;
constexpr int kSparkleLife = 50;
constexpr int kRaceHighlightFrames = 5;
constexpr float kFlagReturnFrames = 10.0f;

float cyclePos = 0;
float cycleRed, cycleGreen, cycleBlue;
float lightningXOff[kBoltPoints], lightningYOff[kBoltPoints];

float cosmeticUnit() { return static_cast<float>(cosmeticRand()) / kRandMax; }

void advanceColourCycle() {
  cyclePos += speedMult;
  if (cyclePos > kCycleLength) cyclePos = 0;
  const float k = cyclePos;
  if (k < 40) {
    cycleRed = 0, cycleGreen = k / 40, cycleBlue = 1 - k / 40;
  } else if (k < 80) {
    cycleRed = (k - 40) / 40, cycleGreen = 1 - (k - 40) / 40, cycleBlue = 0;
  } else {
    cycleRed = 1 - (k - 80) / 40, cycleGreen = 0, cycleBlue = (k - 80) / 40;
  }
}

void drawBorder() {
  DrawLightning2(levelLeft, levelTop, levelLeft, levelBottom);
  DrawLightning2(levelRight, levelTop, levelRight, levelBottom);
  DrawLightning2(levelLeft, levelBottom, levelRight, levelBottom);
  DrawLightning2(levelLeft, levelTop, levelRight, levelTop);
  glEnable(GL_LIGHTING);
  glColor3f(0.5f, 0.5f, 0.5f);
  const float corners[4][2] = {{levelLeft, levelTop}, {levelRight, levelTop},
                               {levelLeft, levelBottom}, {levelRight, levelBottom}};
  for (const auto &c : corners) {
    glPushMatrix();
    glTranslatef(c[0], c[1], 0);
    glutSolidSphere(1, 30, 10);
    glPopMatrix();
  }
  glDisable(GL_LIGHTING);
}

// A bolt from the nearest corner or edge to a ball about to leave the arena.
void edgeWarning(float h, float v) {
  const int move = paused ? 0 : 1;
  const bool right = h > levelRight - kWarnCorner, left = h < levelLeft + kWarnCorner;
  const bool top = v > levelTop - kWarnCorner, bottom = v < levelBottom + kWarnCorner;
  if (right && top) DrawLightning(levelRight, levelTop, h, v, move);
  else if (left && top) DrawLightning(levelLeft, levelTop, h, v, move);
  else if (right && bottom) DrawLightning(levelRight, levelBottom, h, v, move);
  else if (left && bottom) DrawLightning(levelLeft, levelBottom, h, v, move);
  else if (h < levelLeft + kWarnEdge) DrawLightning(levelLeft, v, h, v, move);
  else if (h > levelRight - kWarnEdge) DrawLightning(levelRight, v, h, v, move);
  else if (v > levelTop - kWarnEdge) DrawLightning(h, levelTop, h, v, move);
  else if (v < levelBottom + kWarnEdge) DrawLightning(h, levelBottom, h, v, move);
}

void drawEdgeWarnings() {
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    if (p->alive && p->active) edgeWarning(p->x[curSlot(p)], p->y[curSlot(p)]);
  }
}

void quad(float h1, float v1, float h2, float v2, float z) {
  glBegin(GL_QUADS);
  glVertex3f(h1, v1, z);
  glVertex3f(h2, v1, z);
  glVertex3f(h2, v2, z);
  glVertex3f(h1, v2, z);
  glEnd();
}

void drawOutside() {
  glColor3f(borderRed, borderGreen, borderBlue);
  const float z = 0.01f;
  quad(levelLeft - kOutside, levelBottom - kOutside, levelLeft, levelTop + kOutside, z);
  quad(levelRight, levelBottom - kOutside, levelRight + kOutside, levelTop + kOutside, z);
  quad(levelLeft, levelTop, levelRight, levelTop + kOutside, z);
  quad(levelLeft, levelBottom - kOutside, levelRight, levelBottom, z);
}

// A strip from the edge (h1, v1)-(h2, v2) going down into the screen.
void gutter(float h1, float v1, float h2, float v2, float alpha) {
  glBegin(GL_QUADS);
  glColor4f(0.8f * borderRed, 0.8f * borderGreen, 0.8f * borderBlue, alpha);
  glVertex3f(h1, v1, 0);
  glVertex3f(h2, v2, 0);
  glColor4f(0, 0, 0, alpha);
  glVertex3f(h2, v2, kGutterDepth);
  glVertex3f(h1, v1, kGutterDepth);
  glEnd();
}

void drawGutters() {
  const float alpha = contrails > 0 ? 0.1f : 1.0f;
  if (contrails > 0)
    glEnable(GL_BLEND);
  else
    glDisable(GL_BLEND);
  const float o = kGutterOverhang;
  gutter(levelLeft - o, levelBottom, levelRight + o, levelBottom, alpha);
  gutter(levelLeft - o, levelTop, levelRight + o, levelTop, alpha);
  gutter(levelLeft, levelBottom - o, levelLeft, levelTop + o, alpha);
  gutter(levelRight, levelBottom - o, levelRight, levelTop + o, alpha);
  glEnable(GL_BLEND);
}

void raceColour(const block &b) {
  const int j = (cyclingCount / kRaceHighlightFrames) % kRosterSize;
  const player *p = j < numPlayers ? players[j] : nullptr;
  if (p && p->active && numCheckPoints > 0 && p->score % numCheckPoints + 1 == b.checkPoint) {
    if (p->ai == kHuman && hints) {
      glColor3f(p->r, p->g, p->b);
      glBegin(GL_LINES);
      glVertex3f(p->x[curSlot(p)], p->y[curSlot(p)], 0);
      glVertex3f(b.h, b.v, 0);
      glEnd();
    }
    glColor3f(p->r, p->g, p->b);
  } else {
    glColor3f(1, 1, 1);
  }
}

void nodeColour(const block &b) {
  if (b.blink > 0) {
    glColor4f(0.5f, 0.5f, 0.5f, static_cast<float>(1 / std::sqrt(std::sqrt(b.blink))));
  } else if (b.checkPoint == kDominationNeutral) {
    glColor3f(1, 1, 1);
  } else if (b.checkPoint == kNoCheckPoint || !GameHas(kTraitCheckPointNodes)) {
    glColor3f(0.5f, 0.5f, 0.5f);
  } else if (GameHas(kTraitHeldPoints)) {
    const player *owner =
        b.checkPoint >= 0 && b.checkPoint < numPlayers ? players[b.checkPoint] : nullptr;
    if (owner)
      glColor3f(owner->r, owner->g, owner->b);
    else
      glColor3f(0.5f, 0.5f, 0.5f);
  } else {
    raceColour(b);
  }
}

void drawDiamond(const block &b) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexNode);
  glPushMatrix();
  glTranslatef(b.h, b.v, -0.01f);
  glRotatef(b.rot, 0, 0, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0.5f, 0.01f);
  glVertex3f(0, -kNodeHalf, 0);
  glTexCoord2f(0.01f, 0.5f);
  glVertex3f(kNodeHalf, 0, 0);
  glTexCoord2f(0.5f, 0.99f);
  glVertex3f(0, kNodeHalf, 0);
  glTexCoord2f(0.99f, 0.5f);
  glVertex3f(-kNodeHalf, 0, 0);
  glEnd();
  glPopMatrix();
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
  glDisable(GL_TEXTURE_2D);
}

void drawOctahedron(const block &b) {
  const float e = kOctahedron;
  const float tip[2][3] = {{0, e, 0}, {0, -e, 0}};
  const float ring[4][3] = {{e, 0, 0}, {0, 0, e}, {-e, 0, 0}, {0, 0, -e}};
  const float colours[8][3] = {
      {cycleRed, cycleGreen, cycleBlue}, {cycleGreen, cycleBlue, cycleRed},
      {cycleBlue, cycleRed, cycleGreen}, {cycleRed, cycleBlue, cycleGreen},
      {cycleGreen, cycleRed, cycleBlue}, {cycleBlue, cycleGreen, cycleRed},
      {cycleRed, cycleGreen, cycleBlue}, {cycleGreen, cycleBlue, cycleRed}};
  glPushMatrix();
  glTranslatef(b.h, b.v, 0);
  glRotatef(3 * cyclePos, 0, 1, 0);
  glBegin(GL_TRIANGLES);
  for (int f = 0; f < 8; f++) {
    const float *c = colours[f], *t = tip[f / 4], *a = ring[f % 4], *n = ring[(f + 1) % 4];
    glColor4f(c[0], c[1], c[2], 0.5f);
    glVertex3f(t[0], t[1], t[2]);
    glVertex3f(a[0], a[1], a[2]);
    glVertex3f(n[0], n[1], n[2]);
  }
  glEnd();
  glPopMatrix();
}

void drawNodes() {
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    block &b = blocks[i];
    if (hints && i == cyclingCount % (blockNum + 1) && b.blink == 0)
      NewParticles(1, b.h, 0, b.v, 0, 1, 1, 1, 0, nullptr, nullptr, kSparkleLife);
    MoveBlock(i);
    if (b.blink < 0) continue;
    nodeColour(b);
    drawDiamond(b);
    if (b.powerUp != kPowerNone) drawOctahedron(b);
  }
}

void drawWall(const wall &w) {
  const float dh = w.h2 - w.h1, dv = w.v2 - w.v1;
  const float len = std::sqrt(dh * dh + dv * dv);
  if (len == 0) return;
  const float nh = -dv / len * kWallHalfWidth, nv = dh / len * kWallHalfWidth;
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexWall);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(w.h1 - nh, w.v1 - nv, 0);
  glTexCoord2f(0, 1);
  glVertex3f(w.h1 + nh, w.v1 + nv, 0);
  glTexCoord2f(1, 1);
  glVertex3f(w.h2 + nh, w.v2 + nv, 0);
  glTexCoord2f(1, 0);
  glVertex3f(w.h2 - nh, w.v2 - nv, 0);
  glEnd();
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
  glDisable(GL_TEXTURE_2D);
}

void drawWalls() {
  for (int i = 0; i < wallNum && i < kMaxWalls; i++) {
    if (walls[i].isFlipper) StepFlipper(&walls[i]);
    drawWall(walls[i]);
  }
  glEnable(GL_BLEND);
}

} // namespace

void DrawLightning(float x1, float y1, float x2, float y2, int move) {
  if (move) {
    for (int i = 0; i < kBoltPoints; i++) {
      lightningXOff[i] = std::fmax(-0.5f, std::fmin(0.5f, lightningXOff[i] + (cosmeticUnit() - 0.5f) * 0.5f));
      lightningYOff[i] = std::fmax(-0.5f, std::fmin(0.5f, lightningYOff[i] + (cosmeticUnit() - 0.5f) * 0.5f));
    }
  }
  glDisable(GL_LINE_SMOOTH);
  glColor3f(1, 1, 1);
  glBegin(GL_LINE_STRIP);
  glVertex3f(x1, y1, 0);
  float sx = 0, sy = 0;
  for (int i = 0; i < kBoltPoints; i++) {
    sx += lightningXOff[i];
    sy += lightningYOff[i];
    glVertex3f(x1 + i * (x2 - x1) / kBoltPoints + kBoltJitter * sx,
               y1 + i * (y2 - y1) / kBoltPoints + kBoltJitter * sy, 0);
  }
  glEnd();
}

void DrawLightning2(float x1, float y1, float x2, float y2) {
  const float mh = (x1 + x2) / 2, mv = (y1 + y2) / 2;
  DrawLightning(x1, y1, mh, mv, paused ? 0 : 1);
  DrawLightning(x2, y2, mh, mv, 0);
}

void DrawBackground() {
  advanceColourCycle();
  glDisable(GL_LIGHTING);
  drawBorder();
  drawEdgeWarnings();
  drawOutside();
  drawGutters();
  drawNodes();
  drawWalls();
}

// A flag left lying goes home after ten drawn frames.
void StepFlagHome(int team) {
  flag &f = flags[team];
  f.downTime += 1;
  if (f.downTime > kFlagReturnFrames) {
    f.h = f.hstart;
    f.v = f.vstart;
  }
}

// The flag's cloth is 0.4 wide and 0.25 high, atop its pole; the owner's glyph sits on it.
constexpr float kClothMiddleH = 0.2f, kClothMiddleV = 0.375f, kFlagGlyphSize = 0.1f;

void DrawFlag(int team) {
  if (team < 0 || team >= kNumFlags) return;
  StepFlagHome(team);
  const flag &f = flags[team];
  const player *leader = team < kMaxTeams ? teamLeaders[team] : nullptr;
  if (leader)
    glColor3f(leader->r, leader->g, leader->b);
  else
    glColor3f(1, 1, 1);
  glBegin(GL_POLYGON);
  glVertex3f(f.h, f.v, 0);
  glVertex3f(f.h, f.v + 0.5f, 0);
  glVertex3f(f.h + 0.4f, f.v + 0.5f, 0);
  glVertex3f(f.h + 0.4f, f.v + 0.25f, 0);
  glVertex3f(f.h + 0.01f, f.v + 0.25f, 0);
  glVertex3f(f.h + 0.01f, f.v, 0);
  glEnd();
  if (leader) DrawBallGlyph(leader->playerID, f.h + kClothMiddleH, f.v + kClothMiddleV, kFlagGlyphSize);
}

void SphereAt2d(int x, int y, float size) {
  glPushMatrix();
  glTranslatef(static_cast<float>(x), static_cast<float>(y), -5);
  const int detail = static_cast<int>(std::floor(size * 30));
  glutSolidSphere(size, detail, detail);
  glPopMatrix();
}
