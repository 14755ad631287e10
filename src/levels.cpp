// Node motion and the camera framing on human balls.
#include "TethrixExtern.h"

#include <cmath>

namespace {

void moveUnstable(block &b) {
  b.h += b.h2 * speedMult;
  b.v += b.v2 * speedMult;
  if (b.h < levelLeft || b.h > levelRight) b.h2 = -b.h2;
  if (b.v < levelBottom || b.v > levelTop) b.v2 = -b.v2;
}

void moveOrbiter(block &b) {
  double theta = 2 * kPi * b.position / b.period;
  b.h = static_cast<float>(b.h1 + b.h2 * std::sin(theta));
  b.v = static_cast<float>(b.v1 + b.v2 * std::cos(theta));
  b.position += speedMult;
}

void moveSinMove(block &b) {
  double s = 0.5 + 0.5 * std::sin(static_cast<double>(b.position) / b.period);
  b.h = static_cast<float>(b.h1 + (b.h2 - b.h1) * s);
  b.v = static_cast<float>(b.v1 + (b.v2 - b.v1) * s);
  b.position += speedMult;
}

void moveLinMove(block &b) {
  if (b.position > 1) b.position = -1;
  double t = std::fabs(static_cast<double>(b.position));
  b.h = static_cast<float>(b.h1 + (b.h2 - b.h1) * t);
  b.v = static_cast<float>(b.v1 + (b.v2 - b.v1) * t);
  b.position += speedMult / b.period;
}

} // namespace

void MoveBlock(int blockID) {
  if (paused || blockID < 0 || blockID >= kMaxBlocks) return;
  block &b = blocks[blockID];
  if (b.blink > 0) {
    b.blink -= speedMult;
    if (b.blink < 0) b.blink = 0;
    return;
  }
  if (b.blink < 0) return;
  if (b.type == kNodeBlinkPeriodic) {
    b.position += speedMult;
    if (b.position > b.period) {
      b.blink = b.h1;
      b.position = 0;
    }
  } else if (b.type == kNodeUnstable || GameHas(kTraitUnstableNodes)) {
    moveUnstable(b);
  } else if (b.type == kNodeOrbiter) {
    moveOrbiter(b);
  } else if (b.type == kNodeSinMove) {
    moveSinMove(b);
  } else if (b.type == kNodeLinMove) {
    moveLinMove(b);
  }
}

namespace {

constexpr float kLevelView = 12.0f;  // units across when framing the whole level
constexpr float kPlayersView = 8.0f; // units across when framing the human balls
// What is framed must fit the height above the score bar, not the whole window's.
constexpr float kFramedAspect = kLevelView / (2 * kHalfViewV);

// Centres the view on a box and zooms out until a view of `view` units across shows it.
void frameBox(float minH, float maxH, float minV, float maxV, float view) {
  screenH = (minH + maxH) / 2;
  screenV = (minV + maxV) / 2;
  float span = (maxV - minV) * kFramedAspect;
  if (maxH - minH >= span) span = maxH - minH;
  screenScale = span > view ? view / span : 1;
}

} // namespace

int FindCenter() {
  humansNum = 0;
  float minH = levelRight, maxH = levelLeft, minV = levelTop, maxV = levelBottom;
  auto widen = [&](const player *p) {
    const float h = p->x[curSlot(p)], v = p->y[curSlot(p)];
    if (h < minH) minH = h;
    if (h > maxH) maxH = h;
    if (v < minV) minV = v;
    if (v > maxV) maxV = v;
  };
  int alive = 0;
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    // A human taken out of the match on the score bar is still alive; it is not followed.
    if (!p->alive || !p->active || p->ai != kHuman) continue;
    if (humansNum < kMaxHumans) humans[humansNum++] = p; // more humans still widen the box
    alive++;
    widen(p);
  }
  if (alive == 0) {
    frameBox(levelLeft, levelRight, levelBottom, levelTop, kLevelView);
  } else {
    if (GameHas(kTraitPuck) && puck) widen(puck);
    frameBox(minH, maxH, minV, maxV, kPlayersView);
  }
  return humansNum;
}

void QuantiseScale() {
  if (screenScale < quantisedScale)
    quantisedScale = screenScale;
  else if (quantisedScale + 0.2f < screenScale)
    quantisedScale = screenScale - 0.2f;
  if (screenScale == 1.0f) quantisedScale = 1.0f;
  if (quantisedScale > 1.0f) quantisedScale = 1.0f;
}

int teamAlive(int team) {
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->team == team && players[i]->alive && players[i]->active) return 1;
  return 0;
}
