// Computer players: when to rope on and let go, whom to hunt, when to fire a power-up.
#include "TethrixExtern.h"

#include <cmath>
#include <initializer_list>

namespace {

// ---- Steering thresholds ----------------------------------------------------------------
constexpr float kMiddleHalfWidth = 3.0f; // the middle strategy ropes on outside this box
constexpr float kMiddleHalfHeight = 2.0f;
constexpr float kMiddleSpin = 0.0025f;    // anglev squared the middle strategy lets go above
constexpr float kMiddleRegrabTicks = 10.0f;
constexpr float kSurviveHalfWidth = 4.0f; // the survival strategy ropes on outside this box
constexpr float kSurviveHalfHeight = 3.0f;
constexpr float kReleaseSpin = 0.01f;       // anglev squared the other strategies let go above
constexpr float kForgetApproach = 10000.0f; // the tracker after a release: any node is nearer
constexpr float kEdgeMargin = 1.0f;         // closer than this to an edge the bot ropes on
constexpr float kKeepFlyingCourse = 1.5f;   // looser course test while flying...
constexpr float kReleaseCourse = 2.0f;      // ...than for letting go
constexpr float kPuckLead = 0.2f;           // aim this far past the puck, away from the goal

// ---- Power-up thresholds ----------------------------------------------------------------
constexpr float kShotgunMinSpeed2 = 0.01f;
constexpr float kShotgunRecoilShare = 0.5f;
constexpr float kFirstBarrelAim = 0.05f;  // squared angle
constexpr float kSecondBarrelAim = 0.01f; // squared angle times squared distance
constexpr float kEscapeSteps = 5.0f;
constexpr float kStunnedUseAbove = 10.0f;  // stun ticks left worth a Shield or a Nova
constexpr float kPlanetaryReach2 = 4.0f;   // within 2 units of the middle
constexpr int kTwiddleRefusal = 300;       // one draw in this many keeps the Twiddle

long powerUpUses = 0;
void (*useHook)(const player *, int) = nullptr;

struct Ball {
  float x, y, vx, vy;
};

Ball ballOf(const player *p) {
  const float x = p->x[curSlot(p)], y = p->y[curSlot(p)];
  return {x, y, x - p->x[prevSlot(p)], y - p->y[prevSlot(p)]};
}

bool holds(const player *p, std::initializer_list<int> ids) {
  for (int id : ids)
    if (p->powerUpType == id) return true;
  return false;
}

// Fired only when the held power-up changes: an unarmed one stays held and is not counted.
void use(player *p) {
  const int before = p->powerUpType;
  if (useHook) useHook(p, before);
  ProcessPowerUp(p);
  if (p->powerUpType != before) powerUpUses++;
}

bool outsideArena(float h, float v) {
  return h < levelLeft || h > levelRight || v < levelBottom || v > levelTop;
}

bool twoFlagTeam(int team) { return team == 0 || team == 1; }

// ---- Power-up rules ---------------------------------------------------------------------
bool barrelLinedUp(const player *p, const Ball &b, const Ball &c) {
  const float angleTo = std::atan2(c.x - b.x, c.y - b.y);
  const float s = std::sqrt(b.vx * b.vx + b.vy * b.vy);
  const float aim =
      std::atan2(kShotgunRecoilShare * b.vx / s - c.vx, kShotgunRecoilShare * b.vy / s - c.vy);
  if (!(b.vx * (b.x - c.x) < 0)) return false; // not closing in along h
  const float miss2 = (angleTo - aim) * (angleTo - aim);
  const float dh = b.x - c.x, dv = b.y - c.y;
  return (p->powerUpType == kPowerShotgun && miss2 < kFirstBarrelAim) ||
         (p->powerUpType == kPowerShotgunSecond && miss2 * (dh * dh + dv * dv) < kSecondBarrelAim);
}

void aimShotgun(player *p) {
  if (!holds(p, {kPowerShotgun, kPowerShotgunSecond})) return;
  const Ball b = ballOf(p);
  if (!(b.vx * b.vx + b.vy * b.vy > kShotgunMinSpeed2)) return;
  for (int i = 0; i < numPlayers; i++) {
    const player *q = players[i];
    if (q == p || !q->alive || !q->active) continue;
    if (!GameHas(kTraitBotsShootTeammates) && q->team == p->team) continue;
    const Ball c = ballOf(q);
    if (c.y == b.y || b.vy == 0) continue;
    if (barrelLinedUp(p, b, c)) use(p);
  }
}

void escape(player *p) {
  if (!holds(p, {kPowerReverse, kPowerTimeWarp, kPowerChainCharge, kPowerChase, kPowerAntimatter,
                 kPowerBombInFlight, kPowerBlinkStrike}))
    return;
  const Ball b = ballOf(p);
  if (outsideArena(b.x + kEscapeSteps * b.vx, b.y + kEscapeSteps * b.vy)) use(p);
}

void useWhileStunned(player *p) {
  if (holds(p, {kPowerShield, kPowerNova}) && p->moveDelay > kStunnedUseAbove) use(p);
}

// The Twiddle's draw is made only when one is held, so holding nothing keeps the sequence.
// A detonator has no catalogue row: the bomb in flight is always set off.
bool worthUsingNow(const player *p) {
  if (p->powerUpType == kPowerBombInFlight) return true;
  const Ball b = ballOf(p);
  switch (powerUpBotUse(p->powerUpType)) {
  case BotUse::kAtOnce: return true;
  case BotUse::kWhenCharged: return p->supernovaCharge == 0;
  case BotUse::kBelowMiddle: return b.y < 0;
  case BotUse::kAboveMiddle: return b.y > 0;
  case BotUse::kNearMiddle: return b.x * b.x + b.y * b.y < kPlanetaryReach2;
  case BotUse::kMostly: return gameRand() % kTwiddleRefusal != 0;
  case BotUse::kKeep: case BotUse::kUnset: return false;
  }
  return false;
}

void useInTag(player *p) {
  if (!GameHas(kTraitIt) || p != it) return;
  if (holds(p, {kPowerChainCharge, kPowerChase, kPowerAntimatter, kPowerVacuumCleaner,
                kPowerBlinkStrike, kPowerOmegaOne}))
    use(p);
}

// Dropped on anyone below within reach; a teammate is spared in a team game.
void slam(player *p) {
  const Ball b = ballOf(p);
  for (int i = 0; i < numPlayers && p->powerUpType == kPowerSlam; i++) {
    const player *q = players[i];
    if (q == p || !q->active) continue;
    if (isTeamGame() && q->team == p->team) continue;
    const Ball c = ballOf(q);
    const float dh = b.x - c.x;
    if (c.y < b.y && dh * dh < p->radius + q->radius) use(p);
  }
}

// After each kill the chain goes on, whatever else the bot holds.
void continueChain(player *p) {
  if (p->charge > 0 && p->target && !p->target->alive) {
    p->powerUpType = kPowerChainCharge;
    use(p);
  }
}

// ---- Goals -----------------------------------------------------------------------------------
void offsetTo(const Ball &b, float h, float v, float *temph, float *tempv) {
  *temph = b.x - h;
  *tempv = b.y - v;
}

bool flagGoal(const player *p, const Ball &b, float *temph, float *tempv) {
  if (!twoFlagTeam(p->team)) return false;
  const flag &theirs = flags[1 - p->team], &ours = flags[p->team];
  if (b.x == theirs.h && b.y == theirs.v)
    offsetTo(b, ours.hstart, ours.vstart, temph, tempv); // carrying it: home
  else if (ours.h == ours.hstart && ours.v == ours.vstart)
    offsetTo(b, theirs.hstart, theirs.vstart, temph, tempv); // go and steal
  else
    offsetTo(b, ours.h, ours.v, temph, tempv); // chase the thief
  return true;
}

int nextCheckPoint(const player *p) { return p->score % numCheckPoints + 1; }

bool raceGoal(const player *p, const Ball &b, float *temph, float *tempv) {
  if (numCheckPoints <= 0) return false;
  const block *n = findNode(b.x, b.y, nextCheckPoint(p));
  if (!n) return false;
  offsetTo(b, n->h, n->v, temph, tempv);
  return true;
}

bool dominationGoal(const player *p, const Ball &b, float *temph, float *tempv) {
  const block *n = findNode(b.x, b.y, kDominationNeutral);
  if (!n) n = findNode(b.x, b.y, kDominationOwnerStep * (1 - p->team));
  if (n)
    offsetTo(b, n->h, n->v, temph, tempv);
  else
    *temph = *tempv = 0;
  return true;
}

// With the puck on the goal there is no "behind": the bot heads for the puck itself.
bool puckGoal(const player *p, const Ball &b, float *temph, float *tempv) {
  if (!puck || !twoFlagTeam(p->team)) return false;
  const flag &g = flags[1 - p->team];
  const Ball k = ballOf(puck);
  const float dh = k.x - g.h, dv = k.y - g.v;
  const float len = std::sqrt(dh * dh + dv * dv);
  float uh = 0, uv = 0;
  if (len > 0 && std::isfinite(dh / len) && std::isfinite(dv / len)) uh = dh / len, uv = dv / len;
  offsetTo(b, k.x + kPuckLead * uh, k.y + kPuckLead * uv, temph, tempv);
  return true;
}

// It chases the leader; the others head away from it (the offset is mirrored).
bool tagGoal(player *p, const Ball &b, float *temph, float *tempv) {
  if (!it) return false;
  if (p == it) {
    Retarget(p);
    if (!p->target) return false;
    const Ball t = ballOf(p->target);
    offsetTo(b, t.x, t.y, temph, tempv);
  } else {
    const Ball i = ballOf(it);
    *temph = i.x - b.x;
    *tempv = i.y - b.y;
  }
  return true;
}

// Read after the chain goes on: a new charge moves the ball.
bool huntGoal(player *p, float *temph, float *tempv) {
  continueChain(p);
  const player *hunted = p->target;
  if (!hunted || hunted == p || !hunted->alive || !hunted->active) {
    p->target = p;
    Retarget(p);
  }
  if (!p->target) return false;
  const Ball t = ballOf(p->target);
  offsetTo(ballOf(p), t.x, t.y, temph, tempv);
  return true;
}

// ---- Strategies ------------------------------------------------------------------------------
float squared(float f) { return f * f; }

void requestRope(player *p) { p->block = kRopeRequested; }

void releaseAndForget(player *p) {
  p->lastBlock = p->block;
  p->distance = kForgetApproach;
  LetGo(p);
}

void keepToMiddle(player *p) {
  const Ball b = ballOf(p);
  if (p->block == kRopeFree) {
    if (std::fabs(b.x) > kMiddleHalfWidth || std::fabs(b.y) > kMiddleHalfHeight) requestRope(p);
  } else if (b.vx * b.x < 0 && b.vy * b.y < 0 && squared(p->anglev) > kMiddleSpin) {
    LetGo(p);
    p->moveDelay = kMiddleRegrabTicks;
  }
}

// The nearest node other than the one just left; -1 when there is none to track.
int trackedNode(const player *p, const Ball &b) {
  const int n = FindNearestBlock(b.x, b.y);
  return n >= 0 && n != p->lastBlock ? n : -1;
}

float distance2To(const Ball &b, int n) {
  return squared(b.x - blocks[n].h) + squared(b.y - blocks[n].v);
}

void survive(player *p) {
  const Ball b = ballOf(p);
  if (p->block == kRopeFree) {
    const int n = trackedNode(p, b);
    if (n >= 0) {
      const float d2 = distance2To(b, n);
      if (d2 > p->distance)
        requestRope(p); // just past the closest approach
      else
        p->distance = d2;
    }
    if (std::fabs(b.x) > kSurviveHalfWidth || std::fabs(b.y) > kSurviveHalfHeight) requestRope(p);
  } else if (b.vx * b.x < 0 && b.vy * b.y < 0 && squared(p->anglev) > kReleaseSpin) {
    releaseAndForget(p);
  }
}

bool nearEdge(const Ball &b) {
  return b.x > levelRight - kEdgeMargin || b.x < levelLeft + kEdgeMargin ||
         b.y > levelTop - kEdgeMargin || b.y < levelBottom + kEdgeMargin;
}

bool nearestIsNextCheckPoint(const player *p, const Ball &b) {
  if (!GameHas(kTraitCheckPointRace) || numCheckPoints <= 0) return false;
  const int n = FindNearestBlock(b.x, b.y);
  return n >= 0 && blocks[n].checkPoint == nextCheckPoint(p);
}

// hratio, vratio: minus the steps until level with the goal on each axis. A zero velocity
// makes them infinite or undefined, and every comparison with an undefined one is false.
void playObjective(player *p) {
  float temph, tempv;
  if (!BotGoal(p, &temph, &tempv)) {
    survive(p);
    return;
  }
  const Ball b = ballOf(p);
  const float hratio = temph / b.vx, vratio = tempv / b.vy;
  const float miss = squared(hratio - vratio), spread = squared(hratio) + squared(vratio);
  if (p->block != kRopeFree) {
    if (miss < spread / kReleaseCourse && hratio < 0 && squared(p->anglev) > kReleaseSpin)
      releaseAndForget(p);
    return;
  }
  if (nearEdge(b) || nearestIsNextCheckPoint(p, b)) requestRope(p);
  const int n = trackedNode(p, b);
  if (n < 0) return;
  const float d2 = distance2To(b, n);
  if (d2 <= p->distance || (miss <= spread / kKeepFlyingCourse && hratio <= 0))
    p->distance = d2; // keep flying
  else
    requestRope(p); // past the closest approach and off course
}

void steer(player *p) {
  switch (GameTypeAI()) {
  case kStrategyMiddle: keepToMiddle(p); break;
  case kStrategySurvive: survive(p); break;
  default: playObjective(p); break;
  }
}

} // namespace

long BotPowerUpUses() { return powerUpUses; }
void ClearBotPowerUpUses() { powerUpUses = 0; }
void SetBotUseHook(void (*hook)(const player *p, int powerUpType)) { useHook = hook; }

// The highest score among the balls it may hunt; the earlier in the roster on a tie.
void Retarget(player *p) {
  if (numPlayers <= 0) return;
  if (p != players[0])
    p->target = players[0];
  else
    p->target = numPlayers > 1 ? players[1] : p;
  int best = -1;
  for (int i = 0; i < numPlayers; i++) {
    player *q = players[i];
    if (q == p || !q->alive || !q->active) continue;
    if (!GameHas(kTraitBotsHuntTeammates) && q->team == p->team) continue;
    if (q->score > best) {
      p->target = q;
      best = q->score;
    }
  }
}

// The one place where the bots play each type its own way.
bool BotGoal(player *p, float *temph, float *tempv) {
  const Ball b = ballOf(p);
  switch (gameType) {
  case kCaptureTheFlag: return flagGoal(p, b, temph, tempv);
  case kRace: return raceGoal(p, b, temph, tempv);
  case kDomination: return dominationGoal(p, b, temph, tempv);
  case kAirHockey: case kPinata: return puckGoal(p, b, temph, tempv);
  case kTag: return tagGoal(p, b, temph, tempv);
  default: return huntGoal(p, temph, tempv);
  }
}

void DoAI(player *p) {
  if (p->ai == kHuman) return;
  aimShotgun(p);
  escape(p);
  if (p->moveDelay > 0) {
    useWhileStunned(p);
    return;
  }
  if (worthUsingNow(p)) use(p);
  useInTag(p);
  if (p->powerUpType == kPowerSlam) {
    slam(p);
    return;
  }
  steer(p);
}
