// Drawing one ball, and the clocks that tick only while a ball is drawn.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

// The free and attached clocks and the ghost and shield countdowns run while a
// ball is drawn, so they keep counting during a pause.
void tickRopeClock(player *p) {
  if (p->block < 0)
    p->timeFree += speedMult;
  else
    p->timeAttatched += speedMult;
}

void tickShield(player *p) {
  if (p->shield <= 0) return;
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
  glVertex3f(p->x[curSlot(p)], p->y[curSlot(p)], 0);
  glVertex3f(b.h, b.v, 0);
  glEnd();
}

void drawDisc(const player *p) {
  const int sides = spheredetail > 3 ? spheredetail : 3;
  glBegin(GL_POLYGON);
  for (int i = 0; i < sides; i++) {
    const double a = 2 * kPi * i / sides;
    glVertex3f(static_cast<float>(p->radius * std::sin(a)), static_cast<float>(p->radius * std::cos(a)), 0);
  }
  glEnd();
}

} // namespace

void DrawPlayer(player *p) {
  tickRopeClock(p);
  drawRope(p);
  glPushMatrix();
  glTranslatef(p->x[curSlot(p)], p->y[curSlot(p)], 0);
  glColor3f(p->r, p->g, p->b);
  if (p->ghost > 0) {
    p->ghost -= speedMult;
    glutWireSphere(p->radius, 10, 10);
  } else {
    drawDisc(p);
  }
  glPopMatrix();
  tickShield(p);
}
