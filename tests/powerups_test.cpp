// Power-ups: the catalogue, collection, the spawn's draws, using the gravity, size and
// timed ones, and their ongoing effects.
#include "world_fixture.h"

#include <tuple>
#include <vector>

class PowerUps : public World {
protected:
  void SetUp() override { World::SetUp(), fresh(); }
  // Every ball in play at rest, humans (no bot steering), normal gravity.
  void fresh() {
    ResetWorld();
    arena();
    for (int i = 0; i < numPlayers; i++) {
      placeBall(players[i], i - 2.5f, 0, 0, 0);
      players[i]->ai = kHuman;
    }
    user = players[0];
  }
  void use(player *p, int id) { p->powerUpType = id, ProcessPowerUp(p); }
  player *user = nullptr;
};

TEST_F(PowerUps, CatalogueLookupsAndTheAutoColumn) {
  for (int id : {-1, 44})
    EXPECT_EQ(std::string(powerUpName(id)) + powerUpDescription(id) + powerUpSound(id),
              "Invalid IDInvalid ID");
  EXPECT_STREQ(powerUpName(kPowerNone), "None"); // the preferences name every entry
  std::vector<int> autos;
  for (int id = -1; id <= kPowerBombInFlight; id++)
    if (powerUpIsAuto(id)) autos.push_back(id);
  EXPECT_EQ(autos, (std::vector<int>{kPowerShrinkage, kPowerTemporalDilate, kPowerDrunkenMaster,
                                     kPowerSwitcheroo}));
}

TEST_F(PowerUps, EachUseLeavesItsState) {
  struct Case { int id; float player::*timer; float ticks, radius = .3f, mass = 1, other = .3f; }
  cases[] = {
      {kPowerBungieRope, &player::bungie, 200},       {kPowerShield, &player::shield, 200},
      {kPowerTurboBoost, &player::turbo, 300},        {kPowerTemporalDilate, &player::slow, 300},
      {kPowerUntouchable, &player::ghost, 200},       {kPowerPhaseOut, &player::stop, 50},
      {kPowerUnblockable, &player::unblockable, 300}, {kPowerDrunkenMaster, &player::drunk, 250},
      {kPowerMagneticShield, &player::magShield, 300},
      {kPowerGravityShield, &player::gravShield, 300},
      {kPowerAllOppsShrunk, &player::sizeChange, 0, .3f, 1, .15f}, // the mass goes with the cube
      {kPowerGrowthSpurt, &player::sizeChange, 200, .6f, 8},
      {kPowerGrowthSpurt, &player::maxSize, 8, .6f, 8}, // a new peak
      {kPowerShrinkage, &player::sizeChange, 200, .15f, .125f},
      {77, &player::shield, 0}}; // no such power-up: spent to no effect
  for (const Case &c : cases) {
    fresh(), use(user, c.id);
    EXPECT_EQ(std::make_tuple(user->*c.timer, user->radius, user->mass, players[3]->radius,
                              user->powerUpType, gravity, gravityResetTime),
              std::make_tuple(c.ticks, c.radius, c.mass, c.other, int(kPowerNone), .005f, 0.f))
        << c.id;
  }
  fresh(), gameType = kTeamDeathmatch; // a teammate is no opponent
  use(user, kPowerAllOppsShrunk);
  EXPECT_EQ(std::make_tuple(players[1]->radius, players[3]->radius), std::make_tuple(.3f, .15f));
  user->maxSize = 100;
  use(user, kPowerGrowthSpurt);
  EXPECT_EQ(user->maxSize, 100); // a peak is never lowered
}

// Each gravity power-up restarts the 300-tick reset, except a snap back to normal.
TEST_F(PowerUps, GravityUses) {
  const int rev = kPowerReversedGravity, vac = kPowerVacuumCleaner;
  struct Case { float gravity; int mode; std::vector<int> uses; float wantGravity; int wantMode;
                float wantReset; } cases[] = {
      {.005f, 0, {kPowerPlanetaryGravity}, .005f, kGravityPlanetary, 300},
      {.005f, 0, {kPowerWhirlwindGravity}, .005f, kGravityWhirlwind, 300},
      {.005f, 0, {vac}, .005f, kGravityVacuum, 300}, {.005f, 0, {rev}, -.005f, 0, 300},
      {.005f, 0, {rev, rev}, .005f, 0, 300}, {.009f, 0, {kPowerIncreasedGravity}, .011f, 0, 300},
      {.005f, 0, {kPowerReducedGravity, kPowerReducedGravity}, .001f, 0, 300},
      {.011f, kGravityWhirlwind, {kPowerIncreasedGravity}, .005f, 0, 42},
      {-.011f, kGravityPlanetary, {kPowerReducedGravity}, .005f, 0, 42},
      {-.005f, 0, {vac, kPowerNormalGravity}, -.005f, 0, 300}, // strength stays
  };
  for (const Case &c : cases) {
    fresh();
    gravity = c.gravity, gravityMode = c.mode, gravityResetTime = 42;
    for (int id : c.uses) use(user, id);
    EXPECT_NEAR(gravity, c.wantGravity, 1e-6) << c.uses.size() << " of " << c.uses[0];
    EXPECT_EQ(std::make_tuple(gravityMode, gravityResetTime),
              std::make_tuple(c.wantMode, c.wantReset)) << c.uses.size() << " of " << c.uses[0];
  }
  EXPECT_EQ(suctionPlayer, user);
}

TEST_F(PowerUps, GrowthSpurtHoldsTwoHundredTicksThenDriftsBack) {
  use(user, kPowerGrowthSpurt);
  for (int step = 0; step < 400; step++) SpecialPlayer(user);
  EXPECT_EQ(std::make_tuple(user->radius, user->mass), std::make_tuple(.6f, 8.f));
  SpecialPlayer(user);
  EXPECT_LT(user->radius, .6f);
  for (int step = 0; step < 550; step++) SpecialPlayer(user);
  EXPECT_GT(user->radius, .31f); // about 600 frames to get home
  for (int step = 0; step < 100; step++) SpecialPlayer(user);
  EXPECT_NEAR(user->radius, .3f, .3f * .0012f);
  EXPECT_NEAR(user->mass, 1, .004f);
  use(user, kPowerShrinkage), user->sizeChange = 0; // and grows back from a shrink
  const float radius = user->radius, mass = user->mass;
  SpecialPlayer(user);
  EXPECT_TRUE(user->radius > radius && user->mass > mass);
}

// Time Stop holds everyone else, teammates included, for 100 ticks; Phase Out holds the user for
// 50, among marks that stand still. A held ball keeps what it holds, then flies on as it was.
TEST_F(PowerUps, TimeStopAndPhaseOutHoldBallsThenTheyFlyOn) {
  for (int id : {kPowerTimeStop, kPowerPhaseOut}) {
    fresh();
    gameType = kTeamDeathmatch;
    player *held = id == kPowerTimeStop ? players[1] : user; // players[1] is on the user's team
    placeBall(held, 1, 2, .1f, .05f);
    use(user, id);
    if (id == kPowerTimeStop)
      EXPECT_EQ(std::make_tuple(user->stop, players[5]->stop, contrails),
                std::make_tuple(0.f, 100.f, 100.f));
    else // out to half the radius squared
      EXPECT_TRUE(firstParticle->head.motionless && std::abs(fastestParticle() - .045f) < 1e-3f);
    for (int frame = 1; frame < (id == kPowerTimeStop ? 200 : 100); frame++) DoPlayer(held);
    use(held, kPowerShield);
    EXPECT_EQ(std::make_tuple(ballH(held), ballV(held), held->powerUpType, held->shield),
              std::make_tuple(1.f, 2.f, int(kPowerShield), 0.f)) << id;
    DoPlayer(held);
    EXPECT_TRUE(movesBy(held, .1f, .05f - .0025f)) << id;
    ProcessPowerUp(held);
    EXPECT_EQ(held->shield, 200);
  }
}

TEST_F(PowerUps, TwiddleMakesEveryBallLetGoOrGrab) {
  players[1]->block = addNode(kNodeStill, 0, 0);
  use(user, kPowerTwiddle);
  EXPECT_EQ(std::make_tuple(players[1]->block, players[2]->block, user->block),
            std::make_tuple(kRopeFree, kRopeRequested, kRopeRequested));
}

// With no partner the search would draw forever: the power-up is spent instead.
TEST_F(PowerUps, SwitcherooSwapsWithTheOnlyPartnerOrIsSpentWithoutOne) {
  for (int partners : {1, 0}) {
    fresh();
    for (int i = 1; i < numPlayers; i++) players[i]->alive = i == 4 && partners;
    CollectPowerUp(user, kPowerSwitcheroo);
    EXPECT_EQ(std::make_tuple(ballH(user), user->powerUpType),
              std::make_tuple(partners ? 1.5f : -2.5f, int(kPowerNone)));
  }
  fresh(), numPlayers = 5; // a ball outside the roster has no place to swap
  CollectPowerUp(players[5], kPowerSwitcheroo);
  EXPECT_EQ(ballH(players[1]), -1.5f);
}

TEST_F(PowerUps, ShieldTimersRunDownAndTopSpeedNeverDrops) {
  user->unblockable = user->magShield = user->gravShield = 1;
  user->radius = user->defaultSize = .390054196f; // at its own size: not even rounding drifts it
  const float mass = user->mass = kMassPerCubicRadius * .390054196f * .390054196f * .390054196f;
  for (float vh : {.5f, .1f, .1f}) { // the last step finds the timers spent
    placeBall(user, 1, 1, vh, vh);
    SpecialPlayer(user);
  }
  EXPECT_EQ(std::make_tuple(user->unblockable, user->magShield, user->gravShield, user->radius,
                            user->mass),
            std::make_tuple(0.f, 0.f, 0.f, .390054196f, mass));
  EXPECT_NEAR(user->maxVelocity, .5f * std::sqrt(2.f), 1e-6);
  placeBall(user, 0, 0, 0, 0), user->drunk = 25; // the push turns with the timer it had
  SpecialPlayer(user);
  EXPECT_TRUE(isNear(ballH(user), ballV(user), .001f * std::sin(2.5f), .001f * std::cos(2.5f)));
}

TEST_F(PowerUps, FaultsMended) {
  // Dead balls are shrunk too: however often, they stay a size that restores cleanly.
  player *dead = players[3];
  dead->alive = 0;
  for (int k = 0; k < 100; k++) use(user, kPowerAllOppsShrunk);
  EXPECT_TRUE(dead->radius > 0 && dead->mass > 0);
  placeBall(dead, 0, 0, 0, 0);
  MovePlayer(dead); // dies of its size and comes back whole
  EXPECT_TRUE(isNear(dead->radius, dead->mass, .3f, 1, 1e-4f));
  user->mass = 0; // no size to grow from
  use(user, kPowerGrowthSpurt);
  EXPECT_EQ(std::make_tuple(user->radius, user->mass), std::make_tuple(.3f, 0.f));
  // A vacuum whose ball died pulls toward nothing and ends.
  use(players[1], kPowerVacuumCleaner);
  players[1]->alive = 0;
  float h = 3, v = 3;
  ApplyGravity(&h, &v, 0, 0, 1);
  EXPECT_NEAR(v, 2.9975f, 1e-6);
  EXPECT_EQ(std::make_tuple(h, gravityMode), std::make_tuple(3.f, int(kGravityNormal)));
}
