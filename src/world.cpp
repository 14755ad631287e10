// The rules the frame and the rounds apply: the gravity field, the round and full resets, the power-up spawn.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <climits>
#include <cmath>
#include <utility>

// ---- Gravity field --------------------------------------------------------------------
// A dead or benched ball keeps its last position; pulling toward it would be a ghost vacuum.
static bool suctionCanPull() {
  return suctionPlayer && suctionPlayer->alive && suctionPlayer->active;
}

static void applyField(float *h, float *v) {
  const float g = gravity, s = speedMult;
  switch (gravityMode) {
  case kGravityPlanetary: {
    float r = std::sqrt(*h * *h + *v * *v);
    if (r != 0) {
      *v -= (*v * g / r) * s;
      *h -= (*h * g / r) * s;
    }
    break;
  }
  case kGravityWhirlwind: {
    float r = std::sqrt(*h * *h + *v * *v);
    if (r != 0) {
      *v += (*h * g / r) * s;
      *h -= (*v * g / r) * s;
    }
    break;
  }
  case kGravityVacuum: {
    if (!suctionCanPull()) { // its ball died or left: the vacuum ends, plain gravity
      gravityMode = kGravityNormal;
      *v -= g * s;
      break;
    }
    float *sh = &posH(suctionPlayer), *sv = &posV(suctionPlayer);
    if (h == sh && v == sv) {
      if (suctionPlayer->moveDelay > 0) gravityMode = kGravityNormal;
      break;
    }
    float d = std::sqrt((*h - *sh) * (*h - *sh) + (*v - *sv) * (*v - *sv));
    if (g < 0) d = -d;
    if (d != 0) {
      *v -= ((*v - *sv) * g / d) * s;
      *h -= ((*h - *sh) * g / d) * s;
    }
    break;
  }
  default:
    *v -= g * s;
    break;
  }
}

constexpr float kShieldReachSquared = 4.0f; // a shield acts within 2 units of its ball
constexpr float kMagShieldTurn = 0.05f;     // of the passing velocity, turned sideways
constexpr float kGravShieldPush = 0.01f;    // over the squared distance

static void applyShields(float *h, float *v, float hv, float vv) {
  for (int i = 0; i < numPlayers; i++) {
    player *q = players[i];
    if (!q->active || !q->alive) continue;
    if (&posH(q) == h && &posV(q) == v) continue; // never the carrier itself
    float dh = posH(q) - *h, dv = posV(q) - *v;
    float d2 = dh * dh + dv * dv;
    if (q->magShield > 0 && d2 < kShieldReachSquared) {
      *h += vv * kMagShieldTurn;
      *v -= hv * kMagShieldTurn;
    }
    if (q->gravShield > 0 && d2 < kShieldReachSquared && d2 > 0) {
      *h -= (dh / d2) * kGravShieldPush;
      *v -= (dv / d2) * kGravShieldPush;
    }
  }
}

void ApplyGravity(float *h, float *v, float hv, float vv, int unblockable) {
  applyField(h, v);
  if (!unblockable) applyShields(h, v, hv, vv);
}

// ---- Round and full reset ------------------------------------------------------------
constexpr float kReturnBlink = 50.0f; // ticks into a round before a vanished node returns

static void restoreNodes() {
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    block &b = blocks[i];
    if (b.blink < 0 || (b.blink > kReturnBlink && b.type != kNodeBlinkPeriodic)) b.blink = kReturnBlink;
    if (b.type == kNodeUnstable || GameHas(kTraitUnstableNodes)) {
      // A blinking node's h1 is its blink-out time, not a place to go back to.
      if (b.type != kNodeBlinkPeriodic && b.type != kNodeBlinkRelease) {
        b.h = b.h1;
        b.v = b.v1;
      }
      b.h2 = b.v2 = 0;
    }
  }
}

constexpr float kPuckMass = 1.0f;
// A draw of 0..kRandMax cut into one band for each ball of the roster.
constexpr int kRosterBand = 5461;
static_assert(kRosterBand == (kRandMax + 1) / kRosterSize, "one band per roster ball");

void ResetPositions() {
  for (int i = 0; i < numPlayers; i++) PlaceForRound(players[i]);
  if (puck) {
    if (GameHas(kTraitPuck)) {
      puck->alive = 1;
      puck->block = kRopeFree;
      puck->mass = kPuckMass;
      PutOnStart(puck);
    } else {
      puck->alive = 0;
    }
  }
  if (!isTeamGame()) {
    for (int k = 0; k < randomPos; k++) {
      int a = gameRand() / kRosterBand % kRosterSize;
      int b = gameRand() / kRosterBand % kRosterSize;
      Swap(a, b);
    }
  }
  restoreNodes();
  ClearParticles();
}

void ResetAll() {
  ResetOneSwitch();
  currentLevel = 0;
  contrails = 0;
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    p->score = 0;
    p->aliveTime = 0;
    p->magShield = 0;
    p->gravShield = 0;
    p->freezeRay = 0;
    p->powerUpType = kPowerNone;
    p->alive = 1;
    p->ghost = kRoundGhostTicks;
  }
  playerPresent = 0;
  glClearColor(0, 0, 0, 1);
  ReadPrefs();
  ReadLevelFile(defaultLevels);
  ResetPositions();
}

void Swap(int player1, int player2) {
  if (player1 < 0 || player2 < 0 || player1 >= numPlayers || player2 >= numPlayers) return;
  player *a = players[player1], *b = players[player2];
  const float ah = a->x[curSlot(a)], av = a->y[curSlot(a)];
  const float aph = a->x[prevSlot(a)], apv = a->y[prevSlot(a)];
  const float bh = b->x[curSlot(b)], bv = b->y[curSlot(b)];
  const float bph = b->x[prevSlot(b)], bpv = b->y[prevSlot(b)];
  a->frame = b->frame = 1;
  a->x[1] = bh, a->y[1] = bv, a->x[0] = bph, a->y[0] = bpv;
  b->x[1] = ah, b->y[1] = av, b->x[0] = aph, b->y[0] = apv;
  std::swap(a->graphicAngle, b->graphicAngle);
  std::swap(a->anglev, b->anglev);
  std::swap(a->block, b->block);
  std::swap(a->distance, b->distance);
}

void PrepareUnstableMatch() {
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    block &b = blocks[i];
    if (b.type != kNodeStill) continue;
    b.h1 = b.h;
    b.v1 = b.v;
    b.h2 = b.v2 = 0;
  }
}

// ---- Power-up spawn -------------------------------------------------------------------
// One frame in N may spawn. A frame that advances no time (a tool's frozen clock) never
// does, and an N beyond int is as good as never.
static int spawnChance() {
  if (!(speedMult > 0)) return 0;
  const float n = powerUpInfrequency / speedMult;
  return std::fabs(n) < static_cast<float>(INT_MAX / 2) ? static_cast<int>(n) : 0;
}

// At most one power-up a frame lands on a node, drawn from the weighted bag.
void PowerUpSpawnStep() {
  gameRand(); // two draws every frame, paused or not, keep seeded games in step
  gameRand();
  if (paused || arcadeMode) return;
  const int n = spawnChance();
  if (n == 0) return;
  if (gameRand() % n != 0) return;
  if (blockNum < 0 || powerUpsInList <= 0) return;
  const int nodes = blockNum + 1 < kMaxBlocks ? blockNum + 1 : kMaxBlocks;
  const int node = gameRand() % nodes;
  const int bag = powerUpsInList < kPowerUpListSize ? powerUpsInList : kPowerUpListSize;
  blocks[node].powerUp = powerUpList[gameRand() % bag];
}
