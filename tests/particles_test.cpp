// The particle list: ageing, pauses, hits, bombs, clearing, the emitters and memory.
#include "world_fixture.h"

#include "inclGL.h"

#include <numeric>
#include <tuple>
#include <vector>

class Particles : public World {
protected:
  void SetUp() override {
    World::SetUp();
    arena();
    gravity = 0;
    for (int i = 0; i < numPlayers; i++) placeBall(players[i], 3.0f * i, 0, 0, 0);
  }
  // One particle at (h, v) stepping (vh, vv); a lone beam particle sits on its first point.
  static particle &shot(int owner, float h, float v, float vh, float vv, float mass,
                        int effect = kEffectKnock) {
    InterpolatedParticles(1, h, vh, v, vv, 99, 0, 99, 0, 1, 1, 1, mass, owner, 100, effect);
    return firstParticle->head;
  }
  static particle &nth(int k) { // 0 = newest
    partList *n = firstParticle;
    for (; k > 0; k--) n = n->tail;
    return n->head;
  }
  static void frames(int n) { for (int i = 0; i < n; i++) DrawParticles(firstParticle); }
};

TEST_F(Particles, LifetimeTenAtHalfATickIsDrawnTwentyOneFramesWithoutAnUndefinedFade) {
  NewParticles(1, 0, 0, 0, 0, 1, 1, 1, 0, nullptr, nullptr, 10);
  frames(1);
  EXPECT_FLOAT_EQ(headlessState().color[3], .95f); // a frame's share of the life left
  frames(21); // drawn last at lifetime 0, then gone
  EXPECT_EQ(headlessVertices().size(), 21u);
  EXPECT_EQ(headlessState().color[3], 0.0f); // spent, not NaN
  EXPECT_EQ(CountParticles(), 0);
}

// A particle of owner 3 stepping 0.1 along h meets ball 0 on a rope: it knocks the ball by the
// mass ratio, with the antimatter sign. Only an opponent's particles hit at all.
TEST_F(Particles, OpponentsParticlesKnockByMassRatio) {
  struct Case { float qMass, mass, unblockable, vv, wantVH, wantVV; } knocks[] = {
      {2, 2, 0, 0, 0.1f, 0}, {1, 2, 0, 0.2f, 0.05f, 0.1f}, {-1, 2, 0, 0.2f, -0.05f, 0.1f},
      {1, 0, 0, 0.2f, 0, 0.2f}, {2, 2, 1, 0, 0, 0}};
  struct Owner { int game, owner; float ghost; bool hits; } owners[] = {
      {kDeathmatch, 3, 0, true}, {kDeathmatch, 1, 0, true}, {kTeamDeathmatch, 3, 0, true},
      {kTeamDeathmatch, 1, 0, false}, {kDeathmatch, kNoOwner, 0, false}, {kDeathmatch, 0, 0, false},
      {kDeathmatch, 40, 0, false}, {kDeathmatch, -2, 0, false}, {kDeathmatch, 3, 1, false}};
  player *ball = players[0];
  for (const Owner &o : owners)
    for (const Case &c : knocks) {
      FreeAllParticles();
      gameType = o.game;
      placeBall(ball, 0, 0, 0, c.vv);
      ball->mass = c.mass, ball->unblockable = c.unblockable, ball->ghost = o.ghost;
      ball->moveDelay = 0, ball->lastHit = -1, ball->block = addNode(kNodeStill, 0, 1);
      shot(o.owner, 0, 0, 0.1f, 0, c.qMass);
      CollideParticles(firstParticle, ball);
      SCOPED_TRACE(testing::Message() << "owner " << o.owner << ", particle mass " << c.qMass);
      EXPECT_TRUE(o.hits ? movesBy(ball, c.wantVH, c.wantVV) : movesBy(ball, 0, c.vv));
      EXPECT_EQ(std::make_tuple(CountParticles(), ball->block, ball->moveDelay, ball->lastHit),
                o.hits ? std::make_tuple(0, kRopeFree, 5.f, o.owner)
                       : std::make_tuple(1, blockNum, 0.f, -1));
    }
}

TEST_F(Particles, ShieldTurnsTheParticleBackAndMakesItTheShieldOwners) {
  player *guard = players[0], *other = players[1];
  guard->shield = 10;
  placeBall(guard, 0, 0, 0.02f, 0.01f);
  particle &q = shot(3, 0, 0, 0.1f, 0, 1);
  CollideParticles(firstParticle, guard);
  CollideParticles(firstParticle, guard); // its own particle now
  EXPECT_EQ(std::make_tuple(q.player, guard->moveDelay), std::make_tuple(0, 0.0f));
  EXPECT_TRUE(isNear(q.h - q.oldH, q.v - q.oldV, -.06f, .02f)); // twice the shield's less its own
  placeBall(other, 0, 0, 0, 0), other->moveDelay = 20; // a longer stun is kept
  CollideParticles(firstParticle, other);
  EXPECT_EQ(std::make_tuple(CountParticles(), other->lastHit, other->moveDelay),
            std::make_tuple(0, 0, 20.f));
}

TEST_F(Particles, WormHitShrinksTheBallAndItsTailChasesIt) {
  player *victim = players[0];
  const float radius = victim->radius, mass = victim->mass;
  WormParticles(players[3], 3, 100, 1);
  particle &tail = nth(0), &cut = nth(1), &head = nth(2);
  tail.h = head.h = 50, cut.h = 0;
  CollideParticles(firstParticle, victim);
  EXPECT_EQ(std::make_tuple(CountParticles(), head.next, tail.prev, tail.hCenter, tail.vCenter),
            std::make_tuple(2, nullptr, nullptr, &victim->trailX, &victim->trailY));
  EXPECT_EQ(std::make_tuple(victim->radius, victim->mass, victim->sizeChange),
            std::make_tuple(radius / 1.01f, mass / 1.030301f, 200.0f));
  victim->unblockable = 1, head.h = 0; // the first segment, on an unblockable ball
  CollideParticles(firstParticle, victim);
  EXPECT_EQ(std::make_tuple(CountParticles(), victim->radius), std::make_tuple(1, radius / 1.01f));
}

TEST_F(Particles, FreezeAndNodeBlinkOnAHit) {
  using Case = std::tuple<int, int, float, float, float, float>; // ...: stop and blink after
  for (auto [game, nodeType, stop, stun, wantStop, wantBlink] :
       {Case{kDeathmatch, kNodeBlinkRelease, 19, 0, 20, 7},
        Case{kDeathmatch, kNodeStill, 20, 0, 20, 0}, Case{kBlinkMatch, kNodeStill, 3, 2, 3, -1}}) {
    blockNum = -1, gameType = game;
    player *ball = players[0];
    ball->stop = stop, ball->moveDelay = stun;
    ball->block = addNode(nodeType, 0, 2);
    blocks[0].h1 = 7;
    shot(3, 0, 0, 0, 0, 1, kEffectFreeze);
    CollideParticles(firstParticle, ball);
    EXPECT_EQ(std::make_tuple(ball->stop, blocks[0].blink, ball->block),
              std::make_tuple(wantStop, wantBlink, 0));
  }
  for (int outside : {blockNum + 1, kMaxBlocks}) { // not a node of this level
    players[0]->block = outside;
    shot(3, 0, 0, 0, 0, 1, kEffectFreeze);
    CollideParticles(firstParticle, players[0]);
  }
  EXPECT_EQ(blocks[blockNum + 1].blink, 0.0f);
}

TEST_F(Particles, RoundClearKeepsOnlyMasslessParticlesInOrder) {
  const float masses[] = {1, 0, 2, 0, -1}; // the front one goes too
  for (int i = 0; i < 5; i++) shot(kNoOwner, static_cast<float>(i), 0, 0, 0, masses[i]);
  const particle *oldest = &nth(4); // freed last, so taken again first
  ClearParticles();
  EXPECT_EQ(std::make_tuple(CountParticles(), nth(0).h, nth(1).h), std::make_tuple(2, 3.0f, 1.0f));
  EXPECT_EQ(&shot(kNoOwner, 0, 0, 0, 0, 1), oldest);
}

TEST_F(Particles, EmitterCounts) {
  player *p = players[1];
  auto count = [](auto emit) { return FreeAllParticles(), emit(), CountParticles(); };
  EXPECT_EQ(count([p] { p->frame = 20, TracebackParticles(p, 10); }), 20);
  std::iota(p->x, p->x + kRingSize, 0.0f);
  EXPECT_EQ(count([p] { p->frame = 120, TracebackParticles(p, 10); }), 50);
  EXPECT_EQ(nth(0).h - nth(0).oldH, 1.0f); // each step back one slot
  EXPECT_EQ(count([p] { WormParticles(p, 7, 10, 1); }), 7);
  EXPECT_EQ(count([] { NewParticles(-3, 0, 0, 0, 0, 1, 1, 1, 1, nullptr, nullptr, 10); }), 0);
  EXPECT_EQ(count([] { MatrixParticles(nullptr, 10, 1); }), 0);
  EXPECT_EQ(count([] { TracebackParticles(nullptr, 10); }), 0);
  InterpolatedParticles(2, 4, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 9, 0); // one on each point
  EXPECT_EQ(std::make_tuple(CountParticles(), nth(0).h, nth(1).h), std::make_tuple(2, 4.f, 0.f));
}

TEST_F(Particles, ScatterDrawsRadiusThenAngle) {
  for (float deviation : {0.2f, -0.2f}) {
    gameSrand(9);
    NewParticles(1, 1, 0.01f, 2, 0, 1, 1, 1, deviation, nullptr, nullptr, 10);
    gameSrand(9);
    const float u = std::fabs((gameRand() % 800 - 400) / 400.0f), a = gameRand();
    const float s = 5 * 0.2f * std::sqrt(u);
    EXPECT_TRUE(isNear(nth(0).h, nth(0).v, 1 + s * std::sin(a), 2 + s * std::cos(a), 1e-5))
        << deviation;
    EXPECT_EQ(nth(0).motionless, deviation < 0 ? 1 : 0);
    FlattenedNovaParticles(1, 0, 0, 0, 0, 1, 1, 1, deviation, 0, kNoOwner, 10);
    EXPECT_LT(std::hypot(nth(0).h, nth(0).v), 0.201f); // jitter under 1/400
    EXPECT_EQ(std::make_tuple(nth(0).motionless, nth(0).oldH, nth(0).oldV),
              std::make_tuple(deviation < 0 ? 1 : 0, 0.f, 0.f)); // left the middle a step ago
    NovaParticles(1, 0, 0, 0, 0, 1, 1, 1, deviation, 0, kNoOwner, 10); // out to 1/50 beyond
    EXPECT_TRUE(std::hypot(nth(0).h, nth(0).v) >= 0.2f && std::hypot(nth(0).h, nth(0).v) < 0.221f);
    EXPECT_EQ(std::make_tuple(nth(0).motionless, nth(0).oldH, nth(0).oldV),
              std::make_tuple(deviation < 0 ? 1 : 0, 0.f, 0.f));
  }
}

TEST_F(Particles, RingHoldsItsRadiusAndTheGridFacesTheFlight) {
  player *p = players[1];
  p->trailX = p->trailY = 0;
  RingParticles(p, 1000, 1, kBehaviourRing);
  for (int k : {0, 1}) // a ring particle starts half a radian a step round, the two ways in turn
    EXPECT_TRUE(isNear(nth(k).h - nth(k).oldH, nth(k).v - nth(k).oldV,
                       std::cos(99 - k) - std::cos(99 - k + (k ? -.5 : .5)),
                       std::sin(99 - k) - std::sin(99 - k + (k ? -.5 : .5)), 1e-6f)) << k;
  frames(60);
  int anticlockwise = 0;
  const float pace = std::hypot(nth(0).h - nth(0).oldH, nth(0).v - nth(0).oldV);
  for (const partList *n = firstParticle; n; n = n->tail) {
    EXPECT_NEAR(std::hypot(n->head.h, n->head.v), 1.0f, 0.1f);
    EXPECT_NEAR(std::hypot(n->head.h - n->head.oldH, n->head.v - n->head.oldV), pace, 1e-4);
    anticlockwise += n->head.oldH * n->head.v > n->head.oldV * n->head.h;
  }
  EXPECT_EQ(anticlockwise, 50);
  placeBall(p, 0, 0, 0.06f, 0.08f); // flying up and right: offsets turn with the flight
  p->trailY = 0.25f;
  MatrixParticles(p, 1000, 1);
  EXPECT_EQ(std::make_tuple(nth(80).h, nth(80).v), std::make_tuple(0.f, .25f)); // on the trail
  p->trailX = 0.5f; // where it feels no pull
  frames(1);
  EXPECT_TRUE(isNear(nth(0).h, nth(0).v, .5f + .6f - .8f, .25f + .8f + .6f)); // offsets (1, 1)
  placeBall(p, 0, 0, 0, 0), frames(1); // a still owner gives the grid no direction
  EXPECT_TRUE(std::isfinite(nth(0).h) && std::isfinite(nth(0).v));
  nth(0).player = 40, frames(1); // nor does an owner gone from the roster
  EXPECT_TRUE(std::isfinite(nth(0).h) && std::isfinite(nth(0).v));
  float ch = 0, cv = 1; // a homing point creeps to its centre and lags a hundredth a tick
  NewMassParticles(1, 1, 0.1f, 1, 0, 1, 1, 1, 0, 1, kNoOwner, &ch, &cv, 10);
  frames(1);
  EXPECT_TRUE(isNear(nth(0).h, nth(0).v, 0.995f * 1.09f + 0.005f, 1));
  placeBall(p, 3, 4, 0, 0), p->trailX = p->trailY = 0;
  WormParticles(p, 1, 10, 1); // its head closes a quarter unit on its centre, half of it kept
  frames(1);
  EXPECT_TRUE(isNear(nth(0).h, nth(0).v, 2.925f, 3.9f, 1e-6f));
}

// The beam also runs from its second point (the oldest) to its first.
TEST_F(Particles, FullMemoryFreesTheNewestAndKeepsWormsJoined) {
  LimitParticleMemory(3);
  InterpolatedParticles(5, 4, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, kNoOwner, 10, 0);
  EXPECT_EQ(std::make_tuple(CountParticles(), nth(0).h, nth(1).h, nth(2).h),
            std::make_tuple(3, 4.0f, 1.0f, 0.0f));
  FreeAllParticles(), LimitParticleMemory(3);
  WormParticles(players[0], 5, 10, 1);
  const particle &end = nth(0), &mid = nth(1);
  EXPECT_EQ(std::make_tuple(CountParticles(), mid.next, end.prev, end.hCenter),
            std::make_tuple(3, &end, &mid, &mid.h));
  NewParticles(1, 0, 0, 0, 0, 1, 1, 1, 0, nullptr, nullptr, 10); // the worm's end makes room
  EXPECT_EQ(mid.next, nullptr);
  FreeAllParticles(), LimitParticleMemory(0); // and nothing left to free
  EXPECT_EXIT(NewParticles(1, 0, 0, 0, 0, 1, 1, 1, 0, nullptr, nullptr, 10),
              ::testing::ExitedWithCode(70), "Out of memory");
}

// A spark coasts on its last step and falls; a ball's magnetic shield turns it aside and a
// gravity shield pushes it off, but only while that ball is in play. A paused frame holds
// weapons unaged while sparks go on, and a motionless burst only ages.
TEST_F(Particles, FreeParticlesCoastFallAndBendOnlyNearARaisedShield) {
  struct Case { float g, mag, grav; int alive; float wantH, wantV; } cases[] = {
      {0, 0, 0, 1, .1f, 1},
      {.005f, 0, 0, 1, .1f, .9975f}, // a half tick of gravity
      {0, 1, 0, 1, .1f, .995f},
      {0, 0, 1, 1, .1f + .001f / 1.01f, 1 + .01f / 1.01f},
      {0, 1, 1, 0, .1f, 1}};
  player *ball = players[0]; // at the middle, a unit under the spark
  for (const Case &c : cases) {
    FreeAllParticles();
    gravity = c.g, ball->magShield = c.mag, ball->gravShield = c.grav, ball->alive = c.alive;
    NewParticles(1, 0, .1f, 1, 0, 1, 1, 1, 0, nullptr, nullptr, 10);
    frames(1);
    EXPECT_TRUE(isNear(nth(0).h, nth(0).v, c.wantH, c.wantV)) << c.g << c.mag << c.grav << c.alive;
  }
  FreeAllParticles();
  gravity = 0, paused = 1;
  const particle &weapon = shot(3, 0, 5, .1f, 0, 1);
  NewParticles(1, 0, .1f, 6, 0, 1, 1, 1, 0, nullptr, nullptr, 10);
  const particle &spark = nth(0);
  NewParticles(1, 0, .1f, 7, 0, 1, 1, 1, -.01f, nullptr, nullptr, 10);
  const particle &still = nth(0);
  const float stillH = still.h, stillV = still.v;
  frames(2);
  EXPECT_EQ(std::make_tuple(weapon.h, weapon.lifetime, still.h, still.v, still.lifetime),
            std::make_tuple(0.f, 100.f, stillH, stillV, 9.f));
  EXPECT_TRUE(isNear(spark.h, spark.lifetime, .2f, 9));
  paused = 0, frames(1);
  EXPECT_TRUE(isNear(weapon.h, weapon.lifetime, .1f, 99.5f));
}

// Unlike a spark, a weapon does not fade: it is drawn at full strength to its last frame. Each
// worm segment is drawn joined to the one made after it. Lighting and depth test come back on.
TEST_F(Particles, WeaponsStaySolidSparksFadeAndWormSegmentsAreJoined) {
  shot(3, 0, 5, 0, 0, 1).lifetime = 2;
  frames(4);
  for (const HeadlessVertex &v : headlessVertices()) EXPECT_EQ(v.color[3], 1.0f);
  EXPECT_EQ(headlessVertices().size(), 4u);
  FreeAllParticles(), headlessClearVertices();
  WormParticles(players[1], 3, 10, 1);
  for (int k = 0; k < 3; k++) nth(k).h = static_cast<float>(k), nth(k).v = 5; // newest at 0
  paused = 1, frames(1); // held still, so each line ends where its segment is drawn
  std::vector<float> joined;
  for (const HeadlessVertex &v : headlessVertices())
    if (v.primitive == GL_LINES) joined.push_back(v.x);
  EXPECT_EQ(joined, (std::vector<float>{1, 0, 2, 1})); // the middle to the end, the head to the middle
  EXPECT_TRUE(headlessEnabled(GL_LIGHTING) && headlessEnabled(GL_DEPTH_TEST));
}
