// The particle list: sparks, bursts and power-up shots, how they move, fade and hit.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

// Under AddressSanitizer a freed node's particle is poisoned, so a stale pointer
// into the pool is reported as it would be with plain malloc and free.
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace {

// Motion and drawing
constexpr float kDepth = 0.01f;    // points sit just in front of the arena
constexpr float kPullStep = 0.01f; // attracted particles creep this far toward their centre
constexpr float kDamping = 0.01f;  // per tick
constexpr float kWormStep = 0.25f; // a segment closes on the one ahead this fast
constexpr float kRingPush = 0.02f; // keeps ring particles circling
// Bombs
constexpr int kBombNovaCount = 40;
constexpr float kBombNovaSpread = 0.3f;
constexpr int kBombNovaLife = 60;
// Hits
constexpr float kKnockStun = 5.0f;
constexpr float kWormRadiusDivisor = 1.01f;
constexpr float kWormMassDivisor = 1.030301f; // 1.01 cubed: the mass follows the radius
constexpr float kWormShrinkTicks = 200.0f;
constexpr float kFreezeCap = 20.0f;
// Emitters
constexpr int kScatterBuckets = 800; // u runs over [-1, 1) in steps of 1/400
constexpr int kScatterHalf = 400;
constexpr float kScatterLead = 5.0f; // a scatter particle starts five steps out
constexpr float kNovaJitter = 50.0f; // speeds spread over 1/50 above the deviation
constexpr float kFlatNovaJitter = 400.0f;
constexpr float kFlatShortAxis = 0.5f;
constexpr int kTraceSteps = 50;
constexpr int kRingCount = 100;
constexpr double kRingHalfStep = 0.5; // radians a ring particle turns per step
constexpr int kGridSide = 9;
constexpr int kGridHalf = 4;
constexpr float kGridSpacing = 0.25f;
// Memory
constexpr int kRetries = 300;
constexpr int kWormRetries = 50;
constexpr int kOutOfMemoryStatus = 70;
constexpr int kChunkNodes = 512;

// ---- Memory: nodes come from chunks and go back to a free list -----------------------
struct PoolChunk {
  PoolChunk *older;
  partList nodes[kChunkNodes];
};

PoolChunk *chunks = nullptr;
partList *spareNodes = nullptr;
int liveNodes = 0;
int nodeLimit = -1; // tests stand in for a full memory with this; -1 = none

bool growPool() {
  PoolChunk *chunk = new (std::nothrow) PoolChunk;
  if (!chunk) return false;
  chunk->older = chunks;
  chunks = chunk;
  for (partList &node : chunk->nodes) {
    ASAN_POISON_MEMORY_REGION(&node.head, sizeof node.head);
    node.tail = spareNodes;
    spareNodes = &node;
  }
  return true;
}

partList *takeNode() {
  if (nodeLimit >= 0 && liveNodes >= nodeLimit) return nullptr;
  if (!spareNodes && !growPool()) return nullptr;
  partList *node = spareNodes;
  spareNodes = node->tail;
  ASAN_UNPOISON_MEMORY_REGION(&node->head, sizeof node->head);
  liveNodes++;
  return node;
}

// A worm segment that goes leaves its neighbours joined, so no particle is left
// following or drawing a line to a freed one.
void unhookFromWorm(particle &q) {
  if (q.prev) q.prev->next = q.next;
  if (q.next) {
    q.next->prev = q.prev;
    q.next->hCenter = q.hCenter;
    q.next->vCenter = q.vCenter;
  }
}

void releaseNode(partList *node) {
  unhookFromWorm(node->head);
  ASAN_POISON_MEMORY_REGION(&node->head, sizeof node->head);
  node->tail = spareNodes;
  spareNodes = node;
  liveNodes--;
}

// Frees the newest particle to make room. A worm being built keeps its growing end
// in *chainEnd; if that segment is the one freed, the one before it takes its place.
void freeFront(particle **chainEnd) {
  partList *node = firstParticle;
  firstParticle = node->tail;
  if (chainEnd && *chainEnd == &node->head) *chainEnd = node->head.prev;
  releaseNode(node);
}

[[noreturn]] void outOfMemory() {
  std::fprintf(stderr, "Out of memory for particles\n");
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  std::exit(kOutOfMemoryStatus);
}

partList *obtainNode(int retries, particle **chainEnd) {
  partList *node = takeNode();
  for (int k = 0; !node && k < retries && firstParticle; k++) {
    freeFront(chainEnd);
    node = takeNode();
  }
  if (!node) outOfMemory();
  return node;
}

particle *pushParticle(const particle &q, int retries = kRetries, particle **chainEnd = nullptr) {
  partList *node = obtainNode(retries, chainEnd);
  node->head = q;
  node->tail = firstParticle;
  firstParticle = node;
  return &node->head;
}

template <typename Doomed> void removeWhere(Doomed doomed) {
  partList **link = &firstParticle;
  while (partList *node = *link) {
    if (doomed(node->head)) {
      *link = node->tail;
      releaseNode(node);
    } else {
      link = &node->tail;
    }
  }
}

// An owner index outside the roster counts as no owner at all.
player *ownerOf(const particle &q) {
  if (q.player < 0 || q.player >= numPlayers || q.player >= kMaxPlayers) return nullptr;
  return players[q.player];
}

// ---- Drawing and motion ------------------------------------------------------------------
float fadeFactor(float lifetime) {
  // At or under one frame of life the point is spent; at lifetime 0 the ratio has no value.
  return lifetime > speedMult ? 1 - speedMult / lifetime : 0.0f;
}

void drawParticle(particle &q) {
  if (q.mass == 0) {
    q.a *= fadeFactor(q.lifetime);
    glColor4f(q.r, q.g, q.b, q.a);
  } else {
    glColor3f(q.r, q.g, q.b);
  }
  glVertex3f(q.h, q.v, kDepth);
  if (q.next) {
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(q.h, q.v, kDepth);
    glVertex3f(q.next->h, q.next->v, kDepth);
    glEnd();
    glBegin(GL_POINTS);
  }
}

void crawl(particle &q, float ch, float cv, float d) {
  q.h += (ch - q.h) / d * kWormStep;
  q.v += (cv - q.v) / d * kWormStep;
  q.h = 0.5f * q.h + 0.5f * q.oldH;
  q.v = 0.5f * q.v + 0.5f * q.oldV;
}

void pullAndDamp(particle &q, float ch, float cv, float d) {
  q.h -= kPullStep / d * (q.h - ch);
  q.v -= kPullStep / d * (q.v - cv);
  const float keep = 1 - kDamping * speedMult, lag = kDamping * speedMult;
  q.h = keep * q.h + lag * q.oldH;
  q.v = keep * q.v + lag * q.oldV;
}

// d is the distance before this frame's pull: ring particles start one unit out.
void holdOnRing(particle &q, float ch, float cv, float d) {
  const float k = 1 / d;
  q.h = ch + k * (q.h - ch);
  q.v = cv + k * (q.v - cv);
  q.h += kRingPush * (q.h - q.oldH);
  q.v += kRingPush * (q.v - q.oldV);
}

// The grid faces the owner's flight; a still owner leaves it where it was.
void holdInGrid(particle &q) {
  const player *owner = ownerOf(q);
  if (!owner) return;
  const float vh = velH(owner), vv = velV(owner);
  const float s = std::sqrt(vh * vh + vv * vv);
  if (s == 0) return;
  const float ux = vh / s, uy = vv / s;
  q.h = owner->trailX + q.offH * ux - q.offV * uy;
  q.v = owner->trailY + q.offH * uy + q.offV * ux;
}

void attract(particle &q) {
  const float ch = *q.hCenter, cv = *q.vCenter;
  const float dh = q.h - ch, dv = q.v - cv;
  const float d = std::sqrt(dh * dh + dv * dv);
  if (d == 0) return;
  if (q.behaviour == kBehaviourWorm) {
    crawl(q, ch, cv, d);
    return;
  }
  pullAndDamp(q, ch, cv, d);
  if (q.behaviour == kBehaviourRing) holdOnRing(q, ch, cv, d);
  if (q.behaviour == kBehaviourMatrix) holdInGrid(q);
}

// Free particles feel the balls' shields only while one is up; checked once a
// frame, since the shields cannot change while the particles move.
bool shieldsDown = false;

bool anyShieldUp() {
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    if (p->active && p->alive && (p->magShield > 0 || p->gravShield > 0)) return true;
  }
  return false;
}

void stepParticle(particle &q) {
  if (q.motionless) {
    q.lifetime -= speedMult;
    return;
  }
  if (paused && q.mass != 0) return; // weapons wait out the pause without ageing
  const float h = q.h, v = q.v;
  q.h += h - q.oldH;
  q.v += v - q.oldV;
  q.oldH = h;
  q.oldV = v;
  if (q.hCenter && q.vCenter)
    attract(q);
  else
    ApplyGravity(&q.h, &q.v, q.h - q.oldH, q.v - q.oldV, shieldsDown ? 1 : 0);
  q.lifetime -= speedMult;
}

// A bomb goes off once its owner no longer holds the detonator, or is gone.
void detonateIfReleased(particle &q) {
  if (q.behaviour != kBehaviourBomb) return;
  const player *owner = ownerOf(q);
  if (owner && owner->powerUpType == kPowerBombInFlight) return;
  q.behaviour = kBehaviourPlain;
  NovaParticles(kBombNovaCount, q.h, q.h - q.oldH, q.v, q.v - q.oldV, q.r, q.g, q.b,
                kBombNovaSpread, q.mass, q.player, kBombNovaLife);
}

// ---- Hits ------------------------------------------------------------------------------------
// The segment ahead keeps its place; the tail behind q chases the victim.
void cutWorm(particle &q, player *p) {
  if (q.prev) q.prev->next = nullptr;
  if (q.next) {
    q.next->hCenter = &p->trailX;
    q.next->vCenter = &p->trailY;
    q.next->prev = nullptr;
  }
  q.prev = q.next = nullptr;
}

void shrink(particle &q, player *p) {
  if (p->unblockable <= 0) {
    p->mass /= kWormMassDivisor;
    p->radius /= kWormRadiusDivisor;
    p->sizeChange = kWormShrinkTicks;
  }
  cutWorm(q, p);
}

void freeze(player *p) {
  if (p->stop < kFreezeCap && p->moveDelay <= 0 && p->unblockable <= 0) p->stop += 1;
}

void knock(const particle &q, player *p) {
  p->block = kRopeFree;
  if (p->moveDelay < kKnockStun) p->moveDelay = kKnockStun;
  p->lastHit = q.player;
  if (p->unblockable > 0 || p->mass == 0) return; // no finite push moves a massless ball
  const float sign = q.mass > 0 ? 1.0f : -1.0f;
  const float pvh = velH(p), pvv = velV(p);
  posH(p) += ((q.h - q.oldH) - sign * pvh) * q.mass / p->mass;
  posV(p) += ((q.v - q.oldV) - sign * pvv) * q.mass / p->mass;
}

// The shield takes the particle over and sends it back.
void reflect(particle &q, const player *p) {
  const float pvh = velH(p), pvv = velV(p);
  q.player = p->playerID;
  q.h = q.oldH + (2 * pvh - (q.h - q.oldH));
  q.v = q.oldV + (2 * pvv - (q.v - q.oldV));
}

void strike(particle &q, player *p) {
  ReleaseHeldNode(p);
  if (q.effect == kEffectShrink)
    shrink(q, p);
  else if (q.effect == kEffectFreeze)
    freeze(p);
  else if (q.effect == kEffectKnock)
    knock(q, p);
}

// ---- Emitters --------------------------------------------------------------------------------
particle proto(float r, float g, float b, int lifetime, int owner, float mass) {
  particle q{};
  q.r = r, q.g = g, q.b = b, q.a = 1;
  q.lifetime = static_cast<float>(lifetime);
  q.player = owner;
  q.mass = mass;
  q.behaviour = kBehaviourPlain;
  q.effect = kEffectKnock;
  return q;
}

void setMotion(particle &q, float h, float v, float hv, float vv) {
  q.h = h, q.v = v;
  q.oldH = h - hv, q.oldV = v - vv;
}

// Starting points spread uniformly over a disc: the radius goes with the root of u.
void scatter(int num, float h, float hv, float v, float vv, float deviation, particle q) {
  q.motionless = deviation < 0 ? 1 : 0;
  const float spread = std::fabs(deviation);
  for (int i = 0; i < num; i++) {
    const float u = static_cast<float>(gameRand() % kScatterBuckets - kScatterHalf) / kScatterHalf;
    const float s = spread * std::sqrt(std::fabs(u));
    const double angle = gameRand();
    const float sh = s * static_cast<float>(std::sin(angle));
    const float sv = s * static_cast<float>(std::cos(angle));
    setMotion(q, h + kScatterLead * sh, v + kScatterLead * sv, hv + sh, vv + sv);
    pushParticle(q);
  }
}

void nova(int num, float h, float hv, float v, float vv, float deviation, particle q) {
  q.motionless = deviation < 0 ? 1 : 0;
  const float spread = std::fabs(deviation);
  for (int i = 0; i < num; i++) {
    const float s = spread + static_cast<float>(gameRand()) / kRandMax / kNovaJitter;
    const double angle = gameRand();
    const float sh = s * static_cast<float>(std::sin(angle));
    const float sv = s * static_cast<float>(std::cos(angle));
    setMotion(q, h + sh, v + sv, hv + sh, vv + sv);
    pushParticle(q);
  }
}

void flattenedNova(int num, float h, float hv, float v, float vv, float deviation, particle q) {
  q.motionless = deviation < 0 ? 1 : 0;
  const float spread = std::fabs(deviation);
  const double turn = gameRand(); // one orientation for the whole burst
  const float cosA = static_cast<float>(std::cos(turn)), sinA = static_cast<float>(std::sin(turn));
  for (int i = 0; i < num; i++) {
    const float s = spread + static_cast<float>(gameRand()) / kRandMax / kFlatNovaJitter;
    const double angle = gameRand();
    const float f2 = s * static_cast<float>(std::cos(angle));
    const float f1 = kFlatShortAxis * s * static_cast<float>(std::sin(angle));
    const float dh = cosA * f2 + sinA * f1, dv = cosA * f1 - sinA * f2;
    setMotion(q, h + dh, v + dv, hv + dh, vv + dv);
    pushParticle(q);
  }
}

} // namespace

// ---- The list ------------------------------------------------------------------------------
void DrawParticles(partList *particles) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  if (particles) {
    removeWhere([](const particle &q) { return q.lifetime < 0; });
    glEnable(GL_BLEND); // for the fading ones; no state may change inside the batch
    shieldsDown = !anyShieldUp();
    glBegin(GL_POINTS);
    for (partList *node = firstParticle; node;) {
      partList *older = node->tail; // a bomb's nova may reuse this node
      particle &q = node->head;
      drawParticle(q);
      stepParticle(q);
      detonateIfReleased(q);
      node = older;
    }
    glEnd();
  }
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}

void CollideParticles(partList *particles, player *p) {
  if (!particles || !p || p->ghost > 0) return; // nothing touches a ghost
  const bool teamGame = isTeamGame() != 0;
  const float ph = posH(p), pv = posV(p), reach = p->radius * p->radius;
  partList **link = &firstParticle;
  while (partList *node = *link) {
    particle &q = node->head;
    const float dh = q.h - ph, dv = q.v - pv;
    if (q.player == kNoOwner || q.player == p->playerID || !(dh * dh + dv * dv < reach)) {
      link = &node->tail;
      continue;
    }
    const player *owner = ownerOf(q);
    if (!owner || (teamGame && owner->team == p->team)) {
      link = &node->tail;
      continue;
    }
    if (p->shield > 0) {
      reflect(q, p);
      link = &node->tail;
      continue;
    }
    strike(q, p);
    *link = node->tail;
    releaseNode(node);
  }
}

void ClearParticles() {
  removeWhere([](const particle &q) { return q.mass != 0; });
}

// Also lifts a memory limit a test set.
void FreeAllParticles() {
  firstParticle = nullptr;
  spareNodes = nullptr;
  liveNodes = 0;
  nodeLimit = -1;
  while (chunks) {
    PoolChunk *older = chunks->older;
    delete chunks;
    chunks = older;
  }
}

int CountParticles() {
  int n = 0;
  for (const partList *node = firstParticle; node; node = node->tail)
    n++;
  return n;
}

void LimitParticleMemory(int maxParticles) { nodeLimit = maxParticles; }

// ---- Emitters --------------------------------------------------------------------------------
void NewParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                  float deviation, float *hCenter, float *vCenter, int lifetime) {
  particle q = proto(r, g, b, lifetime, kNoOwner, 0);
  q.hCenter = hCenter, q.vCenter = vCenter;
  scatter(num, h, hv, v, vv, deviation, q);
}

void NewMassParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                      float deviation, float mass, int player, float *hCenter, float *vCenter,
                      int lifetime) {
  particle q = proto(r, g, b, lifetime, player, mass);
  q.hCenter = hCenter, q.vCenter = vCenter;
  scatter(num, h, hv, v, vv, deviation, q);
}

void NewBombParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                      float deviation, float mass, int player, float *hCenter, float *vCenter,
                      int lifetime) {
  particle q = proto(r, g, b, lifetime, player, mass);
  q.hCenter = hCenter, q.vCenter = vCenter;
  q.behaviour = kBehaviourBomb;
  scatter(num, h, hv, v, vv, deviation, q);
}

void NovaParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                   float deviation, float mass, int player, int lifetime) {
  nova(num, h, hv, v, vv, deviation, proto(r, g, b, lifetime, player, mass));
}

void FlattenedNovaParticles(int num, float h, float hv, float v, float vv, float r, float g,
                            float b, float deviation, float mass, int player, int lifetime) {
  flattenedNova(num, h, hv, v, vv, deviation, proto(r, g, b, lifetime, player, mass));
}

// From the second point (i = 0) to the first; a lone particle sits on the first.
void InterpolatedParticles(int num, float h, float hv, float v, float vv, float h2, float hv2,
                           float v2, float vv2, float r, float g, float b, float mass, int player,
                           int lifetime, int type) {
  particle q = proto(r, g, b, lifetime, player, mass);
  q.effect = type;
  for (int i = 0; i < num; i++) {
    const float t = num > 1 ? static_cast<float>(i) / static_cast<float>(num - 1) : 1.0f;
    const float s = 1 - t;
    setMotion(q, s * h2 + t * h, s * v2 + t * v, s * hv2 + t * hv, s * vv2 + t * vv);
    pushParticle(q);
  }
}

void TracebackParticles(player *pl, int lifetime) {
  if (!pl) return;
  particle q = proto(pl->r, pl->g, pl->b, lifetime, pl->playerID, 0);
  for (int f = pl->frame; f >= 1 && f > pl->frame - kTraceSteps; f--) {
    const int at = f % kRingSize, before = (f - 1) % kRingSize;
    q.h = pl->x[at], q.v = pl->y[at];
    q.oldH = pl->x[before], q.oldV = pl->y[before];
    pushParticle(q);
  }
}

// Half the ring starts turning one way, half the other.
void RingParticles(player *pl, int lifetime, float mass, int type) {
  if (!pl) return;
  particle q = proto(pl->r, pl->g, pl->b, lifetime, pl->playerID, mass);
  q.hCenter = &pl->trailX, q.vCenter = &pl->trailY;
  q.behaviour = type;
  for (int i = 0; i < kRingCount; i++) {
    const double back = i % 2 == 0 ? i - kRingHalfStep : i + kRingHalfStep;
    q.h = pl->trailX + static_cast<float>(std::cos(i));
    q.v = pl->trailY + static_cast<float>(std::sin(i));
    q.oldH = pl->trailX + static_cast<float>(std::cos(back));
    q.oldV = pl->trailY + static_cast<float>(std::sin(back));
    pushParticle(q);
  }
}

void MatrixParticles(player *pl, int lifetime, float mass) {
  if (!pl) return;
  particle q = proto(pl->r, pl->g, pl->b, lifetime, pl->playerID, mass);
  q.hCenter = &pl->trailX, q.vCenter = &pl->trailY;
  q.behaviour = kBehaviourMatrix;
  for (int i = 0; i < kGridSide * kGridSide; i++) {
    q.h = q.oldH = pl->trailX;
    q.v = q.oldV = pl->trailY;
    q.offH = static_cast<float>(i / kGridSide - kGridHalf) * kGridSpacing;
    q.offV = static_cast<float>(i % kGridSide - kGridHalf) * kGridSpacing;
    pushParticle(q);
  }
}

// Segment 0 follows the ball; each later one follows the one made before it.
void WormParticles(player *pl, int num, int lifetime, float mass) {
  if (!pl) return;
  particle q = proto(pl->r, pl->g, pl->b, lifetime, pl->playerID, mass);
  q.behaviour = kBehaviourWorm;
  q.effect = kEffectShrink;
  q.h = q.oldH = posH(pl);
  q.v = q.oldV = posV(pl);
  particle *ahead = nullptr;
  for (int i = 0; i < num; i++) {
    particle *seg = pushParticle(q, kWormRetries, &ahead);
    seg->hCenter = ahead ? &ahead->h : &pl->trailX;
    seg->vCenter = ahead ? &ahead->v : &pl->trailY;
    seg->prev = ahead;
    if (ahead) ahead->next = seg;
    ahead = seg;
  }
}
