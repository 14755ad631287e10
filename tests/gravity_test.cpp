// The gravity field in its four modes and the two shields.
#include "world_fixture.h"

#include <tuple>

class Gravity : public World {
protected:
  void SetUp() override { World::SetUp(), arena(); }
};

TEST_F(Gravity, EachModePullsAFreePointItsOwnWay) {
  suctionPlayer = players[2];
  placeBall(suctionPlayer, 2, 8, 0, 0);
  struct Case { int mode; float gravity, step, h, v, wantH, wantV; } cases[] = {
      {kGravityNormal, 0.01f, 0.5f, 3, 4, 3, 3.995f},
      {7, -0.01f, 0.5f, 3, 4, 3, 4.005f}, // an unknown mode is normal gravity
      {kGravityPlanetary, 0.1f, 0.5f, 3, 4, 2.97f, 3.96f},
      {kGravityPlanetary, 0.1f, 0.5f, 0, 0, 0, 0},
      // Anticlockwise, and h feels the v just set.
      {kGravityWhirlwind, 0.1f, 0.5f, 1, 0, 0.9975f, 0.05f},
      {kGravityWhirlwind, -0.1f, 1, 0, 2, 0.1f, 2},
      {kGravityWhirlwind, 0.1f, 1, 0, 0, 0, 0},
      // Toward the suction ball whatever the sign; its own spot feels nothing.
      {kGravityVacuum, 0.1f, 0.5f, 5, 4, 4.97f, 4.04f},
      {kGravityVacuum, -0.1f, 0.5f, 5, 4, 4.97f, 4.04f},
      {kGravityVacuum, 0.1f, 0.5f, 2, 8, 2, 8},
  };
  for (const Case &c : cases) {
    gravityMode = c.mode, gravity = c.gravity, speedMult = c.step;
    float h = c.h, v = c.v;
    ApplyGravity(&h, &v, 0, 0, 0);
    EXPECT_TRUE(isNear(h, v, c.wantH, c.wantV)) << c.mode << " " << c.gravity << " at " << c.h;
  }
}

// Magnetic shields bend paths clockwise by a twentieth of the velocity, unscaled by the
// step; gravity shields push away by a hundredth over the distance. Both reach under 2 units.
TEST_F(Gravity, ShieldsNearAPointBendOrPushItAndAddUp) {
  gravity = 0;
  // The shield carriers' places; none where h is 99.
  struct Case { float mag[2][2], grav[2], h, v, vh, vv, wantH, wantV; } cases[] = {
      {{{0, 0}, {99, 0}}, {99, 0}, 1, 0, 0, 0.2f, 1.01f, 0},
      {{{0, 0}, {99, 0}}, {99, 0}, 0, -1.5f, 0.2f, 0, 0, -1.51f},
      {{{0, 0}, {0, 0}}, {99, 0}, 1, 0, 0, 0.2f, 1.02f, 0}, // two add up
      {{{0, 0}, {99, 0}}, {99, 0}, 2, 0, 0, 0.2f, 2, 0},    // 2 away: out of reach
      {{{99, 0}, {99, 0}}, {1, 1}, 2, 1, 0, 0, 2.01f, 1},
      {{{99, 0}, {99, 0}}, {1, 1}, 1, 0.5f, 0, 0, 1, 0.48f},
      {{{99, 0}, {99, 0}}, {1, 1}, 1, 1, 0, 0, 1, 1}, // on its centre
  };
  for (const Case &c : cases) {
    for (int i = 0; i < 3; i++) {
      const float *at = i < 2 ? c.mag[i] : c.grav;
      placeBall(players[i + 1], at[0], at[1], 0, 0);
      players[i + 1]->active = at[0] != 99;
      players[i + 1]->magShield = i < 2 ? 5 : 0;
      players[i + 1]->gravShield = i < 2 ? 0 : 5;
    }
    float h = c.h, v = c.v;
    ApplyGravity(&h, &v, c.vh, c.vv, 0);
    EXPECT_TRUE(isNear(h, v, c.wantH, c.wantV)) << c.h << "," << c.v;
  }
}

TEST_F(Gravity, ShieldsSpareUnblockableBallsTheirCarrierAndBallsOutOfPlay) {
  player *carrier = players[0], *other = players[1];
  placeBall(carrier, 0, 0, 0.1f, 0);
  carrier->magShield = carrier->gravShield = 5;
  placeBall(other, 0.5f, 0, 0, 0);
  auto pull = [](player *p, int unblockable) {
    ApplyGravity(&p->x[curSlot(p)], &p->y[curSlot(p)], 0.1f, 0, unblockable);
    return std::make_tuple(ballH(p), ballV(p));
  };
  // Only the field acts on the carrier, and on a ball that cannot be blocked.
  EXPECT_EQ(pull(carrier, 0), std::make_tuple(0.f, -0.0025f));
  EXPECT_EQ(pull(other, 1), std::make_tuple(0.5f, -0.0025f));
  carrier->active = 0;
  EXPECT_EQ(pull(other, 0), std::make_tuple(0.5f, -0.005f));
  carrier->active = 1, placeBall(other, 0.5f, 0, 0, 0), MovePlayer(other); // a step feels them
  EXPECT_FLOAT_EQ(ballH(other), 0.52f);
}
