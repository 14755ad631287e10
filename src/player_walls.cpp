// Walls and flippers: a ball bouncing off a wall, and a flipper's swing and kick.
#include "TethrixExtern.h"

#include <cmath>

namespace {

constexpr float kFlipperTriggerStun = 3.0f; // a ball stunned longer cannot trigger a flipper

// Where a flipper's tip stands when turned by angle a from rest.
void flipperTip(const wall &w, float a, float &h, float &v) {
  const float dh = w.defaultH2 - w.h1, dv = w.defaultV2 - w.v1;
  h = w.h1 + std::cos(a) * dh - std::sin(a) * dv;
  v = w.v1 + std::sin(a) * dh + std::cos(a) * dv;
}

bool nearWall(const player *p, const wall &w, float L2) {
  const float dh = w.h2 - w.h1, dv = w.v2 - w.v1;
  const float ph = posH(p), pv = posV(p);
  const float ah = ph - w.h1, av = pv - w.v1;
  const float bh = ah + velH(p), bv = av + velV(p);
  const float aA = ah * dh + av * dv, aB = bh * dh + bv * dv;
  const float cA = av * dh - ah * dv, cB = bv * dh - bh * dv;
  const float band = p->radius * L2;
  const bool along = (aA <= L2 && aB >= 0) || (aB <= L2 && aA >= 0);
  const bool across = (cA <= band && cB >= -band) || (cB <= band && cA >= -band);
  return along && across;
}

void kickFromFlipper(player *p, const wall &w, float L) {
  float &h = posH(p), &v = posV(p);
  const float rh = h - w.h1, rv = v - w.v1;
  const float r = std::sqrt(rh * rh + rv * rv);
  float th, tv;
  flipperTip(w, w.currentAngle + w.flipSpeed, th, tv);
  h += r * (th - w.h2) / L;
  v += r * (tv - w.v2) / L;
}

void bounceOffWall(player *p, wall &w, float L) {
  const float th = (w.h2 - w.h1) / L, tv = (w.v2 - w.v1) / L; // unit tangent
  const float nh = -tv, nv = th;                               // unit normal
  const float ph = posH(p), pv = posV(p);
  const float vh = velH(p), vv = velV(p);
  const float s0 = (ph - w.h1) * nh + (pv - w.v1) * nv;
  const float s1 = (ph + vh - w.h1) * nh + (pv + vv - w.v1) * nv;
  if (!(-p->radius < s1 && s1 < p->radius && (s1 - s0) * s1 < 0)) return;
  const float along = vh * th + vv * tv, normal = vh * nh + vv * nv;
  const float nvh = along * th - w.elasticity * normal * nh;
  const float nvv = along * tv - w.elasticity * normal * nv;
  posH(p) = p->x[prevSlot(p)] + nvh;
  posV(p) = p->y[prevSlot(p)] + nvv;
  if (!w.isFlipper) return;
  if (p->block != kRopeFree) {
    p->block = kRopeFree;
    if (p->moveDelay < kFlipperTriggerStun) w.goingUp = 1;
  }
  if (w.goingUp) kickFromFlipper(p, w, L);
}

} // namespace

void HitWalls(player *p) {
  for (int i = 0; i < wallNum && i < kMaxWalls; i++) {
    wall &w = walls[i];
    const float dh = w.h2 - w.h1, dv = w.v2 - w.v1;
    const float L2 = dh * dh + dv * dv;
    if (L2 == 0) continue; // a wall without length has no normal
    if (!nearWall(p, w, L2)) continue;
    if (w.isFlipper && p->block != kRopeFree && p->moveDelay < kFlipperTriggerStun) w.goingUp = 1;
    bounceOffWall(p, w, std::sqrt(L2));
  }
}

void StepFlipper(wall *w) {
  flipperTip(*w, w->currentAngle, w->h2, w->v2);
  const bool shortOfSwing = (w->flipAngle > 0 && w->currentAngle < w->flipAngle) ||
                            (w->flipAngle < 0 && w->currentAngle > w->flipAngle);
  if (w->goingUp && shortOfSwing) {
    w->currentAngle += w->flipSpeed;
    return;
  }
  const bool sameSide = (w->currentAngle > 0 && w->flipAngle > 0) ||
                        (w->currentAngle < 0 && w->flipAngle < 0);
  if (sameSide) {
    w->goingUp = 0;
    w->currentAngle -= w->flipSpeed;
  } else if (w->currentAngle != 0) {
    w->currentAngle = 0;
  }
}
