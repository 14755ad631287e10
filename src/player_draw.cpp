// Drawing one ball, and the clocks that tick only while a ball is drawn.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>

namespace {

constexpr int kFaceColumns = 16;
constexpr int kFaceRows = 6;
constexpr float kCellWidth = 1.0f / kFaceColumns;
constexpr float kCellHeight = 1.0f / kFaceRows;
constexpr float kShieldScale = 1.5f;
constexpr float kSupernovaFull = 50.0f;
constexpr int kGhostDetail = 10;
constexpr int kLosingMargin = 2;

enum FaceColumn {
  kFaceShielded = 0,
  kFaceGrown = 1,
  kFaceLosing = 2,
  kFaceTurbo = 4,
  kFaceDrunk = 5,
  kFaceStunned = 6,
  kFaceShrunk = 8,
  kFaceSlowed = 11,
  kFaceIt = 14,
  kFaceSupernova = 15,
};

// Every other ball among the first six is more than two points ahead.
bool losingBadly(const player *p) {
  bool others = false;
  for (int i = 0; i < numPlayers && i < kRosterSize; i++) {
    const player *q = players[i];
    if (q == p) continue;
    if (q->score <= p->score + kLosingMargin) return false;
    others = true;
  }
  return others;
}

// The clocks run while a ball is drawn, so they keep counting during a pause.
void tickRopeClock(player *p) {
  if (p->block < 0)
    p->timeFree += speedMult;
  else
    p->timeAttatched += speedMult;
}

void tickShield(player *p) {
  p->moveDelay = 0; // a shielded ball is never stunned
  p->shield -= speedMult;
}

void drawRope(const player *p) {
  if (p->block < 0 || p->block >= kMaxBlocks) return;
  const block &b = blocks[p->block];
  glDisable(GL_LIGHTING);
  if (p->moveDelay > 0)
    glColor3f(1, 0, 0);
  else
    glColor3f(1, 1, 1);
  glBegin(GL_LINES);
  glVertex3f(posH(p), posV(p), 0);
  glVertex3f(b.h, b.v, 0);
  glEnd();
}

// A point at angle a and radius rho, measured from the vertical.
void polar(double a, double rho) {
  glVertex3f(static_cast<float>(rho * std::sin(a)), static_cast<float>(rho * std::cos(a)), 0);
}

void drawMagShield(float t) {
  glColor3f(1, 0, 0);
  for (int i = 0; i < 8; i++) {
    const double arm = t / 5 + i * kPi / 4;
    glBegin(GL_LINE_STRIP);
    glVertex3f(0, 0, 0);
    for (int j = 1; j <= 7; j++) polar(arm - (8 - j) * 0.2, j / 4.0);
    polar(arm, 2);
    glEnd();
  }
}

void drawGravShield(float t) {
  glColor3f(0, 1, 0);
  for (int i = 0; i < 8; i++) {
    const double rho = 2 * std::sin(i * kPi / 4 + t / 5);
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j <= 8; j++) polar(j * kPi / 4, rho);
    glEnd();
  }
}

void drawFace(const player *p) {
  const int row = ((p->playerID % kFaceRows) + kFaceRows) % kFaceRows; // balls past six reuse rows
  const float u0 = faceColumn(p) * kCellWidth;
  const float v0 = (kFaceRows - 1 - row) * kCellHeight;
  glColor3f(1, 1, 1);
  if (p->stop > 0) glColor3f(0.5f, 1.5f, 1.5f);
  if (p->unblockable > 0) glColor3f(0.5f, 0.5f, 0.5f);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
  const float r = p->radius, z = playersDrawn * 0.02f + 0.02f;
  glBegin(GL_QUADS);
  glTexCoord2f(u0, v0);
  glVertex3f(-r, -r, z);
  glTexCoord2f(u0 + kCellWidth, v0);
  glVertex3f(r, -r, z);
  glTexCoord2f(u0 + kCellWidth, v0 + kCellHeight);
  glVertex3f(r, r, z);
  glTexCoord2f(u0, v0 + kCellHeight);
  glVertex3f(-r, r, z);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  playersDrawn++;
  if (p->magShield > 0) drawMagShield(p->magShield);
  if (p->gravShield > 0) drawGravShield(p->gravShield);
}

void drawBody(player *p) {
  if (p->ghost > 0) {
    p->ghost -= speedMult;
    glutWireSphere(p->radius, kGhostDetail, kGhostDetail);
  } else if (p->sprite < 1 || p == puck) {
    glutSolidSphere(p->radius, spheredetail, spheredetail);
  } else {
    drawFace(p);
  }
}

void drawGlows(player *p) {
  glDisable(GL_LIGHTING);
  if (p->shield > 0) {
    glColor4f(1, 1, 0, 0.5f);
    glutSolidSphere(kShieldScale * p->radius, spheredetail, spheredetail);
    tickShield(p);
  }
  if (p->supernovaCharge > 0 && p->supernovaCharge < kSupernovaFull) {
    glColor4f(1, 0, 0, p->supernovaCharge * 0.02f);
    glutSolidSphere((2 - p->supernovaCharge * 0.02f) * p->radius, spheredetail, spheredetail);
  }
}

// Outside the shield's glow, so the mark still shows on a shielded ball.
constexpr float kTeamMarkScale = 1.6f;

void drawTeamMarkOf(const player *p) {
  if (!isTeamGame() || p == puck || p->team < 0 || p->team >= kMaxTeams) return;
  const player *leader = teamLeaders[p->team];
  if (!leader) return;
  glDisable(GL_LIGHTING);
  glColor3f(leader->r, leader->g, leader->b);
  glPushMatrix();
  glTranslatef(posH(p), posV(p), 0);
  DrawTeamMark(p->team, kTeamMarkScale * p->radius);
  glPopMatrix();
}

// At the ball's shoulder, upright, clear of its eyes and mouth; it grows and shrinks with the ball.
constexpr float kGlyphOffset = 0.6f, kGlyphScale = 0.55f;

void drawGlyphOf(const player *p) {
  if (p == puck) return;
  const float r = p->radius;
  DrawBallGlyph(p->playerID, posH(p) + kGlyphOffset * r, posV(p) + kGlyphOffset * r, kGlyphScale * r);
}

} // namespace

// Teams share a face and may share a hue for a colour-blind player: each team
// also has its own outline, a ring, a diamond, a triangle and so on.
void DrawTeamMark(int team, float radius) {
  constexpr int kSides[kMaxTeams] = {24, 4, 3, 6, 5, 8, 7};
  const int sides = kSides[((team % kMaxTeams) + kMaxTeams) % kMaxTeams];
  glBegin(GL_LINE_LOOP);
  for (int j = 0; j < sides; j++) polar(2 * kPi * j / sides, radius);
  glEnd();
}

int faceColumn(const player *p) {
  if (p->moveDelay > 0) return kFaceStunned;
  if (GameHas(kTraitIt) && it == p) return kFaceIt;
  if (p->radius < 0.8f * p->defaultSize) return kFaceShrunk;
  if (p->radius > 1.2f * p->defaultSize) return kFaceGrown;
  if (p->drunk > 0) return kFaceDrunk;
  if (p->turbo > 0) return kFaceTurbo;
  if (p->shield > 0) return kFaceShielded;
  if (p->slow > 0) return kFaceSlowed;
  if (p->powerUpType == kPowerSupernova) return kFaceSupernova;
  if (losingBadly(p)) return kFaceLosing;
  const int column = p->sprite - 1;
  return column >= 0 && column < kFaceColumns ? column : 0;
}

void DrawPlayer(player *p) {
  const int ownSprite = p->sprite;
  tickRopeClock(p);
  drawRope(p);
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  glColor3f(p->r, p->g, p->b);
  glPushMatrix();
  glTranslatef(posH(p), posV(p), 0);
  if (isTeamGame() && p != puck && p->team >= 0 && p->team < kMaxTeams && teamLeaders[p->team])
    p->sprite = teamLeaders[p->team]->sprite; // a team shares one face
  glRotatef(static_cast<float>(-p->graphicAngle * 180.0 / kPi), 0, 0, 1);
  drawBody(p);
  p->sprite = ownSprite;
  drawGlows(p);
  glPopMatrix();
  drawTeamMarkOf(p); // upright: a diamond must not turn into a square as the ball swings
  drawGlyphOf(p);
  glEnable(GL_LIGHTING);
}
