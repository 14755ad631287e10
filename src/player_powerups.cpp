// Using power-ups: the dispatcher, the gravity, size and timed ones, and the ongoing effects.
#include "TethrixExtern.h"

#include <cmath>

namespace {

// ---- Gravity --------------------------------------------------------------------------
constexpr float kGravityTicks = 300.0f; // how long an altered field lasts
constexpr float kGravityStep = 0.002f;
constexpr float kStrongestGravity = 0.01f; // Increased at or past this snaps back to normal
constexpr float kWeakestGravity = -0.01f;  // Reduced at or past this snaps back to normal

void setGravityMode(int mode) {
  gravityMode = mode;
  gravityResetTime = kGravityTicks;
}

void reverseGravity() {
  gravity = -gravity;
  gravityResetTime = kGravityTicks;
}

// Past the strongest step the field snaps back to normal, and the running reset is kept.
void increaseGravity() {
  if (gravity < kStrongestGravity) {
    gravity += kGravityStep;
    gravityResetTime = kGravityTicks;
  } else {
    gravity = kNormalGravity;
    gravityMode = kGravityNormal;
  }
}

void reduceGravity() {
  if (gravity > kWeakestGravity) {
    gravity -= kGravityStep;
    gravityResetTime = kGravityTicks;
  } else {
    gravity = kNormalGravity;
    gravityMode = kGravityNormal;
  }
}

void vacuumCleaner(player *p) {
  setGravityMode(kGravityVacuum);
  suctionPlayer = p;
}

// ---- Size -----------------------------------------------------------------------------
constexpr float kSizeChangeTicks = 200.0f; // the new size holds this long before drifting back
constexpr float kRadiusFactor = 2.0f;
constexpr float kMassFactor = 8.0f; // the cube of the radius factor: density stays

// A resize that would leave no size at all, or an endless one, is refused.
bool livableSize(float radius, float mass) {
  return radius > 0 && mass > 0 && std::isfinite(radius) && std::isfinite(mass);
}

void resize(player *q, float radius, float mass) {
  if (!livableSize(radius, mass)) return;
  q->mass = mass;
  q->radius = radius;
  q->sizeChange = kSizeChangeTicks;
}

// A ball already too small to live dies and is restored at its next step; shrinking it on
// (dead balls are shrunk too) would only drive it towards zero.
void shrink(player *q) {
  if (q->radius < kMinLiveRadius) return;
  resize(q, q->radius / kRadiusFactor, q->mass / kMassFactor);
}

void growthSpurt(player *p) {
  resize(p, p->radius * kRadiusFactor, p->mass * kMassFactor);
  if (p->mass > p->maxSize) p->maxSize = p->mass;
}

void shrinkOpponents(player *p) {
  for (int i = 0; i < numPlayers; i++)
    if (opposes(p, players[i])) shrink(players[i]);
}

// ---- Timers on the user -----------------------------------------------------------------
constexpr float kBungieTicks = 200.0f;
constexpr float kShieldTicks = 200.0f;
constexpr float kTurboTicks = 300.0f;
constexpr float kSlowFrames = 300.0f; // counted per frame, not per tick
constexpr float kGhostTicks = 200.0f;
constexpr float kUnblockableTicks = 300.0f;
constexpr float kDrunkTicks = 250.0f;
constexpr float kMagShieldTicks = 300.0f;
constexpr float kGravShieldTicks = 300.0f;
constexpr float kParticleBeamTicks = 150.0f;
constexpr float kFreezeRayTicks = 150.0f;

// ---- Time and presence ----------------------------------------------------------------
constexpr float kTimeStopTicks = 100.0f;
constexpr float kTimeStopContrails = 100.0f;
constexpr float kPhaseOutTicks = 50.0f;
constexpr float kPhaseOutSpread = -0.5f; // times radius squared; negative: the marks stand still
constexpr int kPhaseOutMarkLife = 50;

// Teammates and the dead freeze too: only the user goes on.
void timeStop(player *p) {
  for (int i = 0; i < numPlayers; i++)
    if (players[i] != p) players[i]->stop = kTimeStopTicks;
  contrails = kTimeStopContrails;
}

// The ball hangs where it is; its ring keeps the motion it resumes with.
void phaseOut(player *p) {
  p->stop = kPhaseOutTicks;
  p->ghost = kPhaseOutTicks;
  NewParticles(spheredetail * spheredetail, posH(p), 0, posV(p), 0, p->r, p->g, p->b,
               kPhaseOutSpread * p->radius * p->radius, nullptr, nullptr, kPhaseOutMarkLife);
}

// ---- Roster-wide ----------------------------------------------------------------------
int rosterIndex(const player *p) {
  for (int i = 0; i < numPlayers; i++)
    if (players[i] == p) return i;
  return -1;
}

bool switchable(const player *p, const player *q) { return q != p && q->alive && q->active; }

// The draw repeats until it hits a partner, so without any partner the power-up is spent
// without effect rather than drawing forever.
void switcheroo(player *p) {
  const int self = rosterIndex(p);
  bool anyPartner = false;
  for (int i = 0; i < numPlayers; i++)
    anyPartner = anyPartner || switchable(p, players[i]);
  if (self < 0 || !anyPartner) return;
  int other;
  do {
    other = gameRand() % numPlayers;
  } while (!switchable(p, players[other]));
  Swap(self, other);
}

void twiddle() {
  for (int i = 0; i < numPlayers; i++) {
    player *q = players[i];
    q->block = q->block >= 0 ? kRopeFree : kRopeRequested;
  }
}

// ---- The dispatcher ---------------------------------------------------------------------
// The Shotgun and the bombs leave a follow-up behind; everything else is spent.
int heldAfterUse(int id) {
  if (id == kPowerShotgun) return kPowerShotgunSecond;
  if (id == kPowerNovaBomb || id == kPowerAntimatterBomb) return kPowerBombInFlight;
  return kPowerNone;
}

void usePowerUp(player *p, int id) {
  switch (id) {
  case kPowerNormalGravity: setGravityMode(kGravityNormal); break;
  case kPowerPlanetaryGravity: setGravityMode(kGravityPlanetary); break;
  case kPowerWhirlwindGravity: setGravityMode(kGravityWhirlwind); break;
  case kPowerReversedGravity: reverseGravity(); break;
  case kPowerIncreasedGravity: increaseGravity(); break;
  case kPowerReducedGravity: reduceGravity(); break;
  case kPowerVacuumCleaner: vacuumCleaner(p); break;
  case kPowerAllOppsShrunk: shrinkOpponents(p); break;
  case kPowerGrowthSpurt: growthSpurt(p); break;
  case kPowerShrinkage: shrink(p); break;
  case kPowerBungieRope: p->bungie = kBungieTicks; break;
  case kPowerShield: p->shield = kShieldTicks; break;
  case kPowerTurboBoost: p->turbo = kTurboTicks; break;
  case kPowerTemporalDilate: p->slow = kSlowFrames; break;
  case kPowerUntouchable: p->ghost = kGhostTicks; break;
  case kPowerUnblockable: p->unblockable = kUnblockableTicks; break;
  case kPowerDrunkenMaster: p->drunk = kDrunkTicks; break;
  case kPowerMagneticShield: p->magShield = kMagShieldTicks; break;
  case kPowerGravityShield: p->gravShield = kGravShieldTicks; break;
  case kPowerTimeStop: timeStop(p); break;
  case kPowerPhaseOut: phaseOut(p); break;
  case kPowerSwitcheroo: switcheroo(p); break;
  case kPowerTwiddle: twiddle(); break;
  case kPowerParticleBeam: p->particleBeam = kParticleBeamTicks; break;
  case kPowerFreezeRay: p->freezeRay = kFreezeRayTicks; break;
  case kPowerTapeworm: UseTapeworm(p); break;
  case kPowerNova: UseNova(p); break;
  case kPowerSupernova: UseSupernova(p); break;
  case kPowerAntimatter: UseAntimatter(p); break;
  case kPowerParticleShield: UseParticleShield(p); break;
  case kPowerShotgun:
  case kPowerShotgunSecond: UseShotgun(p); break;
  case kPowerHomingMissile: UseHomingMissile(p); break;
  case kPowerNovaBomb: UseNovaBomb(p); break;
  case kPowerAntimatterBomb: UseAntimatterBomb(p); break;
  case kPowerMatrixShield: UseMatrixShield(p); break;
  case kPowerRingShield: UseRingShield(p); break;
  case kPowerReverse: UseReverse(p); break;
  case kPowerTimeWarp: UseTimeWarp(p); break;
  case kPowerOmegaOne: UseOmegaOne(p); break;
  case kPowerChainCharge: UseChainCharge(p); break;
  case kPowerSlam: UseSlam(p); break;
  case kPowerChase: UseChase(p); break;
  case kPowerBlinkStrike: UseBlinkStrike(p); break;
  default: break; // nothing held, a bomb's detonator, or an identifier without an action
  }
}

// ---- Ongoing effects ------------------------------------------------------------------
constexpr float kDrunkPush = 0.001f;
constexpr float kDrunkTurn = 10.0f; // the push turns as the timer runs down
constexpr float kRadiusDrift = 0.00231f;
constexpr float kMassDrift = 0.00696f; // about three times the radius drift: volume follows
constexpr int kFlagSparks = 5;
constexpr float kFlagSparkSpread = 0.05f;
constexpr int kFlagSparkLife = 50;

void countDownShields(player *p) {
  if (p->gravShield > 0) p->gravShield -= speedMult;
  if (p->magShield > 0) p->magShield -= speedMult;
  if (p->unblockable > 0) p->unblockable -= speedMult;
}

void wobble(player *p) {
  if (p->drunk <= 0) return;
  posH(p) += kDrunkPush * std::sin(p->drunk / kDrunkTurn);
  posV(p) += kDrunkPush * std::cos(p->drunk / kDrunkTurn);
  p->drunk -= speedMult;
}

void recordTopSpeed(player *p) {
  const float vh = velH(p), vv = velV(p);
  const float s2 = vh * vh + vv * vv;
  if (s2 > p->maxVelocity * p->maxVelocity) p->maxVelocity = std::sqrt(s2);
}

// A resized ball keeps its size for a while, then drifts back to normal.
void driftToNormalSize(player *p) {
  if (p->sizeChange > 0) {
    p->sizeChange -= speedMult;
    return;
  }
  const float f = 1 + kRadiusDrift * speedMult;
  if (p->radius > p->defaultSize) p->radius /= f;
  if (p->radius < p->defaultSize) p->radius *= f;
  const float normalMass = kMassPerCubicRadius * p->defaultSize * p->defaultSize * p->defaultSize;
  const float m = 1 + kMassDrift * speedMult;
  if (p->mass > normalMass) p->mass /= m;
  if (p->mass < normalMass) p->mass *= m;
}

// The carried flag is put on its carrier by the scoring step, after the carrier has
// moved: the sparks show only in steps that leave the carrier's h where it was.
void trailFlagSparks(player *p) {
  if (!GameHas(kTraitFlagCarry) || p->team < 0 || p->team >= kNumFlags) return;
  const int other = kNumFlags - 1 - p->team;
  flag &f = flags[other];
  const player *leader = teamLeaders[other];
  if (!leader || posH(p) != f.h) return;
  NewParticles(kFlagSparks, posH(p), velH(p), posV(p), velV(p), leader->r, leader->g, leader->b,
               kFlagSparkSpread, &f.h, &f.v, kFlagSparkLife);
}

} // namespace

void SpecialPlayer(player *p) {
  StepChase(p);
  countDownShields(p);
  StepChainCharge(p);
  wobble(p);
  StepSupernova(p);
  recordTopSpeed(p);
  trailFlagSparks(p);
  driftToNormalSize(p);
  StepBeams(p);
}

// Frozen or dead balls keep what they hold.
void ProcessPowerUp(player *p) {
  if (!p->alive || p->stop > 0) return;
  const int id = p->powerUpType;
  usePowerUp(p, id);
  p->powerUpType = heldAfterUse(id);
}
