// The roster: creating balls, their built-in identities and bringing them back.
#include "TethrixExtern.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

struct Identity {
  const char *name;
  char key, powerUpKey;
  int sprite;
  float r, g, b;
};

// Built-in identities, indexed by the identity counter 1..6.
const Identity kIdentities[] = {
    {"", 0, 0, 0, 1, 0, 0},
    {"Red", 'z', 'a', 1, 1, 0, 0},
    {"Yellow", 'b', 'g', 2, 1, 1, 0},
    {"Orange", 'm', 'j', 10, 1, 0.5f, 0},
    {"Purple", '/', 'a', 4, 1, 0, 1},
    {"Green", '0', '1', 11, 0, 1, 0},
    {"Blue", '.', '3', 8, 0, 0, 1},
};
constexpr int kNumIdentities = static_cast<int>(sizeof kIdentities / sizeof kIdentities[0]);

int identityCounter = 7;

void applyIdentity(player *p, const Identity &id) {
  std::strncpy(p->name, id.name, sizeof p->name - 1);
  p->key = id.key;
  p->powerUpKey = id.powerUpKey;
  p->sprite = id.sprite;
  p->r = id.r;
  p->g = id.g;
  p->b = id.b;
}

} // namespace

void ResetIdentityCounter() { identityCounter = 7; }

player *NewPlayer(int team, int order) {
  player *p = static_cast<player *>(std::calloc(1, sizeof(player)));
  if (!p) std::abort();
  int n = --identityCounter;
  p->team = team;
  p->active = order <= 1 ? 1 : 0;
  p->mass = 1.0f;
  p->radius = 0.3f;
  p->defaultSize = 0.3f;
  p->acceleration = 0.03f;
  p->turbo = -1.0f;
  p->block = kRopeFree;
  p->ai = kComputer;
  p->target = nullptr;
  p->sprite = team + 3;
  p->r = n <= 4 ? 1.0f : 0.0f;
  p->g = (n == 2 || n == 5) ? 1.0f : (n == 3 ? 0.5f : 0.0f);
  p->b = (n == 4 || n == 6) ? 1.0f : 0.0f;
  if (n >= 1 && n < kNumIdentities) applyIdentity(p, kIdentities[n]);
  return p;
}

player *AddPlayer(int team, int order) {
  if (numPlayers >= kMaxPlayers) return nullptr;
  player *p = NewPlayer(team, order);
  players[numPlayers] = p;
  p->playerID = numPlayers;
  numPlayers++;
  return p;
}

// With no preferences file a ball looks like the colour its announcer says.
void ApplyBuiltInIdentity(player *p, const char *colourName) {
  for (int n = 1; n < kNumIdentities; n++)
    if (std::strcmp(kIdentities[n].name, colourName) == 0) applyIdentity(p, kIdentities[n]);
}

void PutOnStart(player *p) {
  p->frame = 1;
  p->x[0] = p->hStart;
  p->x[1] = p->hStart + p->hvStart;
  p->y[0] = p->vStart;
  p->y[1] = p->vStart + p->vvStart;
}

void PlaceForRound(player *p) {
  PutOnStart(p);
  p->alive = 1;
  p->supernovaCharge = 0;
  p->shield -= p->chase; // the shield a chase granted is taken back
  p->chase = 0;
  p->ghost = kRoundGhostTicks;
  p->block = kRopeFree;
  p->lastBlock = kNoNodeLetGo; // else a bot back on its start shuns the node it held before
  p->charge = 0;
  p->moveDelay = 0;
  p->stop = 0;
}

void ResetPlayer(player *p) {
  PlaceForRound(p);
  p->aliveTime = 0;
}

// ---- One physics step of a ball ------------------------------------------------------
namespace {

int slowSync;

constexpr int kBurstLifetime = 50;
constexpr float kDeathDeviation = 0.1f;
constexpr float kCaptureDeviation = 0.01f;
constexpr float kRopePayOut = 0.001f;
constexpr float kBungieStiffness = 0.1f;
constexpr float kUnstableMatchNodeMass = 5.0f;
constexpr int kPowerUpMessageLife = 100;
constexpr int kLastCreditedHitter = kRosterSize - 1;

float speedOf(const player *p) {
  const float vh = velH(p), vv = velV(p);
  return std::sqrt(vh * vh + vv * vv);
}

bool isPuck(const player *p) { return p == puck; }

void burst(player *p, float hv, float vv, float deviation, float *hCenter, float *vCenter) {
  const int n = spheredetail * spheredetail;
  NewParticles(n, posH(p), hv, posV(p), vv, p->r, p->g, p->b, deviation, hCenter, vCenter,
               kBurstLifetime);
}

void die(player *p, float hv, float vv) {
  PlaySoundFile("Die");
  RumbleBall(p, kRumbleDeath);
  if (p->supernovaCharge > 0) PlaySoundFileAnnouncer("Denied");
  p->alive = 0;
  burst(p, hv, vv, kDeathDeviation, nullptr, nullptr);
}

void creditDeath(player *p) {
  if (p->moveDelay > 0 && p->lastHit >= 0 && p->lastHit <= kLastCreditedHitter &&
      p->lastHit < numPlayers) {
    player *hitter = players[p->lastHit];
    if (p->playerID >= 0 && p->playerID < kRosterSize) hitter->playerKills[p->playerID]++;
    if (GameHas(kTraitKillScores)) AddPoint(hitter);
  } else {
    p->suicides++;
  }
}

void bouncePuck(player *p, float vh, float vv) {
  float &h = posH(p), &v = posV(p);
  if ((v < levelBottom && vv < 0) || (v > levelTop && vv > 0)) v -= 1.5f * vv;
  if ((h < levelLeft && vh < 0) || (h > levelRight && vh > 0)) h -= 1.5f * vh;
}

// Each edge crossed counts: a corner kills (and credits) twice.
void checkEdges(player *p, float vh, float vv) {
  const float h = posH(p), v = posV(p);
  const bool out[4] = {v < levelBottom, v > levelTop, h < levelLeft, h > levelRight};
  for (int edge = 0; edge < 4; edge++) {
    if (!out[edge]) continue;
    const bool across = edge < 2; // bottom and top throw the sparks back up or down
    die(p, across ? vh * 0.25f : -vh * 0.25f, across ? -vv * 0.25f : vv * 0.25f);
    creditDeath(p);
  }
}

void checkRadius(player *p, float vh, float vv) {
  if (p->radius >= kMinLiveRadius && p->radius <= kMaxLiveRadius) return;
  die(p, vh * 0.25f, vv * 0.25f);
  if (p->radius > 0) {
    const float f = p->defaultSize / p->radius;
    p->mass *= f * f * f;
    p->radius *= f;
  } else { // nothing to scale from: take the default size and its mass
    p->radius = p->defaultSize;
    p->mass = p->defaultSize * p->defaultSize * p->defaultSize * kMassPerCubicRadius;
  }
  p->sizeChange = 0;
}

void fall(player *p, float vh, float vv) {
  if (!(alwaysGravity != 0 || p->block < 0)) return;
  if (p->turbo > 0) gravity /= 4;
  if (!isPuck(p)) ApplyGravity(&posH(p), &posV(p), vh, vv, p->unblockable > 0);
  if (p->turbo > 0) gravity *= 4;
}

float sweptAngle(const player *p, const block &b) {
  const float ph = posH(p), pv = posV(p);
  const float qh = p->x[prevSlot(p)], qv = p->y[prevSlot(p)];
  return static_cast<float>(std::atan2(ph - b.h, pv - b.v) - std::atan2(qh - b.h, qv - b.v));
}

// Announce, count and hold the power-up; its label follows the ball while it is held.
void takePowerUp(player *p, int id) {
  if (id == kPowerNone) return;
  const char *sound = powerUpSound(id);
  if (*sound) PlaySoundFileAnnouncer(sound);
  p->powerups++;
  p->powerUpType = id;
  const bool follow = useFollowMessages != 0;
  PushMessage(posH(p), posV(p), velH(p), velV(p), kPowerUpMessageLife, powerUpLabel(id),
              follow ? &p->trailX : nullptr, follow ? &p->trailY : nullptr,
              follow ? &p->powerUpType : nullptr, id);
}

// Whatever the ball now holds, an Auto power-up acts at once (one held back by a freeze
// goes off at the next grab).
void useIfAuto(player *p) {
  if (powerUpIsAuto(p->powerUpType)) ProcessPowerUp(p);
}

void collectPowerUp(player *p, block &b) {
  takePowerUp(p, b.powerUp);
  b.powerUp = kPowerNone;
  useIfAuto(p);
}

// Balls step one after another, so of two teams grabbing a point in the same frame the
// later in the roster would always keep it; a point grabbed by both in one frame stays with
// whoever held it before that frame.
struct FrameGrab {
  int frame = -1;
  int ownerBefore = kDominationNeutral;
};
FrameGrab frameGrabs[kMaxBlocks];

int ownerAfterGrab(int node, int current, int grabber) {
  FrameGrab &g = frameGrabs[node];
  if (g.frame == cyclingCount) return g.ownerBefore; // the other team grabbed it this frame
  g.frame = cyclingCount;
  g.ownerBefore = current;
  return grabber;
}

void attach(player *p) {
  p->block = FindNearestBlock(posH(p), posV(p));
  if (p->block < 0) {
    p->block = kRopeFree;
    return;
  }
  block &b = blocks[p->block];
  const int owner = p->team * kDominationOwnerStep;
  if (GameHas(kTraitHeldPoints) && b.checkPoint >= 0 && b.checkPoint != owner) {
    burst(p, 0, 0, kCaptureDeviation, &b.h, &b.v);
    b.checkPoint = ownerAfterGrab(p->block, b.checkPoint, owner);
  }
  const float dh = posH(p) - b.h, dv = posV(p) - b.v;
  p->distance = std::sqrt(dh * dh + dv * dv);
  p->anglev = sweptAngle(p, b);
  collectPowerUp(p, b);
}

// The rope holds the ball on its circle and speeds it up a little.
void holdOnRope(player *p, block &b) {
  float &h = posH(p), &v = posV(p);
  const float h0 = h, v0 = v;
  const float s0 = speedOf(p);
  const float dh = h - b.h, dv = v - b.v;
  const float d = std::sqrt(dh * dh + dv * dv);
  if ((rigidStrings != 0 || d > p->distance) && d != 0) {
    h = b.h + dh * (p->distance / d);
    v = b.v + dv * (p->distance / d);
  }
  const float s1 = speedOf(p);
  if (s1 <= s0 && s1 != 0) {
    float e = (s1 - s0) / s1 + p->acceleration;
    if (e > 1 || e < 0) e = 0;
    const float vh = velH(p), vv = velV(p);
    h += vh * e;
    v += vv * e;
  }
  p->anglev = sweptAngle(p, b);
  const bool allUnstable = GameHas(kTraitUnstableNodes);
  if (allUnstable || b.type == kNodeUnstable) {
    const float m = allUnstable ? kUnstableMatchNodeMass : b.period;
    b.h2 += p->mass * (h0 - h) / (p->mass + m);
    b.v2 += p->mass * (v0 - v) / (p->mass + m);
  }
}

void bungieRope(player *p, block &b) {
  float &h = posH(p), &v = posV(p);
  const float dh = h - b.h, dv = v - b.v;
  h -= dh * kBungieStiffness * speedMult;
  v -= dv * kBungieStiffness * speedMult;
  p->anglev = sweptAngle(p, b);
  p->bungie -= speedMult;
}

void rope(player *p) {
  if (p->block < 0 || p->block > blockNum || p->block >= kMaxBlocks) {
    p->block = kRopeFree; // a rope to a node the level no longer has
    return;
  }
  block &b = blocks[p->block];
  p->distance += kRopePayOut;
  if (p->bungie <= 0)
    holdOnRope(p, b);
  else
    bungieRope(p, b);
  if (b.blink != 0) p->block = kRopeFree;
}

} // namespace

void ResetDoPlayer() {
  slowSync = 0;
  for (FrameGrab &g : frameGrabs) g = FrameGrab{};
}

// A node let go of in a blink match is gone for the round; a blink-on-release
// node hides for its blink-out time.
void ReleaseHeldNode(const player *p) {
  if (p->block < 0 || p->block > blockNum || p->block >= kMaxBlocks) return;
  block &b = blocks[p->block];
  if (GameHas(kTraitBlinkNodes))
    b.blink = -1;
  else if (b.type == kNodeBlinkRelease)
    b.blink = b.h1;
}

void CollectPowerUp(player *p, int id) {
  takePowerUp(p, id);
  useIfAuto(p);
}

void MovePlayer(player *p) {
  const float vh = velH(p), vv = velV(p);
  const int n = (p->frame + 1) % kRingSize;
  p->x[n] = posH(p) + vh;
  p->y[n] = posV(p) + vv;
  p->trailX = p->x[n];
  p->trailY = p->y[n];
  p->frame++;
  p->graphicAngle += p->anglev;
  if (isPuck(p)) {
    if (GameHas(kTraitPuck)) bouncePuck(p, vh, vv);
  } else {
    checkEdges(p, vh, vv);
    checkRadius(p, vh, vv);
  }
  if (p->moveDelay > 0) {
    if (p->block >= 0) p->block = kRopeRequested;
    p->moveDelay -= speedMult;
  }
  fall(p, vh, vv);
  if (p->block == kRopeRequested)
    attach(p);
  else if (p->block >= 0)
    rope(p);
}

void DoPlayer(player *p) {
  if (numPlayers > 0 && p == players[0]) slowSync++;
  if (!isPuck(p) && !(p->active && p->alive)) return;
  if (paused) {
    DrawPlayer(p);
    return;
  }
  if (p->slow > 0) {
    p->slow -= 1.0f; // counts frames, not ticks
    if (slowSync % 4 != 0) return;
  }
  if (p->stop > 0) {
    p->stop -= speedMult;
    p->moveDelay = 0;
  }
  if (!isPuck(p)) DoAI(p);
  if (p->stop <= 0) {
    HitWalls(p);
    MovePlayer(p);
    SpecialPlayer(p);
  }
  if (p->alive) DrawPlayer(p);
}
