// The gravity field in its four modes and the two shields.
#include "world_fixture.h"

#include <cmath>

class Gravity : public World {
protected:
  void SetUp() override {
    World::SetUp();
    speedMult = 0.5f;
    roster();
  }
  // A free point (a particle, say) moved by one call.
  void pull(float &h, float &v, float hv = 0, float vv = 0, int unblockable = 0) {
    ApplyGravity(&h, &v, hv, vv, unblockable);
  }
  float &ballHRef(player *p) { return p->x[curSlot(p)]; }
  float &ballVRef(player *p) { return p->y[curSlot(p)]; }
};

TEST_F(Gravity, NormalFieldLowersByGravityTimesStepWhateverTheMode) {
  float h = 3, v = 4;
  pull(h, v);
  EXPECT_FLOAT_EQ(h, 3);
  EXPECT_FLOAT_EQ(v, 4 - 0.0025f);
  gravity = -0.01f; // reversed gravity lifts
  gravityMode = 7;  // an unknown mode acts as normal
  pull(h, v);
  EXPECT_FLOAT_EQ(v, 4 - 0.0025f + 0.005f);
}

TEST_F(Gravity, PlanetaryPullsTowardTheOriginWhichFeelsNothing) {
  gravityMode = kGravityPlanetary;
  gravity = 0.1f;
  float h = 3, v = 4;
  pull(h, v);
  EXPECT_NEAR(h, 3 - 0.03f, 1e-6); // g * step along the unit vector to the origin
  EXPECT_NEAR(v, 4 - 0.04f, 1e-6);
  float oh = 0, ov = 0;
  pull(oh, ov);
  EXPECT_EQ(oh, 0);
  EXPECT_EQ(ov, 0);
}

TEST_F(Gravity, WhirlwindTurnsAnticlockwiseUsingTheNewVertical) {
  gravityMode = kGravityWhirlwind;
  gravity = 0.1f;
  speedMult = 1;
  float h = 1, v = 0; // on the right: pushed up, then h feels the v just set
  pull(h, v);
  EXPECT_FLOAT_EQ(v, 0.1f);
  EXPECT_FLOAT_EQ(h, 0.99f);
  h = 0, v = 2; // on top: pushed left
  pull(h, v);
  EXPECT_FLOAT_EQ(v, 2);
  EXPECT_FLOAT_EQ(h, -0.1f);
  gravity = -0.1f; // reversed: clockwise
  h = 0, v = 2;
  pull(h, v);
  EXPECT_FLOAT_EQ(h, 0.1f);
  float oh = 0, ov = 0;
  pull(oh, ov);
  EXPECT_EQ(oh, 0);
  EXPECT_EQ(ov, 0);
}

TEST_F(Gravity, VacuumPullsTowardTheSuctionBallWhateverTheSign) {
  gravityMode = kGravityVacuum;
  suctionPlayer = players[2];
  placeBall(suctionPlayer, 2, 0, 0, 0);
  for (float g : {0.1f, -0.1f}) {
    gravity = g;
    float h = 5, v = 4; // 5 units away along (3, 4)
    pull(h, v);
    EXPECT_NEAR(h, 5 - 0.03f, 1e-6) << "gravity " << g;
    EXPECT_NEAR(v, 4 - 0.04f, 1e-6) << "gravity " << g;
  }
  float h = 2, v = 0; // a point exactly on the suction ball but not the ball itself
  pull(h, v);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(gravityMode, kGravityVacuum);
}

TEST_F(Gravity, SuctionBallFallsNotAtAllAndItsStunEndsTheVacuum) {
  levelLeft = levelBottom = -10;
  levelRight = levelTop = 10;
  gravityMode = kGravityVacuum;
  suctionPlayer = players[0];
  placeBall(suctionPlayer, 1, 1, 0.1f, 0.1f);
  MovePlayer(suctionPlayer);
  EXPECT_NEAR(ballVH(suctionPlayer), 0.1f, 1e-6);
  EXPECT_NEAR(ballVV(suctionPlayer), 0.1f, 1e-6);
  EXPECT_EQ(gravityMode, kGravityVacuum);
  suctionPlayer->moveDelay = 1; // still stunned after this step's countdown
  MovePlayer(suctionPlayer);
  EXPECT_NEAR(ballVV(suctionPlayer), 0.1f, 1e-6);
  EXPECT_EQ(gravityMode, kGravityNormal);
}

TEST_F(Gravity, MagShieldsBendNearbyPathsClockwiseAndAddUp) {
  gravity = 0;
  placeBall(players[1], 0, 0, 0, 0);
  players[1]->magShield = 5;
  float h = 1, v = 0;
  pull(h, v, 0, 0.2f); // moving up: kicked right, not scaled by the frame step
  EXPECT_FLOAT_EQ(h, 1.01f);
  EXPECT_FLOAT_EQ(v, 0);
  h = 0, v = -1.5f;
  pull(h, v, 0.2f, 0); // moving right: kicked down
  EXPECT_FLOAT_EQ(v, -1.51f);
  placeBall(players[4], 0, 0, 0, 0);
  players[4]->magShield = 5;
  h = 1, v = 0;
  pull(h, v, 0, 0.2f);
  EXPECT_FLOAT_EQ(h, 1.02f);
  h = 2, v = 0; // exactly 2 units away is outside
  pull(h, v, 0, 0.2f);
  EXPECT_EQ(h, 2);
}

TEST_F(Gravity, GravShieldPushesAwayByHundredthOverDistanceButNotFromItsCentre) {
  gravity = 0;
  placeBall(players[3], 1, 1, 0, 0);
  players[3]->gravShield = 5;
  float h = 2, v = 1;
  pull(h, v);
  EXPECT_FLOAT_EQ(h, 2.01f);
  EXPECT_FLOAT_EQ(v, 1);
  h = 1, v = 0.5f; // half as far: twice the push
  pull(h, v);
  EXPECT_FLOAT_EQ(v, 0.48f);
  h = 1, v = 1; // on the centre: no direction, no push
  pull(h, v);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(v, 1);
}

TEST_F(Gravity, ShieldsSpareUnblockableBallsTheirCarrierAndBallsOutOfPlay) {
  placeBall(players[0], 0, 0, 0.1f, 0);
  players[0]->magShield = players[0]->gravShield = 5;
  placeBall(players[1], 0.5f, 0, 0, 0);
  ApplyGravity(&ballHRef(players[0]), &ballVRef(players[0]), 0.1f, 0, 0);
  EXPECT_EQ(ballH(players[0]), 0); // only the field acts on the carrier
  EXPECT_FLOAT_EQ(ballV(players[0]), -0.0025f);
  ApplyGravity(&ballHRef(players[1]), &ballVRef(players[1]), 0.1f, 0, 1);
  EXPECT_EQ(ballH(players[1]), 0.5f);
  EXPECT_FLOAT_EQ(ballV(players[1]), -0.0025f);
  players[0]->active = 0;
  float h = 0.5f, v = 0;
  pull(h, v, 0.1f, 0);
  EXPECT_EQ(h, 0.5f);
  EXPECT_FLOAT_EQ(v, -0.0025f);
}
