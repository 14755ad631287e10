// The attacks and strikes: what each use emits and moves, and their ongoing steps.
#include "world_fixture.h"

#include <tuple>

class Attacks : public World {
protected:
  void SetUp() override { World::SetUp(), fresh(); }
  // Six humans two apart at rest, but the user on the left flies right at `speed`.
  void fresh(float speed = .1f) {
    ResetWorld();
    arena();
    for (int i = 0; i < numPlayers; i++) {
      placeBall(players[i], 2.f * i - 5, 0, i ? 0 : speed, 0);
      players[i]->ai = kHuman, players[i]->ghost = 0;
    }
    user = players[0];
  }
  void use(int id) { user->powerUpType = id, ProcessPowerUp(user); }
  player *user = nullptr;
};

TEST_F(Attacks, EachUseEmitsItsParticlesAndLeavesItsState) {
  struct Case {
    int id, count;
    float mass; // of all the particles together, for a user of mass 2
    int held = 0, behaviour = 0, effect = 0;
    float player::*timer = &player::charge;
    float ticks = 0;
  } cases[] = {
      {kPowerTapeworm, 100, 20, 0, kBehaviourWorm, kEffectShrink}, {kPowerNova, 225, 10},
      {kPowerSupernova, 0, 0, 0, 0, 0, &player::supernovaCharge, 1}, {kPowerAntimatter, 450, -100},
      {kPowerParticleBeam, 0, 0, 0, 0, 0, &player::particleBeam, 150},
      {kPowerFreezeRay, 0, 0, 0, 0, 0, &player::freezeRay, 150}, {kPowerParticleShield, 225, 16},
      {kPowerShotgun, 225, 1, kPowerShotgunSecond}, {kPowerShotgunSecond, 225, 1},
      {kPowerHomingMissile, 5 * 225, 5}, {kPowerTimeWarp, 1, 0}, // every ball at its first step
      {kPowerNovaBomb, 5, 10.f / 45, kPowerBombInFlight, kBehaviourBomb},
      {kPowerAntimatterBomb, 5, -10.f / 45, kPowerBombInFlight, kBehaviourBomb},
      {kPowerMatrixShield, 81, 81.f / 20, 0, kBehaviourMatrix},
      {kPowerRingShield, 100, 5, 0, kBehaviourRing},
      {kPowerOmegaOne, 6, 0}, {kPowerChainCharge, 0, 0, 0, 0, 0, &player::charge, 50},
      {kPowerChase, 0, 0, 0, 0, 0, &player::chase, 50}, {kPowerBombInFlight, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(powerUpName(c.id));
    fresh();
    user->mass = 2;
    use(c.id);
    float mass = 0;
    const particle *first = nullptr; // the first emitted is the oldest
    for (const partList *n = firstParticle; n; n = n->tail) mass += n->head.mass, first = &n->head;
    EXPECT_NEAR(mass, c.mass, 1e-3);
    if (first) {
      EXPECT_EQ(std::make_tuple(first->player, first->behaviour, first->effect, first->motionless),
                std::make_tuple(0, c.behaviour, c.effect, 0));
    }
    EXPECT_EQ(std::make_tuple(CountParticles(), user->powerUpType, user->*c.timer),
              std::make_tuple(c.count, c.held, c.ticks));
  }
  fresh(0), use(kPowerAntimatter); // a ring at .5 around one at .3
  const float fastest = fastestParticle();
  EXPECT_TRUE(fastest > .5f && fastest < .52f) << fastest;
  for (int id : {kPowerShotgun, kPowerHomingMissile}) { // from rest: .1 r squared at most
    fresh(0), use(id);
    const float pellet = fastestParticle();
    EXPECT_TRUE(pellet > .0085f && pellet < .0091f) << pellet;
    EXPECT_EQ(firstParticle->head.lifetime, 60);
  }
  fresh(), placeBall(user, -5, 1, 0, .1f), use(kPowerAntimatterBomb); // black, thrown at 2 V
  EXPECT_NEAR(fastestParticle(), .2f, .01f);
  EXPECT_EQ(firstParticle->head.r + firstParticle->head.g + firstParticle->head.b, 0);
}

// Speeds, places and ropes after a strike; without a direction there is no recoil or strike.
TEST_F(Attacks, StrikesMoveTheUser) {
  struct Case { int id; float speed, vh, vv, h, anglev; int block; float up = 0; } cases[] = {
      {kPowerReverse, .1f, -.1f, -.2f, -5.2f, -.3f, 0, .2f}, // off the h axis too
      {kPowerSlam, .1f, 0, -.2f, -5.1f, .3f, kRopeFree},
      {kPowerShotgun, .1f, -.15f, 0, -5.25f, .3f, kRopeFree}, {kPowerShotgun, 0, 0, 0, -5, .3f, 0},
      {kPowerShotgun, .3f, .15f, .2f, -5.15f, .3f, kRopeFree, .4f}, // recoil .25 against (.6, .8)
      {kPowerChainCharge, .1f, .21f, 0, -4.89f, .3f, kRopeFree}, // .2 (T - C1) / |T - C0|
      {kPowerBlinkStrike, .1f, .1f, 0, -3.6f, .3f, kRopeFree},   // touching players[1]
      {kPowerBlinkStrike, 0, 0, 0, -5, .3f, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << powerUpName(c.id) << " at " << c.speed);
    fresh(), placeBall(user, -5, 0, c.speed, c.up);
    user->block = addNode(kNodeStill, -5, 5), user->anglev = .3f;
    use(c.id);
    EXPECT_TRUE(movesBy(user, c.vh, c.vv, 1e-5f));
    EXPECT_NEAR(ballH(user), c.h, 1e-5);
    EXPECT_EQ(std::make_tuple(user->block, user->anglev), std::make_tuple(c.block, c.anglev));
  }
}

// The nearest opponent within about 31.6 units, the first in the roster of equals; an old
// target stands when nobody is in reach; with no opponent alive there is no chase, but the
// shield still goes up.
TEST_F(Attacks, ChaseRunsDownTheNearestOpponentUntilItDiesOrLeaves) {
  struct Case { int gameType; float h[6]; int oldTarget, target; } cases[] = {
      {kDeathmatch, {-5, -3, -1, 1, 3, 5}, -1, 1}, {kDeathmatch, {-5, -7, -3, 1, 3, -3}, -1, 1},
      {kTeamDeathmatch, {-5, -4, -6, -1, 3, 5}, -1, 3},
      {kDeathmatch, {-5, 28, 40, 40, 40, 40}, 4, 4}, {kDeathmatch, {-5, 0, 0, 0, 0, 0}, -1, -1}};
  for (const Case &c : cases) {
    fresh();
    gameType = c.gameType;
    for (int i = 1; i < numPlayers; i++)
      placeBall(players[i], c.h[i], 0, 0, 0), players[i]->alive = c.target >= 0;
    user->target = c.oldTarget >= 0 ? players[c.oldTarget] : nullptr;
    use(kPowerChase);
    EXPECT_EQ(std::make_tuple(user->target, user->chase, user->shield),
              std::make_tuple(c.target >= 0 ? players[c.target] : nullptr, c.target >= 0 ? 50.f : 0.f, 50.f))
        << c.h[1];
  }
  for (int player::*gone : {&player::alive, &player::active}) {
    fresh(), use(kPowerChase);
    user->chase = 1; // the last tick still steers
    SpecialPlayer(user);
    EXPECT_TRUE(movesBy(user, .0525f, 0)); // .05 (T - C1) / |T - C0|
    players[1]->*gone = 0;
    SpecialPlayer(user);
    EXPECT_EQ(std::make_tuple(user->chase, user->shield), std::make_tuple(0.f, 0.f));
  }
  fresh(); // not chasing, with a target left over: the shield and the rope are left alone
  user->target = players[1], user->shield = 9, user->block = 0;
  StepChase(user);
  EXPECT_EQ(std::make_tuple(user->shield, user->block, user->chase), std::make_tuple(9.f, 0, 0.f));
}

TEST_F(Attacks, ChainChargesAgainAfterEachKillAndEndsWithNobodyLeft) {
  use(kPowerChainCharge);
  user->charge = 1, StepChainCharge(user); // runs down to 0
  EXPECT_EQ(user->charge, .5f);
  user->powerUpType = kPowerShield;
  players[1]->alive = 0;
  SpecialPlayer(user);
  EXPECT_EQ(std::make_tuple(user->target, user->charge, user->powerUpType),
            std::make_tuple(players[2], 49.5f, int(kPowerShield)));
  for (int i = 2; i < numPlayers; i++) players[i]->alive = 0;
  SpecialPlayer(user);
  SpecialPlayer(user);
  EXPECT_EQ(user->charge, 0);
}

// The nova 99 steps after the use, the flattened blast 21 later, then aftershocks in about
// one step in eight until the charge passes 130. Shields and Untouchables in play go up.
TEST_F(Attacks, SupernovaChargesThenBlasts) {
  for (int i = 2; i < numPlayers; i++) players[i]->powerUpType = kPowerShield;
  players[4]->powerUpType = kPowerUntouchable, players[2]->active = players[5]->alive = 0;
  use(kPowerSupernova);
  EXPECT_EQ(std::make_tuple(players[3]->shield, players[4]->ghost, players[2]->shield,
                            players[5]->powerUpType),
            std::make_tuple(200.f, 200.f, 0.f, int(kPowerShield)));
  const struct { int step, particles; float charge, contrails; } marks[] = {
      {98, 0, 50, 0}, {99, 225, 100, 0}, {119, 225, 110, 0}, {120, 337, 120, 50},
      {140, -1, 130, 50}, {141, -1, 0, 50}};
  int step = 0;
  for (const auto &m : marks) {
    while (step < m.step) SpecialPlayer(user), step++;
    EXPECT_EQ(std::make_tuple(m.particles < 0 || CountParticles() == m.particles,
                              user->supernovaCharge, contrails),
              std::make_tuple(true, m.charge, m.contrails))
        << step;
  }
  EXPECT_EQ((CountParticles() - 337) % 112, 0);
  const int before = CountParticles();
  for (int k = 0; k < 800; k++) { // reaching 120 is the blast's step: no aftershock
    user->supernovaCharge = k % 2 ? 119.5f : 120.5f;
    StepSupernova(user);
  }
  const int blasts = (CountParticles() - before) / 112;
  EXPECT_TRUE(blasts > 30 && blasts < 70) << blasts;
  user->mass = 2, user->supernovaCharge = 50, StepSupernova(user); // the nova weighs five balls
  EXPECT_NEAR(firstParticle->head.mass * 225, 10, 1e-5);
}

// A round reset frees the bombs unburst and leaves the detonator held; a full reset lets go
// of it too, but its round start frees the bombs before any frame could burst them.
TEST_F(Attacks, BombsBurstWhenTheDetonatorIsLetGo) {
  writeFile("level.def", "nextlevel 0\nOnly\nlevel -10 10 10 -10\n");
  const struct { void (*trigger)(player *); int held, particles; } cases[] = {
      {[](player *p) { ProcessPowerUp(p); }, 0, 205}, {[](player *) { ResetAll(); }, 0, 0},
      {[](player *p) { CollectPowerUp(p, kPowerShield); }, kPowerShield, 205},
      {[](player *) { ResetPositions(); }, kPowerBombInFlight, 0}};
  for (const auto &c : cases) {
    fresh(), use(kPowerNovaBomb);
    DrawParticles(firstParticle);
    EXPECT_EQ(CountParticles(), 5);
    c.trigger(user);
    DrawParticles(firstParticle);
    EXPECT_EQ(std::make_tuple(user->powerUpType, CountParticles()),
              std::make_tuple(c.held, c.particles));
  }
}

// Straight or gently turning flight emits; a sharp turn holds both timers.
TEST_F(Attacks, BeamAndRayEmitOnlyInSteadyFlightAndTheRayFreezesUpToTwenty) {
  for (float turn : {0.f, .15f, .25f}) {
    fresh();
    user->frame = 2, user->x[0] = -5.2f, user->x[1] = -5.1f, user->x[2] = -5 + turn;
    user->y[0] = user->y[1] = user->y[2] = 1; // off the h axis, flying level
    user->particleBeam = user->freezeRay = 150;
    StepBeams(user);
    const float left = turn < .2f ? 149.5f : 150;
    float h = 0, mass = 0; // the oldest: on the previous point, with a half-tick's share
    for (const partList *n = firstParticle; n; n = n->tail) h = n->head.h, mass = n->head.mass;
    EXPECT_EQ(std::make_tuple(CountParticles(), user->particleBeam, user->freezeRay, h, mass),
              std::make_tuple(turn < .2f ? 20 : 0, left, left, turn < .2f ? -5.1f : 0,
                              turn < .2f ? .005f : 0));
  }
  fresh(), user->x[kRingSize - 1] = -5.2f, user->particleBeam = 1, StepBeams(user); // beam alone
  EXPECT_EQ(std::make_tuple(CountParticles(), user->freezeRay), std::make_tuple(10, 0.f));
  fresh(), placeBall(user, -3, 0, .01f, 0); // on top of players[1]
  user->x[kRingSize - 1] = -3.02f, user->freezeRay = 150;
  for (int k = 0; k < 3; k++) StepBeams(user);
  CollideParticles(firstParticle, players[1]);
  EXPECT_EQ(std::make_tuple(players[1]->stop, CountParticles()), std::make_tuple(20.f, 0));
}

TEST_F(Attacks, FaultsMended) {
  // A target on the very spot gives no direction: the velocity stays as it was.
  placeBall(players[1], -5, 0, 0, 0);
  use(kPowerChainCharge);
  use(kPowerChase);
  SpecialPlayer(user);
  EXPECT_TRUE(movesBy(user, .1f, 0));
  // Back fifty steps, but never before the first, nor forward from a ball never stepped.
  for (int f = 1; f <= 60; f++) user->x[f % kRingSize] = .1f * f;
  user->frame = 60, players[1]->frame = 20, players[2]->frame = 0;
  use(kPowerOmegaOne);
  EXPECT_EQ(std::make_tuple(ballH(user), players[1]->frame, players[2]->frame,
                            firstParticle->head.lifetime),
            std::make_tuple(1.f, 1, 0, 50.f)); // the trace lasts fifty ticks
  // Flag sparks: only a ball of one of the two flag teams has an opposing flag.
  fresh();
  gameType = kCaptureTheFlag, flags[1].h = ballH(user);
  for (int team : {7, 0}) user->team = team, SpecialPlayer(user);
  EXPECT_EQ(std::make_tuple(CountParticles(), firstParticle->head.lifetime),
            std::make_tuple(5, 50.f));
}
