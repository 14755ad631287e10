// Power-ups that fire particles or strike, and the steps that carry them on over time.
#include "TethrixExtern.h"

#include <cmath>

namespace {

// ---- Particle attacks -----------------------------------------------------------------
constexpr int kWormSegments = 100;
constexpr int kWormLife = 400;
constexpr float kWormMassDivisor = 10.0f;
constexpr float kNovaSpread = 0.3f;
constexpr float kNovaMass = 5.0f; // a nova weighs five balls
constexpr int kNovaLife = 150;
constexpr float kAntimatterShade = 0.1f;
constexpr float kAntimatterMass = -25.0f;
constexpr float kAntimatterWideSpread = 0.5f;
constexpr float kParticleShieldMass = 8.0f;
constexpr int kParticleShieldLife = 250;
constexpr float kShotSpread = 0.1f; // times radius squared
constexpr float kShotMass = 0.5f;
constexpr int kShotLife = 60;
constexpr float kRecoil = 0.25f;
constexpr float kMissileSpread = 0.1f; // times radius squared
constexpr float kMissileMass = 0.5f;
constexpr int kMissileLife = 60;
constexpr int kBombsPerBurst = 40;  // S / 40 bombs, each bursting into 40
constexpr float kBombSpread = 0.1f; // times radius squared
constexpr float kBombThrow = 2.0f;
constexpr float kBombMass = 5.0f;
constexpr int kBombLife = 60;
constexpr int kShieldGridLife = 250;
constexpr float kShieldGridMassDivisor = 40.0f;

// ---- Strikes --------------------------------------------------------------------------
constexpr int kTraceLife = 50;
constexpr int kWarpSteps = 50;
constexpr int kFirstStep = 1; // going back in time stops at the first recorded step
constexpr float kChargeSpeed = 0.2f;
constexpr float kChargeTicks = 50.0f;
constexpr float kSlamSpeed = 0.2f;
constexpr float kChaseTicks = 50.0f;
constexpr float kChaseSpeed = 0.05f;
constexpr float kSearchReachSq = 1000.0f; // about 31.6 units

// ---- Supernova ------------------------------------------------------------------------
constexpr float kSupernovaStart = 1.0f; // any charge above 0 is counting
constexpr float kSupernovaNovaAt = 50.0f;
constexpr float kSupernovaNovaDone = 100.0f;
constexpr float kSupernovaBlastAt = 110.0f;
constexpr float kSupernovaBlastDone = 120.0f;
constexpr float kSupernovaOver = 130.0f;
constexpr float kSupernovaContrails = 50.0f;
constexpr float kBlastSpread = 0.6f;
constexpr float kAftershockMass = 2.0f;
constexpr int kAftershockThird = 3;   // the second draw, divided by this,
constexpr int kAftershockGate = 8191; // must exceed this: about one in four passes

// ---- Beam and ray ---------------------------------------------------------------------
constexpr int kBeamParticles = 10;
constexpr float kBeamThrow = 2.0f;
constexpr float kBeamMassDivisor = 100.0f;
constexpr int kBeamLife = 150;
constexpr float kSteadyFlightSq = 0.04f; // squared change of velocity per axis

int slotBack(const player *p, int steps) {
  return ((p->frame - steps) % kRingSize + kRingSize) % kRingSize;
}
Vec posAt(const player *p, int stepsBack) {
  const int s = slotBack(p, stepsBack);
  return {p->x[s], p->y[s]};
}
float lengthOf(Vec d) { return std::sqrt(d.h * d.h + d.v * d.v); }

void placeAt(player *p, Vec at) {
  posH(p) = at.h;
  posV(p) = at.v;
}

// Velocity w: the current position becomes the previous one plus w.
void setVelocity(player *p, Vec w) {
  const Vec c1 = posAt(p, 1);
  placeAt(p, {c1.h + w.h, c1.v + w.v});
}

int burstSize() { return spheredetail * spheredetail; }

// Each particle's share of a total mass; a burst of none carries none.
float share(float total, int count) { return count > 0 ? total / static_cast<float>(count) : 0; }

} // namespace

bool opposes(const player *p, const player *q) {
  return q != p && (!isTeamGame() || q->team != p->team);
}

namespace {

bool inMatch(const player *q) { return q->alive && q->active; }

// Balls that died or left the match are no longer worth chasing.
bool gone(const player *t) { return !t || !inMatch(t); }

// Strictly nearer wins, so the first in the roster takes a tie; none in reach keeps the old.
void searchNearestOpponent(player *p) {
  const Vec c0 = posOf(p);
  float best = kSearchReachSq;
  for (int i = 0; i < numPlayers; i++) {
    player *q = players[i];
    if (!inMatch(q) || !opposes(p, q)) continue;
    const Vec at = posOf(q);
    const float dh = at.h - c0.h, dv = at.v - c0.v;
    const float d2 = dh * dh + dv * dv;
    if (d2 < best) {
      best = d2;
      p->target = q;
    }
  }
}

// After the search: the target, if it is an opponent still in the match.
player *aimAtOpponent(player *p) {
  searchNearestOpponent(p);
  player *t = p->target;
  return gone(t) || !opposes(p, t) ? nullptr : t;
}

// Straight at the target at about this speed. A ball sitting on its target has no
// direction to take and keeps its velocity.
void steerAt(player *p, const player *t, float speed) {
  const Vec c0 = posOf(p), c1 = posAt(p, 1), at = posOf(t);
  const float d = lengthOf({at.h - c0.h, at.v - c0.v});
  if (!(d > 0)) return;
  setVelocity(p, {speed * (at.h - c1.h) / d, speed * (at.v - c1.v) / d});
}

// A Shield or Untouchable held by anyone goes up at once.
void othersRaiseShields() {
  for (int i = 0; i < numPlayers; i++) {
    player *q = players[i];
    if (inMatch(q) && (q->powerUpType == kPowerShield || q->powerUpType == kPowerUntouchable))
      ProcessPowerUp(q);
  }
}

void nova(player *p, float r, float g, float b, float spread, float massEach) {
  const Vec c0 = posOf(p), v = velOf(p);
  NovaParticles(burstSize(), c0.h, v.h, c0.v, v.v, r, g, b, spread, massEach, p->playerID,
                kNovaLife);
}

void launchBombs(player *p, float r, float g, float b, float massEach) {
  const Vec c0 = posOf(p), v = velOf(p);
  NewBombParticles(burstSize() / kBombsPerBurst, c0.h, kBombThrow * v.h, c0.v, kBombThrow * v.v, r,
                   g, b, kBombSpread * p->radius * p->radius, massEach, p->playerID, nullptr,
                   nullptr, kBombLife);
}

void goBackInTime(player *q) {
  TracebackParticles(q, kTraceLife);
  if (q->frame <= kFirstStep) return; // never forward
  q->frame = q->frame - kWarpSteps < kFirstStep ? kFirstStep : q->frame - kWarpSteps;
}

// Random smaller blasts, about one step in eight at half a tick a step.
void aftershock(player *p) {
  if (!(static_cast<float>(gameRand()) / kRandMax > speedMult)) return;
  if (!(gameRand() / kAftershockThird > kAftershockGate)) return;
  const float spread = static_cast<float>(gameRand()) / kRandMax * kBlastSpread;
  const Vec c0 = posOf(p), v = velOf(p);
  const int s = burstSize();
  FlattenedNovaParticles(s / 2, c0.h, v.h, c0.v, v.v, p->r, p->g, p->b, spread,
                         share(kAftershockMass * p->mass, s), p->playerID, kNovaLife);
}

void blast(player *p) {
  contrails = kSupernovaContrails;
  const Vec c0 = posOf(p), v = velOf(p);
  const int s = burstSize();
  FlattenedNovaParticles(s / 2, c0.h, v.h, c0.v, v.v, p->r, p->g, p->b, kBlastSpread,
                         share(kNovaMass * p->mass, s), p->playerID, kNovaLife);
}

// The gate takes the squared second difference: a swing that turns the flight sharply
// (more than 0.2 a step on an axis) emits nothing.
bool steadyFlight(const player *p) {
  const Vec c0 = posOf(p), c1 = posAt(p, 1), c2 = posAt(p, 2);
  const float ddh = c0.h - 2 * c1.h + c2.h, ddv = c0.v - 2 * c1.v + c2.v;
  return ddh * ddh < kSteadyFlightSq && ddv * ddv < kSteadyFlightSq;
}

// Ten particles along the last step, thrown at twice the ball's speed.
void emitBeam(player *p, float r, float g, float b, int effect) {
  const Vec c0 = posOf(p), c1 = posAt(p, 1), c2 = posAt(p, 2);
  const Vec v0 = velOf(p), v1{c1.h - c2.h, c1.v - c2.v};
  InterpolatedParticles(kBeamParticles, c0.h, kBeamThrow * v0.h, c0.v, kBeamThrow * v0.v, c1.h,
                        kBeamThrow * v1.h, c1.v, kBeamThrow * v1.v, r, g, b,
                        speedMult * p->mass / kBeamMassDivisor, p->playerID, kBeamLife, effect);
}

} // namespace

// ---- Particle attacks -------------------------------------------------------------------
void UseTapeworm(player *p) {
  WormParticles(p, kWormSegments, kWormLife, p->mass / kWormMassDivisor);
}

void UseNova(player *p) {
  nova(p, p->r, p->g, p->b, kNovaSpread, share(kNovaMass * p->mass, burstSize()));
}

void UseSupernova(player *p) {
  p->supernovaCharge = kSupernovaStart;
  othersRaiseShields();
}

void UseAntimatter(player *p) {
  const float massEach = share(kAntimatterMass * p->mass, burstSize());
  const float k = kAntimatterShade;
  nova(p, k, k, k, kAntimatterWideSpread, massEach);
  nova(p, k, k, k, kNovaSpread, massEach);
  othersRaiseShields();
}

void UseParticleShield(player *p) {
  const Vec c0 = posOf(p), v = velOf(p);
  const int s = burstSize();
  NewMassParticles(s, c0.h, v.h, c0.v, v.v, p->r, p->g, p->b, p->radius * p->radius,
                   share(kParticleShieldMass * p->mass, s), p->playerID, &p->trailX, &p->trailY,
                   kParticleShieldLife);
}

// Both barrels. A ball at rest has no direction: its pellets only scatter and it
// feels no recoil.
void UseShotgun(player *p) {
  const Vec c0 = posOf(p), v = velOf(p);
  const float speed = lengthOf(v);
  const Vec d = speed > 0 ? Vec{v.h / speed, v.v / speed} : Vec{0, 0};
  const int s = burstSize();
  NewMassParticles(s, c0.h, d.h, c0.v, d.v, p->r, p->g, p->b, kShotSpread * p->radius * p->radius,
                   share(kShotMass * p->mass, s), p->playerID, nullptr, nullptr, kShotLife);
  if (!(speed > 0)) return;
  placeAt(p, {c0.h - kRecoil * d.h, c0.v - kRecoil * d.v});
  p->block = kRopeFree;
}

void UseHomingMissile(player *p) {
  const Vec c0 = posOf(p);
  const int s = burstSize();
  for (int i = 0; i < numPlayers; i++) {
    player *q = players[i];
    if (!inMatch(q) || !opposes(p, q)) continue;
    NewMassParticles(s, c0.h, 0, c0.v, 0, p->r, p->g, p->b, kMissileSpread * p->radius * p->radius,
                     share(kMissileMass * p->mass, s), p->playerID, &q->trailX, &q->trailY,
                     kMissileLife);
  }
}

void UseNovaBomb(player *p) {
  launchBombs(p, p->r, p->g, p->b, share(kBombMass * p->mass, burstSize()));
}

// Black, and its bursts pull.
void UseAntimatterBomb(player *p) {
  launchBombs(p, 0, 0, 0, share(-kBombMass * p->mass, burstSize()));
}

void UseMatrixShield(player *p) {
  MatrixParticles(p, kShieldGridLife, p->mass / kShieldGridMassDivisor);
}

void UseRingShield(player *p) {
  RingParticles(p, kShieldGridLife, p->mass / kShieldGridMassDivisor, kBehaviourRing);
}

// ---- Strikes ------------------------------------------------------------------------------
void UseReverse(player *p) {
  const Vec c0 = posOf(p), v = velOf(p);
  placeAt(p, {c0.h - 2 * v.h, c0.v - 2 * v.v});
  p->anglev = -p->anglev;
}

void UseTimeWarp(player *p) { goBackInTime(p); }

void UseOmegaOne(player *) {
  for (int i = 0; i < numPlayers; i++)
    if (inMatch(players[i])) goBackInTime(players[i]);
}

// With nobody left to charge at, the charge is spent and a running chain ends.
void UseChainCharge(player *p) {
  player *t = aimAtOpponent(p);
  if (!t) {
    p->charge = 0;
    return;
  }
  p->block = kRopeFree;
  steerAt(p, t, kChargeSpeed);
  p->charge = kChargeTicks;
}

void UseSlam(player *p) {
  p->block = kRopeFree;
  setVelocity(p, {0, -kSlamSpeed});
}

// The shield comes with every chase. With nobody to run down there is no chase: one
// left waiting would never run out, and would start on whoever a later charge aims at.
void UseChase(player *p) {
  p->shield = kChaseTicks;
  p->chase = aimAtOpponent(p) ? kChaseTicks : 0;
}

// Just behind the target on the user's own line of flight, touching it, still moving with
// its velocity. Without a direction, or a target, there is no strike.
void UseBlinkStrike(player *p) {
  const player *t = aimAtOpponent(p);
  const Vec v = velOf(p);
  const float speed = lengthOf(v);
  if (!t || !(speed > 0)) return;
  p->block = kRopeFree;
  const float k = (p->radius + t->radius) / speed;
  const Vec at = posOf(t);
  const Vec c0{at.h - k * v.h, at.v - k * v.v};
  placeAt(p, c0);
  p->x[prevSlot(p)] = c0.h - v.h;
  p->y[prevSlot(p)] = c0.v - v.v;
}

// ---- Ongoing steps ------------------------------------------------------------------------
void StepChase(player *p) {
  if (!p->target || p->chase <= 0) return;
  if (gone(p->target)) {
    p->chase = 0;
    p->shield = 0;
    return;
  }
  p->chase -= speedMult;
  p->block = kRopeFree;
  steerAt(p, p->target, kChaseSpeed);
}

// Each kill within the charge's time starts the next charge, at the nearest opponent.
void StepChainCharge(player *p) {
  if (p->charge <= 0) return;
  if (gone(p->target)) {
    const int held = p->powerUpType;
    p->powerUpType = kPowerChainCharge;
    ProcessPowerUp(p);
    p->powerUpType = held;
  }
  if (p->charge > 0) p->charge -= speedMult; // an ended chain stays at 0
}

// Charging, the nova, the flattened blast, then the aftershocks.
void StepSupernova(player *p) {
  float &charge = p->supernovaCharge;
  if (charge > 0) charge += speedMult;
  if (charge > kSupernovaNovaAt && charge < kSupernovaNovaDone) {
    nova(p, p->r, p->g, p->b, kNovaSpread, share(kNovaMass * p->mass, burstSize()));
    charge = kSupernovaNovaDone;
  }
  if (charge > kSupernovaBlastAt && charge < kSupernovaBlastDone) {
    blast(p);
    charge = kSupernovaBlastDone;
  }
  if (charge > kSupernovaBlastDone) aftershock(p);
  if (charge > kSupernovaOver) charge = 0;
}

// The timers run down only in steps that emit.
void StepBeams(player *p) {
  if (!(p->particleBeam > 0 || p->freezeRay > 0) || !steadyFlight(p)) return;
  if (p->particleBeam > 0) {
    p->particleBeam -= speedMult;
    emitBeam(p, p->r, p->g, p->b, kEffectKnock);
  }
  if (p->freezeRay > 0) {
    p->freezeRay -= speedMult;
    emitBeam(p, 0, 1, 1, kEffectFreeze);
  }
}
