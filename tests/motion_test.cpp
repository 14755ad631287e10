// One physics step of a ball: inertia, rope, attach, stun, deaths and the
// per-frame gates of DoPlayer.
#include "world_fixture.h"

#include <cmath>
#include <tuple>
#include <vector>

class Motion : public World {
protected:
  void SetUp() override {
    World::SetUp();
    arena();
    for (int i = 0; i < numPlayers; i++) players[i]->ai = kHuman; // no bot steering
    ball = players[0];
  }
  int node(float h, float v, int type = kNodeStill) { return addNode(type, h, v); }
  // A ball at (h, v) with velocity (vh, vv), on a rope of the given length to node id.
  void tied(player *p, int id, float length, float h, float v, float vh, float vv) {
    placeBall(p, h, v, vh, vv);
    p->block = id;
    p->distance = length;
  }
  // Asks for a rope and takes one step.
  void grab(player *p) {
    p->block = kRopeRequested;
    MovePlayer(p);
  }
  // One more step, which must be a free fall from the velocity the ball has now.
  void expectFreeFall() {
    const float vh = ballVH(ball), vv = ballVV(ball);
    MovePlayer(ball);
    EXPECT_TRUE(movesBy(ball, vh, vv - 0.0025f));
  }
  static float dist(const player *p, const block &b) {
    return std::hypot(ballH(p) - b.h, ballV(p) - b.v);
  }
  static float speed(const player *p) { return std::hypot(ballVH(p), ballVV(p)); }
  player *ball = nullptr;
};

// ---- Free flight and attach ------------------------------------------------------------------
TEST_F(Motion, FreeBallKeepsItsVelocityAndFallsAQuarterAsMuchWithTurbo) {
  placeBall(ball, 1, 2, 0.1f, 0.2f);
  ball->anglev = 0.25f;
  MovePlayer(ball);
  EXPECT_EQ(std::make_tuple(ball->frame, ball->graphicAngle), std::make_tuple(2, 0.25f));
  EXPECT_NEAR(std::hypot(ball->trailX - 1.1f, ball->trailY - 2.2f), 0, 1e-6); // the inertial spot
  EXPECT_TRUE(movesBy(ball, 0.1f, 0.2f - 0.0025f));
  ball->turbo = 3;
  const float before = ballVV(ball);
  MovePlayer(ball);
  EXPECT_NEAR(ballVV(ball), before - 0.000625f, 1e-6);
  EXPECT_EQ(gravity, kNormalGravity); // restored exactly after the call
}

TEST_F(Motion, StepPastTheEndOfTheRingWritesSlotZero) {
  placeBall(ball, 0, 0, 0, 0);
  ball->frame = 99;
  ball->x[98] = 0, ball->x[99] = 0.25f, ball->x[1] = 7; // x[1] is an older entry that must stay
  MovePlayer(ball);
  EXPECT_EQ(std::make_tuple(ball->frame, ball->x[0], ball->x[99], ball->x[1], ballVH(ball)),
            std::make_tuple(100, .5f, .25f, 7.f, .25f));
}

TEST_F(Motion, AttachReachesOnlyStrictlyInsideMaxDistAndCollectsThePowerUp) {
  gravity = 0;
  maxDist = 3;
  placeBall(ball, 0, 0, 0, 0);
  node(3, 0);
  grab(ball);
  EXPECT_EQ(ball->block, kRopeFree); // dropped, not left pending
  const int near = node(0, 2.5f);
  blocks[near].powerUp = kPowerShield;
  grab(ball);
  EXPECT_FLOAT_EQ(ball->distance, 2.5f); // the grab step pays out no rope
  EXPECT_EQ(std::make_tuple(ball->block, ball->powerUpType, ball->powerups, blocks[near].powerUp),
            std::make_tuple(near, kPowerShield, 1, kPowerNone));
  blocks[near].powerUp = 77; // not in the catalogue: held, silently
  grab(ball);
  EXPECT_EQ(std::make_tuple(ball->powerUpType, ball->powerups), std::make_tuple(77, 2));
  // In domination a grab captures a checkpoint for the ball's team.
  gameType = kDomination;
  blocks[near].checkPoint = kDominationNeutral;
  placeBall(players[5], 0, 0, 0, 0); // team 1
  grab(players[5]);
  EXPECT_EQ(blocks[near].checkPoint, 5);
  grab(ball);
  EXPECT_EQ(blocks[near].checkPoint, 0);
}

// ---- Rope ---------------------------------------------------------------------------------------
TEST_F(Motion, RopeKeepsTheCircleSpeedsUpAboutThreePercentAndFlingsOnTheTangent) {
  const int id = node(0, 0);
  tied(ball, id, 2, 2, 0, 0, 0.1f); // anticlockwise, fast enough to outrun the pay-out
  float last = speed(ball), angle = 0;
  for (int k = 1; k <= 10; k++) {
    angle += ball->anglev;
    MovePlayer(ball);
    EXPECT_NEAR(dist(ball, blocks[id]), ball->distance, 1e-3) << "step " << k;
    EXPECT_GT(speed(ball) / last, 1.02f) << "step " << k;
    EXPECT_LT(speed(ball) / last, 1.0301f) << "step " << k;
    last = speed(ball);
  }
  // atan2 of h over v: anticlockwise sweeps negative
  EXPECT_NEAR(ball->anglev, -last / 2.01f, 0.01f * last);
  EXPECT_FLOAT_EQ(ball->graphicAngle, angle);
  EXPECT_NEAR(ball->distance, 2.01f, 1e-5);
  ball->block = kRopeFree;
  expectFreeFall();
}

TEST_F(Motion, SlackRopeLeavesTheBallInsideButStillSpeedsItAndARigidOnePullsItOut) {
  rigidStrings = 0;
  const int id = node(0, 0);
  tied(ball, id, 2, 1, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_TRUE(movesBy(ball, 0, 0.103f)); // 3 % gain, no gravity on a rope
  EXPECT_LT(dist(ball, blocks[id]), 1.1f);
  alwaysGravity = 1;
  placeBall(ball, 1, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_NEAR(ballVV(ball), (0.1f - 0.0025f) * 1.03f, 1e-6); // with gravity on the rope too
  rigidStrings = 1; // a rigid rope pulls the ball out to its length, with no gain that step
  placeBall(ball, 1, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_NEAR(dist(ball, blocks[id]), ball->distance, 2e-3);
}

TEST_F(Motion, RopeGoingTautTakesSpeedAndANodeBlinkingOutHoldsOnceMore) {
  const int id = node(0, 0);
  for (float vv : {0.0f, 0.1f}) { // straight out, and slanting out
    tied(ball, id, 2, 2, 0, 0.1f, vv);
    MovePlayer(ball);
    EXPECT_NEAR(dist(ball, blocks[id]), 2.001f, 1e-5) << vv; // left on the circle
    EXPECT_LT(speed(ball), std::hypot(0.1f, vv) * 0.9f) << vv; // and no gain that step
  }
  blocks[id].blink = 5;
  tied(ball, id, 2, 2, 0, 0, 0.2f);
  MovePlayer(ball);
  EXPECT_NEAR(dist(ball, blocks[id]), 2.001f, 1e-3); // still held this step
  EXPECT_EQ(ball->block, kRopeFree);
  expectFreeFall();
}

TEST_F(Motion, StunTurnsTheRopeIntoAFreshGrabOnEveryStep) {
  const int far = node(-2.5f, 0);
  const int near = node(1, 0);
  tied(ball, far, 2.5f, 0, 0, 0, 0);
  ball->moveDelay = 1;
  for (float stun : {0.5f, 0.0f}) {
    MovePlayer(ball);
    EXPECT_EQ(std::make_tuple(ball->block, ball->moveDelay), std::make_tuple(near, stun));
    EXPECT_NEAR(ball->distance, dist(ball, blocks[near]), 1e-6); // the nearest, where it is now
  }
  EXPECT_NEAR(ballVV(ball), -0.005f, 1e-6); // free for a moment each step: gravity acts
  const float grabbed = ball->distance;
  MovePlayer(ball); // stun over: held on the rope, which pays out
  EXPECT_EQ(ball->block, near);
  EXPECT_FLOAT_EQ(ball->distance, grabbed + 0.001f);
}

TEST_F(Motion, RopeReactionPushesUnstableNodesByMassShare) {
  const int id = node(0, 0, kNodeUnstable);
  blocks[id].period = 3; // the node's mass
  tied(ball, id, 1.5f, 2, 0, 0, 0.1f);
  MovePlayer(ball);
  // The rope moved the ball from its inertial spot: the node takes 1/(1+3) of it.
  EXPECT_NEAR(blocks[id].h2, (ball->trailX - ballH(ball)) / 4, 1e-6);
  EXPECT_NEAR(blocks[id].v2, (ball->trailY - ballV(ball)) / 4, 1e-6);
  const int still = node(5, 0);
  tied(ball, still, 1.5f, 7, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_EQ(blocks[still].h2, 0);
  gameType = kUnstableMatch; // every node is pushed, as if of mass 5
  placeBall(ball, 7, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_NEAR(blocks[still].h2, (ball->trailX - ballH(ball)) / 6, 1e-6);
}

// ---- Deaths -------------------------------------------------------------------------------------
TEST_F(Motion, LeavingTheArenaCreditsOnlyAStunnedHitByOneOfTheFirstSix) {
  AddPlayer(0, 1); // roster index 6
  struct Case {
    float h, v, vh, vv, moveDelay;
    int lastHit, deaths, kills;
  } cases[] = {
      {9.5f, 0, 0.75f, 0, 1, 2, 1, 1},  {9.5f, 0, 0.75f, 0, 0, 2, 1, 0},
      {9.5f, 0, 0.75f, 0, 1, -1, 1, 0}, {9.5f, 0, 0.75f, 0, 1, 6, 1, 0},
      {9.9f, -9.9f, 0.25f, -0.25f, 2, 3, 2, 2}, // a corner counts both edges
      {-9.9f, 9.9f, -0.25f, 0.25f, 0, 3, 2, 0},
      {9.5f, -10, 0.5f, 0, 1, 2, 0, 0}, // exactly on two edges is still inside
  };
  for (const Case &c : cases) {
    for (int i = 0; i < numPlayers; i++) players[i]->playerKills[0] = 0;
    ball->suicides = 0;
    placeBall(ball, c.h, c.v, c.vh, c.vv);
    ball->moveDelay = c.moveDelay;
    ball->lastHit = c.lastHit;
    MovePlayer(ball);
    SCOPED_TRACE(testing::Message() << c.h << "," << c.v << " hit by " << c.lastHit);
    EXPECT_EQ(ball->alive, c.deaths == 0);
    EXPECT_EQ(c.lastHit >= 0 ? players[c.lastHit]->playerKills[0] : 0, c.kills);
    EXPECT_EQ(ball->suicides, c.deaths - c.kills);
  }
}

TEST_F(Motion, RadiusOutOfRangeKillsWithoutCreditAndRestoresTheDefaultSize) {
  struct Case {
    float radius, mass;
    bool dies;
    float massAfter; // by the cube of the size
  } cases[] = {
      {.1f, 1, false, 1}, {6, 1, false, 1}, {.05f, .5f, true, 108}, {7.5f, 1, true, 1 / 15625.f}};
  for (const Case &c : cases) {
    placeBall(ball, 0, 0, 0, 0);
    ball->radius = c.radius, ball->mass = c.mass, ball->sizeChange = 9;
    ball->moveDelay = 1, ball->lastHit = 2;
    MovePlayer(ball);
    SCOPED_TRACE(c.radius);
    EXPECT_EQ(ball->alive, !c.dies);
    EXPECT_FLOAT_EQ(ball->radius, c.dies ? 0.3f : c.radius);
    EXPECT_NEAR(ball->mass, c.massAfter, 1e-3 * c.massAfter);
    EXPECT_EQ(ball->sizeChange, c.dies ? 0 : 9);
  }
  EXPECT_EQ(std::make_tuple(players[2]->playerKills[0], ball->suicides), std::make_tuple(0, 0));
}

TEST_F(Motion, PuckBouncesBackAtHalfSpeedOnlyInPuckGamesAndNeverFallsOrDies) {
  for (int type : {kAirHockey, kPinata, kDeathmatch}) {
    gameType = type;
    placeBall(puck, 9.75f, -9.75f, 0.5f, -0.5f);
    MovePlayer(puck);
    const bool bounces = type != kDeathmatch; // elsewhere it flies on out, unbounced
    EXPECT_TRUE(movesBy(puck, bounces ? -0.25f : 0.5f, bounces ? 0.25f : -0.5f, 1e-5f)) << type;
    EXPECT_EQ(puck->alive, 1);
  }
}

// ---- DoPlayer gates -----------------------------------------------------------------------------
TEST_F(Motion, SlowedBallMovesOnOneFrameInFour) {
  player *slowed = players[2]; // counted by the first roster ball, not by itself
  placeBall(ball, 0, 0, 0, 0);
  placeBall(slowed, 1, 1, 0, 0);
  slowed->slow = 8;
  std::vector<int> moved;
  for (int k = 0; k < 11; k++, moved.push_back(slowed->frame)) DoPlayer(ball), DoPlayer(slowed);
  // Steps on frames 4 and 8 of the first roster ball's count, then every frame once the slow ends.
  EXPECT_EQ(moved, (std::vector<int>{1, 1, 1, 2, 2, 2, 2, 3, 4, 5, 6}));
  EXPECT_EQ(std::make_tuple(ball->frame, slowed->slow), std::make_tuple(12, 0.f));
}

TEST_F(Motion, TimeStopPauseAndBeingOutOfPlayHoldTheBallButThePuckAlwaysSteps) {
  placeBall(ball, 0, 0, 0.1f, 0);
  ball->stop = 1;
  ball->moveDelay = 5;
  DoPlayer(ball); // held, and a time stop clears the stun
  EXPECT_EQ(std::make_tuple(ball->frame, ball->stop, ball->moveDelay),
            std::make_tuple(1, .5f, 0.f));
  DoPlayer(ball); // the stop runs out during this frame: the ball moves at once
  EXPECT_EQ(ball->frame, 2);
  paused = 1;
  DoPlayer(ball);
  paused = 0;
  ball->alive = 0;
  DoPlayer(ball);
  ball->alive = 1, ball->active = 0;
  DoPlayer(ball);
  EXPECT_EQ(ball->frame, 2);
  placeBall(puck, 0, 0, 0.1f, 0);
  puck->alive = puck->active = 0;
  DoPlayer(puck);
  EXPECT_EQ(puck->frame, 2);
}
