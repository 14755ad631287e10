// Balls that touch: bounce apart, stun, cut ropes and record who hit whom.
#include "TethrixExtern.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr float kStunTicks = 20.0f;       // stun after a touch
constexpr float kBothStunnedSkip = 25.0f; // two balls both stunned longer pass through
constexpr float kTurboBoost = 3.0f;       // P += 3V: tested and resolved at four times V
constexpr float kTurboUndo = 0.75f;       // P -= 0.75V: a quarter of the velocity is left
constexpr float kSparkEnergyCap = 0.2f;
constexpr float kSparksPerEnergy = 1000.0f;
constexpr float kSparksAtLeast = 3.0f;
constexpr int kSparkLifetime = 50;

Vec prevOf(const player *p) { return {p->x[prevSlot(p)], p->y[prevSlot(p)]}; }
float lengthSq(Vec d) { return d.h * d.h + d.v * d.v; }

void shift(player *p, float dh, float dv) {
  posH(p) += dh;
  posV(p) += dv;
}

// Where the touch test sees a ball: a turbo ball four steps ahead.
Vec testedPos(const player *p) {
  const Vec pos = posOf(p), vel = velOf(p);
  if (p->turbo <= 0) return pos;
  return {pos.h + kTurboBoost * vel.h, pos.v + kTurboBoost * vel.v};
}

bool mayTouch(const player *a, const player *b) {
  const bool ghostsAllow =
      (a->ghost <= 0 || b->unblockable > 0) && (b->ghost <= 0 || a->unblockable > 0);
  return ghostsAllow && !(a->moveDelay > kBothStunnedSkip && b->moveDelay > kBothStunnedSkip);
}

// Closer than the two radii and closer than one step ago.
bool touching(const player *a, const player *b) {
  const Vec pa = testedPos(a), pb = testedPos(b), qa = prevOf(a), qb = prevOf(b);
  const float d2 = lengthSq({pa.h - pb.h, pa.v - pb.v});
  const float reach = a->radius + b->radius;
  return d2 < reach * reach && d2 < lengthSq({qa.h - qb.h, qa.v - qb.v});
}

void boostTurbo(player *p) {
  if (p->turbo <= 0) return;
  const Vec vel = velOf(p);
  shift(p, kTurboBoost * vel.h, kTurboBoost * vel.v);
}

void undoTurbo(player *p) {
  if (p->turbo <= 0) return;
  const Vec vel = velOf(p);
  shift(p, -kTurboUndo * vel.h, -kTurboUndo * vel.v);
}

// A mass that is not positive (a player line of size 0) counts as none;
// two such balls meet as equals.
struct Masses {
  float a, b;
};

Masses massesOf(const player *a, const player *b) {
  Masses m{a->mass > 0 ? a->mass : 0, b->mass > 0 ? b->mass : 0};
  if (m.a == 0 && m.b == 0) m.a = m.b = 1;
  return m;
}

Vec centreOfMassVelocity(const player *a, const player *b, Masses m) {
  const Vec va = velOf(a), vb = velOf(b);
  return {(va.h * m.a + vb.h * m.b) / (m.a + m.b), (va.v * m.a + vb.v * m.b) / (m.a + m.b)};
}

// A bot may spend a defensive power-up at the last moment; true when it dodges the touch.
bool botDodges(player *p, const player *other) {
  if (p->ai == kHuman) return false;
  const int id = p->powerUpType;
  if (id == kPowerAllOppsShrunk || id == kPowerGrowthSpurt) {
    ProcessPowerUp(p);
    return false;
  }
  const bool dodge = id == kPowerTemporalDilate || id == kPowerUntouchable ||
                     id == kPowerPhaseOut || id == kPowerSwitcheroo;
  if (!dodge) return false;
  const float mine = lengthSq(velOf(p)) * p->mass * p->mass;
  const float theirs = lengthSq(velOf(other)) * other->mass * other->mass;
  if (!(mine < theirs)) return false;
  ProcessPowerUp(p);
  return true;
}

void sparks(const player *a, const player *b, Vec u) {
  float energy = lengthSq(velOf(a)) + lengthSq(velOf(b));
  if (!(energy <= kSparkEnergyCap)) energy = kSparkEnergyCap;
  const int count = static_cast<int>(energy * kSparksPerEnergy + kSparksAtLeast);
  const Vec pa = posOf(a), pb = posOf(b);
  const float h = (pa.h + pb.h) / 2, v = (pa.v + pb.v) / 2;
  const float spread = std::sqrt(energy);
  NewParticles(count, h, u.h, v, u.v, a->r, a->g, a->b, spread, nullptr, nullptr, kSparkLifetime);
  NewParticles(count, h, u.h, v, u.v, b->r, b->g, b->b, spread, nullptr, nullptr, kSparkLifetime);
}

void gameTypeRules(player *a, player *b) {
  if (GameHas(kTraitPuckHitScores)) {
    if (a == puck) AddPoint(b);
    if (b == puck) AddPoint(a);
  }
  if (GameHas(kTraitIt) && (a == it || b == it)) {
    it = a == it ? b : a;
    PlaySoundFileAnnouncer(it->sound);
    PlaySoundFileAnnouncer("IsNowIt");
    it->itTime = 0;
  }
}

// Unit direction from b to a, from the previous positions. A touch needs those
// apart, so the current ones are only a guard; false when both pairs coincide.
bool pushDirection(const player *a, const player *b, Vec &n) {
  const Vec qa = prevOf(a), qb = prevOf(b), pa = posOf(a), pb = posOf(b);
  for (Vec d : {Vec{qa.h - qb.h, qa.v - qb.v}, Vec{pa.h - pb.h, pa.v - pb.v}}) {
    const float len = std::sqrt(lengthSq(d));
    if (len > 0 && std::isfinite(len)) {
      n = {d.h / len, d.v / len};
      return true;
    }
  }
  return false;
}

// How far along n each ball is pushed: J / mass, with the masses of now (a bot's
// Growth Spurt counts). A massless ball against a massive one takes the limit of
// that ratio, twice the relative normal speed.
void pushLengths(const player *a, const player *b, Vec n, float &la, float &lb) {
  const Vec va = velOf(a), vb = velOf(b);
  const Masses m = massesOf(a, b);
  if (a->mass > 0 && b->mass > 0) {
    const Vec r{va.h * m.a - vb.h * m.b, va.v * m.a - vb.v * m.b};
    const float j = std::sqrt((r.h * n.h) * (r.h * n.h) + (r.v * n.v) * (r.v * n.v));
    la = j / m.a;
    lb = j / m.b;
    return;
  }
  const Vec r{va.h - vb.h, va.v - vb.v};
  const float k = std::sqrt((r.h * n.h) * (r.h * n.h) + (r.v * n.v) * (r.v * n.v));
  la = 2 * k * m.b / (m.a + m.b);
  lb = 2 * k * m.a / (m.a + m.b);
}

// An unblockable ball is not moved and strips the other's shield.
void pushApart(player *a, player *b) {
  Vec n;
  if (!pushDirection(a, b, n)) return;
  float la, lb;
  pushLengths(a, b, n, la, lb);
  if (a->unblockable <= 0)
    shift(a, n.h * la, n.v * la);
  else
    b->shield = 0;
  if (b->unblockable <= 0)
    shift(b, -n.h * lb, -n.v * lb);
  else
    a->shield = 0;
}

// Who gets a later death of each ball, from the values before the touch:
// a stunned hitter passes on the credit of whoever stunned it.
struct Credit {
  int forA, forB;
};

Credit creditBefore(const player *a, const player *b) {
  return {b->moveDelay <= 0 ? b->playerID : b->lastHit,
          a->moveDelay <= 0 ? a->playerID : a->lastHit};
}

void resolveTouch(player *a, player *b, Vec u, Credit credit) {
  shift(a, -u.h, -u.v);
  shift(b, -u.h, -u.v);
  sparks(a, b, u);
  gameTypeRules(a, b);
  pushApart(a, b);
  shift(a, u.h, u.v);
  shift(b, u.h, u.v);
  ReleaseHeldNode(a);
  ReleaseHeldNode(b);
  a->block = b->block = kRopeFree;
  a->lastHit = credit.forA;
  b->lastHit = credit.forB;
  a->moveDelay = b->moveDelay = kStunTicks;
  a->collisions++;
  b->collisions++;
  PlaySoundFile("Crash");
  RumbleBall(a, kRumbleHit);
  RumbleBall(b, kRumbleHit);
}

} // namespace

// Balls that miss each other are left exactly as they were: the turbo factor is
// applied only once a touch is certain.
void CollidePlayers(player *a, player *b) {
  if (a == b || !mayTouch(a, b) || !touching(a, b)) return;
  boostTurbo(a);
  boostTurbo(b);
  const Vec u = centreOfMassVelocity(a, b, massesOf(a, b));
  const Credit credit = creditBefore(a, b);
  a->stop = b->stop = 0;
  if (!botDodges(a, b) && !botDodges(b, a)) resolveTouch(a, b, u, credit);
  undoTurbo(a);
  undoTurbo(b);
}
