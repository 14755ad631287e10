// Wall bounces, flipper triggers and kicks, and the flipper swing.
#include "world_fixture.h"

#include <cmath>
#include <vector>

class Walls : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    speedMult = 0.5f;
    ball = players[0];
  }
  wall &addWall(float h1, float v1, float h2, float v2, float elasticity) {
    wall &w = walls[wallNum++];
    w = wall{};
    w.h1 = h1, w.v1 = v1, w.h2 = h2, w.v2 = v2, w.elasticity = elasticity;
    return w;
  }
  // A flipper hinged at the origin, resting along +h.
  wall &addFlipper(float length, float flipAngle, float flipSpeed) {
    wall &w = addWall(0, 0, length, 0, 0);
    w.isFlipper = 1;
    w.defaultH2 = length;
    w.flipAngle = flipAngle;
    w.flipSpeed = flipSpeed;
    return w;
  }
  player *ball = nullptr;
};

// ---- Walls --------------------------------------------------------------------------------

TEST_F(Walls, BallMirrorsOffASlantedWallAndKeepsTheElasticShare) {
  for (bool reversed : {false, true}) { // which end comes first must not matter
    wallNum = 0;
    if (reversed)
      addWall(4, 4, 0, 0, 1);
    else
      addWall(0, 0, 4, 4, 1);
    placeBall(ball, 2.3f, 2, -0.1f, 0);
    HitWalls(ball);
    EXPECT_NEAR(ballVH(ball), 0, 1e-6) << reversed;
    EXPECT_NEAR(ballVV(ball), -0.1f, 1e-6) << reversed;
  }
  wallNum = 0;
  addWall(-5, 0, 5, 0, 0.5f);
  placeBall(ball, 0, 0.35f, 0.1f, -0.1f);
  HitWalls(ball);
  EXPECT_NEAR(ballVH(ball), 0.1f, 1e-6);
  EXPECT_NEAR(ballVV(ball), 0.05f, 1e-6);
  EXPECT_NEAR(ballV(ball), 0.5f, 1e-6); // the last step redone with the new velocity
}

TEST_F(Walls, TwoWallsInOneStepBounceInOrderEachWithTheVelocityLeft) {
  addWall(-5, 0, 5, 0, 0.5f); // floor
  addWall(1, -5, 1, 5, 0.8f); // right-hand wall
  placeBall(ball, 0.75f, 0.25f, 0.1f, -0.1f);
  HitWalls(ball);
  EXPECT_NEAR(ballVH(ball), -0.08f, 1e-6);
  EXPECT_NEAR(ballVV(ball), 0.05f, 1e-6);

  // Two walls on one line: the first bounce leaves the ball moving away from the second.
  wallNum = 0;
  addWall(-5, 0, 5, 0, 0.5f);
  addWall(-5, 0, 5, 0, 1);
  placeBall(ball, 0, 0.35f, 0, -0.1f);
  HitWalls(ball);
  EXPECT_NEAR(ballVV(ball), 0.05f, 1e-6);
}

TEST_F(Walls, OnlyABallClosingOnTheWallWithinItsSpanIsBounced) {
  addWall(-5, 0, 5, 0, 1);
  struct Case {
    float h, v, vh, vv;
  } cases[] = {
      {0, 0.2f, 0.1f, 0.05f},   // overlapping but moving away
      {5.5f, 0.25f, 0, -0.1f},  // beyond the end
      {0, 0.7f, 0, -0.1f},      // one step ahead still outside its radius
      {0, -0.5f, 0, -0.1f},     // below, heading away
  };
  for (const Case &c : cases) {
    placeBall(ball, c.h, c.v, c.vh, c.vv);
    const float vh = ballVH(ball), vv = ballVV(ball);
    HitWalls(ball);
    EXPECT_EQ(ballVH(ball), vh) << c.h << "," << c.v;
    EXPECT_EQ(ballVV(ball), vv) << c.h << "," << c.v;
  }
  wallNum = 0;
  addWall(1, 1, 1, 1, 1); // no length: no normal, no bounce
  placeBall(ball, 1, 1.1f, 0, -0.1f);
  HitWalls(ball);
  EXPECT_FLOAT_EQ(ballH(ball), 1);
  EXPECT_FLOAT_EQ(ballV(ball), 1.1f);
}

TEST_F(Walls, BallBouncesBeforeItsStepNotAfter) {
  levelLeft = levelBottom = -10;
  levelRight = levelTop = 10;
  ball->ai = kHuman;
  addWall(-5, 0, 5, 0, 1);
  placeBall(ball, 0, 0.35f, 0, -0.1f);
  DoPlayer(ball);
  EXPECT_NEAR(ballVV(ball), 0.1f - 0.0025f, 1e-6); // bounced, stepped, then fell
  EXPECT_NEAR(ballV(ball), 0.6475f, 1e-6);
}

// ---- Flippers -------------------------------------------------------------------------------

TEST_F(Walls, FlipperIsTriggeredOnlyByARopedBallStunnedUnderThreeTicks) {
  wall &f = addFlipper(2, 0.5f, 0.1f);
  struct Case {
    int block;
    float moveDelay;
    int triggers;
  } cases[] = {{0, 0, 1}, {kRopeRequested, 2.9f, 1}, {kRopeFree, 0, 0}, {3, 3.0f, 0}};
  for (const Case &c : cases) {
    f.goingUp = 0;
    placeBall(ball, 1, 0.25f, 0, 0.1f); // near but leaving: no touch needed
    ball->block = c.block;
    ball->moveDelay = c.moveDelay;
    HitWalls(ball);
    EXPECT_EQ(f.goingUp, c.triggers) << c.block << " " << c.moveDelay;
    EXPECT_EQ(ball->block, c.block); // no touch, so the rope stays
  }
}

TEST_F(Walls, FlipperStrikeCutsTheRopeAndKicksOnlyWhileSwingingUp) {
  wall &f = addFlipper(2, 0.5f, 0.1f);
  placeBall(ball, 1, 0.35f, 0.05f, -0.1f); // roped but stunned too long to trigger
  ball->block = 0;
  ball->moveDelay = 5;
  HitWalls(ball);
  EXPECT_EQ(ball->block, kRopeFree);
  EXPECT_EQ(f.goingUp, 0);
  EXPECT_NEAR(ballVH(ball), 0.05f, 1e-6); // elasticity 0: the normal speed is gone
  EXPECT_NEAR(ballVV(ball), 0, 1e-6);

  placeBall(ball, 1, 0.35f, 0, -0.1f); // free ball, flipper already on its way up
  f.goingUp = 1;
  HitWalls(ball);
  EXPECT_EQ(ball->block, kRopeFree);
  const float r = std::hypot(1.0f, 0.45f); // from the hinge, where the bounce left it
  EXPECT_NEAR(ballVV(ball), r * std::sin(0.1f), 1e-5); // carried by the surface
  EXPECT_LT(ballVH(ball), 0);

  f.flipSpeed = f.flipAngle = -0.5f; // a flipper swinging down kicks downward
  placeBall(ball, 1, 0.35f, 0, -0.1f);
  HitWalls(ball);
  EXPECT_LT(ballVV(ball), -0.1f);
}

TEST_F(Walls, FlipperSwingsUpHoldsAndReturnsAtTheSameSpeed) {
  for (float sign : {1.0f, -1.0f}) {
    wallNum = 0;
    wall &f = addFlipper(2, 0.75f * sign, 0.25f * sign);
    f.goingUp = 1;
    std::vector<float> angles;
    std::vector<int> up;
    for (int k = 0; k < 7; k++) {
      StepFlipper(&f);
      angles.push_back(f.currentAngle / sign);
      up.push_back(f.goingUp);
      if (k == 3) { // the tip was placed for full swing before turning back
        EXPECT_NEAR(f.h2, 2 * std::cos(0.75f), 1e-6);
        EXPECT_NEAR(f.v2, 2 * std::sin(0.75f) * sign, 1e-6);
      }
    }
    EXPECT_EQ(angles, (std::vector<float>{0.25f, 0.5f, 0.75f, 0.5f, 0.25f, 0, 0})) << sign;
    EXPECT_EQ(up, (std::vector<int>{1, 1, 1, 0, 0, 0, 0})) << sign;
    EXPECT_FLOAT_EQ(f.h2, 2);
    EXPECT_FLOAT_EQ(f.v2, 0);
  }
}

TEST_F(Walls, FlipperPastRestSnapsBackAndARetriggerSendsItUpAgain) {
  wall &f = addFlipper(2, 0.5f, 0.25f);
  f.currentAngle = -0.125f; // overshot to the wrong side
  StepFlipper(&f);
  EXPECT_EQ(f.currentAngle, 0);
  f.currentAngle = 0.25f; // on its way back
  f.goingUp = 1;
  StepFlipper(&f);
  EXPECT_FLOAT_EQ(f.currentAngle, 0.5f);
}
