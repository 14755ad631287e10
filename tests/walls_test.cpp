// Wall bounces, flipper triggers and kicks, and the flipper swing.
#include "world_fixture.h"

#include <cmath>
#include <tuple>
#include <vector>

using std::make_tuple;

class Walls : public World {
protected:
  void SetUp() override { World::SetUp(), arena(), ball = players[0]; }
  wall &addWall(float h1, float v1, float h2, float v2, float elasticity) {
    return walls[wallNum++] = wall{h1, v1, h2, v2, elasticity, 0, 0, 0, 0, 0, 0, 0};
  }
  // A flipper hinged at the origin, resting along +h.
  wall &addFlipper(float length, float flipAngle, float flipSpeed) {
    return walls[wallNum++] = wall{0, 0, length, 0, 0, 1, length, 0, 0, 0, flipAngle, flipSpeed};
  }
  player *ball = nullptr;
};

TEST_F(Walls, BallsClosingOnAWallWithinItsSpanBounceInWallOrder) {
  // Walls: h1, v1, h2, v2, elasticity; an all-zero wall has no length and no effect.
  struct Case { const char *what; float wall[2][5], h, v, vh, vv, wantVH, wantVV; } cases[] = {
      {"slanted mirror", {{0, 0, 4, 4, 1}}, 2.3f, 2, -0.1f, 0, 0, -0.1f},
      {"ends reversed", {{4, 4, 0, 0, 1}}, 2.3f, 2, -0.1f, 0, 0, -0.1f},
      {"elastic share", {{-5, 0, 5, 0, 0.5f}}, 0, 0.35f, 0.1f, -0.1f, 0.1f, 0.05f},
      // Each wall in turn sees the velocity the previous one left.
      {"two walls", {{-5, 0, 5, 0, .5f}, {1, -5, 1, 5, .8f}}, .75f, .25f, .1f, -.1f, -.08f, .05f},
      {"two on one line", {{-5, 0, 5, 0, 0.5f}, {-5, 0, 5, 0, 1}}, 0, 0.35f, 0, -0.1f, 0, 0.05f},
      {"moving away", {{-5, 0, 5, 0, 1}}, 0, 0.2f, 0.1f, 0.05f, 0.1f, 0.05f},
      {"beyond the end", {{-5, 0, 5, 0, 1}}, 5.5f, 0.25f, 0, -0.1f, 0, -0.1f},
      {"over the very end", {{-5, 0, 5, 0, 1}}, 5, 0.25f, 0.1f, -0.1f, 0.1f, 0.1f},
      {"onto its start", {{0, -5, 0, 5, 1}}, .25f, -5.05f, -.1f, .1f, .1f, .1f},
      {"a step short", {{-5, 0, 5, 0, 1}}, 0, 0.7f, 0, -0.1f, 0, -0.1f},
      {"below, leaving", {{-5, 0, 5, 0, 1}}, 0, -0.5f, 0, -0.1f, 0, -0.1f},
      {"no length, no normal", {{1, 1, 1, 1, 1}}, 1, 1.1f, 0, -0.1f, 0, -0.1f},
  };
  for (const Case &c : cases) {
    wallNum = 0;
    for (const float *w : c.wall) addWall(w[0], w[1], w[2], w[3], w[4]);
    placeBall(ball, c.h, c.v, c.vh, c.vv);
    HitWalls(ball);
    EXPECT_TRUE(movesBy(ball, c.wantVH, c.wantVV)) << c.what; // the last step redone
  }
}

// A roped ball stunned under three ticks triggers a flipper on the coarse test alone, which
// reaches radius x length (0.6 here) to either side of the span.
TEST_F(Walls, FlipperIsTriggeredByARopedBallWithinTheCoarseBand) {
  wall &f = addFlipper(2, 0.5f, 0.1f);
  struct Case { float h, v; int block; float moveDelay; int triggers; } cases[] = {
      {1, 0.59f, 0, 0, 1}, {1, 0.61f, 0, 0, 0}, {1, -0.59f, 0, 0, 1}, {1, -0.61f, 0, 0, 0},
      {1.99f, .3f, 0, 0, 1}, {2.01f, .3f, 0, 0, 0}, {-0.01f, .3f, 0, 0, 0},
      {1, .3f, kRopeRequested, 2.9f, 1}, {1, .3f, kRopeFree, 0, 0}, {1, .3f, 3, 3.0f, 0}};
  for (const Case &c : cases) {
    placeBall(ball, c.h, c.v, 0, 0); // still: no touch, so the rope stays
    f.goingUp = 0, ball->block = c.block, ball->moveDelay = c.moveDelay;
    HitWalls(ball);
    EXPECT_EQ(make_tuple(f.goingUp, ball->block), make_tuple(c.triggers, c.block))
        << c.h << "," << c.v << " " << c.block << " " << c.moveDelay;
  }
}

TEST_F(Walls, FlipperStrikeCutsTheRopeAndKicksOnlyWhileSwingingUp) {
  wall &f = addFlipper(2, 0.5f, 0.1f);
  placeBall(ball, 1, 0.35f, 0.05f, -0.1f); // roped but stunned too long to trigger
  ball->block = 0, ball->moveDelay = 5;
  HitWalls(ball);
  EXPECT_EQ(make_tuple(ball->block, f.goingUp), make_tuple(kRopeFree, 0));
  EXPECT_TRUE(movesBy(ball, 0.05f, 0)); // elasticity 0: the normal speed is gone

  placeBall(ball, 1, 0.35f, 0, -0.1f); // free ball, flipper already on its way up
  f.goingUp = 1;
  HitWalls(ball);
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
    for (int k = 0; k < 7; k++) {
      StepFlipper(&f);
      angles.push_back(f.currentAngle / sign);
      // The tip was placed for full swing before turning back.
      EXPECT_TRUE(k != 3 || (std::abs(f.h2 - 2 * std::cos(0.75f)) < 1e-6 &&
                             std::abs(f.v2 - 2 * std::sin(0.75f) * sign) < 1e-6 && f.goingUp == 0));
    }
    EXPECT_EQ(angles, (std::vector<float>{0.25f, 0.5f, 0.75f, 0.5f, 0.25f, 0, 0})) << sign;
    EXPECT_EQ(make_tuple(f.h2, f.v2), make_tuple(2.f, 0.f));
  }
  // Overshot past rest it snaps back, on its way back a retrigger sends it up again, and past
  // its full swing it climbs no further: flip angle and speed, angle and going up, angle after.
  const float steps[][5] = {
      {-.75f, -.25f, .125f, 0, 0}, {-.75f, -.25f, -.25f, 1, -.5f}, {.75f, .25f, .875f, 1, .625f}};
  for (const auto &c : steps) {
    wall &f = addFlipper(2, c[0], c[1]);
    f.currentAngle = c[2], f.goingUp = static_cast<int>(c[3]);
    StepFlipper(&f);
    EXPECT_EQ(f.currentAngle, c[4]) << c[2];
  }
}
