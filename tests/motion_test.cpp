// One physics step of a ball: inertia, rope, attach, stun, deaths and the
// per-frame gates of DoPlayer.
#include "world_fixture.h"

#include <cmath>

class Motion : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    for (int i = 0; i < numPlayers; i++) players[i]->ai = kHuman; // no bot steering
    speedMult = 0.5f;
    levelLeft = levelBottom = -10;
    levelRight = levelTop = 10;
    blockNum = -1;
    ball = players[0];
  }
  int addNode(float h, float v, int type = kNodeStill) {
    block &b = blocks[++blockNum];
    b = block{};
    b.h = h, b.v = v, b.type = type, b.checkPoint = kNoCheckPoint;
    return blockNum;
  }
  // A ball on a rope to node id with the given length.
  void tie(player *p, int id, float length) {
    p->block = id;
    p->distance = length;
  }
  static float dist(const player *p, const block &b) {
    return std::hypot(ballH(p) - b.h, ballV(p) - b.v);
  }
  static float speed(const player *p) { return std::hypot(ballVH(p), ballVV(p)); }
  player *ball = nullptr;
};

// ---- Free flight --------------------------------------------------------------------------

TEST_F(Motion, FreeBallKeepsItsVelocityAndFallsAQuarterAsMuchWithTurbo) {
  placeBall(ball, 1, 2, 0.1f, 0.2f);
  ball->anglev = 0.25f;
  MovePlayer(ball);
  EXPECT_EQ(ball->frame, 2);
  EXPECT_NEAR(ball->trailX, 1.1f, 1e-6); // the trail is the inertial position
  EXPECT_NEAR(ball->trailY, 2.2f, 1e-6);
  EXPECT_NEAR(ballVH(ball), 0.1f, 1e-6);
  EXPECT_NEAR(ballVV(ball), 0.2f - 0.0025f, 1e-6);
  EXPECT_FLOAT_EQ(ball->graphicAngle, 0.25f);
  ball->turbo = 3;
  const float before = ballVV(ball);
  MovePlayer(ball);
  EXPECT_NEAR(ballVV(ball), before - 0.000625f, 1e-6);
  EXPECT_EQ(gravity, kNormalGravity); // restored exactly after the call
}

TEST_F(Motion, StepPastTheEndOfTheRingWritesSlotZero) {
  placeBall(ball, 0, 0, 0, 0);
  ball->frame = 99;
  ball->x[98] = 0, ball->x[99] = 0.25f;
  ball->y[98] = ball->y[99] = 0;
  ball->x[1] = ball->y[1] = 7; // an older entry that must stay
  MovePlayer(ball);
  EXPECT_EQ(ball->frame, 100);
  EXPECT_FLOAT_EQ(ball->x[0], 0.5f);
  EXPECT_FLOAT_EQ(ball->x[99], 0.25f);
  EXPECT_FLOAT_EQ(ball->x[1], 7);
  EXPECT_FLOAT_EQ(ballVH(ball), 0.25f);
}

// ---- Attach ------------------------------------------------------------------------------------

TEST_F(Motion, AttachReachesOnlyStrictlyInsideMaxDistAndCollectsThePowerUp) {
  gravity = 0;
  maxDist = 3;
  placeBall(ball, 0, 0, 0, 0);
  addNode(3, 0);
  ball->block = kRopeRequested;
  MovePlayer(ball);
  EXPECT_EQ(ball->block, kRopeFree); // dropped, not left pending
  const int near = addNode(0, 2.5f);
  blocks[near].powerUp = kPowerShield;
  ball->block = kRopeRequested;
  MovePlayer(ball);
  EXPECT_EQ(ball->block, near);
  EXPECT_FLOAT_EQ(ball->distance, 2.5f); // the grab step pays out no rope
  EXPECT_EQ(ball->powerUpType, kPowerShield);
  EXPECT_EQ(ball->powerups, 1);
  EXPECT_EQ(blocks[near].powerUp, kPowerNone);
  blocks[near].powerUp = 77; // not in the catalogue: held, silently
  ball->block = kRopeRequested;
  MovePlayer(ball);
  EXPECT_EQ(ball->powerUpType, 77);
  EXPECT_EQ(ball->powerups, 2);
}

TEST_F(Motion, DominationAttachCapturesCheckpointsForTheBallsTeam) {
  gameType = kDomination;
  gravity = 0;
  const int cp = addNode(1, 0);
  blocks[cp].checkPoint = kDominationNeutral;
  player *blue = players[5]; // team 1
  placeBall(blue, 0, 0, 0, 0);
  blue->block = kRopeRequested;
  MovePlayer(blue);
  EXPECT_EQ(blocks[cp].checkPoint, 5);
  placeBall(ball, 0, 0, 0, 0); // team 0 takes it back
  ball->block = kRopeRequested;
  MovePlayer(ball);
  EXPECT_EQ(blocks[cp].checkPoint, 0);
}

// ---- Rope ----------------------------------------------------------------------------------------

TEST_F(Motion, RopeKeepsTheCircleSpeedsUpAboutThreePercentAndFlingsOnTheTangent) {
  const int id = addNode(0, 0);
  placeBall(ball, 2, 0, 0, 0.1f); // anticlockwise, fast enough to outrun the pay-out
  tie(ball, id, 2);
  float last = speed(ball), angle = 0;
  for (int k = 1; k <= 10; k++) {
    angle += ball->anglev;
    MovePlayer(ball);
    EXPECT_NEAR(dist(ball, blocks[id]), ball->distance, 1e-3) << "step " << k;
    const float s = speed(ball);
    EXPECT_GT(s / last, 1.02f) << "step " << k;
    EXPECT_LT(s / last, 1.0301f) << "step " << k;
    EXPECT_LT(ball->anglev, 0); // atan2 of h over v: anticlockwise sweeps negative
    EXPECT_NEAR(ball->anglev, -s / ball->distance, 0.01f * s);
    last = s;
  }
  EXPECT_FLOAT_EQ(ball->graphicAngle, angle);
  EXPECT_NEAR(ball->distance, 2.01f, 1e-5);
  ball->block = kRopeFree;
  const float vh = ballVH(ball), vv = ballVV(ball);
  MovePlayer(ball);
  EXPECT_NEAR(ballVH(ball), vh, 1e-6);
  EXPECT_NEAR(ballVV(ball), vv - 0.0025f, 1e-6);
}

TEST_F(Motion, SlackRopeLeavesTheBallInsideButStillSpeedsIt) {
  rigidStrings = 0;
  const int id = addNode(0, 0);
  placeBall(ball, 1, 0, 0, 0.1f);
  tie(ball, id, 2);
  MovePlayer(ball);
  EXPECT_NEAR(ballVH(ball), 0, 1e-6);
  EXPECT_NEAR(ballVV(ball), 0.103f, 1e-6); // 3 % gain, no gravity on a rope
  EXPECT_LT(dist(ball, blocks[id]), 1.1f);
  alwaysGravity = 1;
  placeBall(ball, 1, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_NEAR(ballVV(ball), (0.1f - 0.0025f) * 1.03f, 1e-6);
  rigidStrings = 1;
  placeBall(ball, 1, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_NEAR(dist(ball, blocks[id]), ball->distance, 2e-3); // pulled out to full length
}

TEST_F(Motion, RopeGoingTautTakesSpeedAndGivesNoGainThatStep) {
  const int id = addNode(0, 0);
  struct Case {
    float vh, vv;
  } cases[] = {{0.1f, 0}, {0.05f, 0.1f}}; // straight out, and slanting out
  for (const Case &c : cases) {
    placeBall(ball, 2, 0, c.vh, c.vv);
    tie(ball, id, 2);
    MovePlayer(ball);
    EXPECT_NEAR(dist(ball, blocks[id]), 2.001f, 1e-5) << c.vh; // left on the circle
    EXPECT_LT(speed(ball), std::hypot(c.vh, c.vv) * 0.9f) << c.vh;
  }
}

TEST_F(Motion, NodeThatBlinksOutHoldsTheBallOnceMoreThenLetsGo) {
  const int id = addNode(0, 0, kNodeBlinkRelease);
  placeBall(ball, 2, 0, 0, 0.2f);
  tie(ball, id, 2);
  blocks[id].blink = 5;
  MovePlayer(ball);
  EXPECT_NEAR(dist(ball, blocks[id]), 2.001f, 1e-3); // still held this step
  EXPECT_EQ(ball->block, kRopeFree);
  const float vh = ballVH(ball), vv = ballVV(ball);
  MovePlayer(ball);
  EXPECT_NEAR(ballVH(ball), vh, 1e-6);
  EXPECT_NEAR(ballVV(ball), vv - 0.0025f, 1e-6);
}

TEST_F(Motion, StunTurnsTheRopeIntoAFreshGrabOnEveryStep) {
  const int far = addNode(-2.5f, 0);
  const int near = addNode(1, 0);
  placeBall(ball, 0, 0, 0, 0);
  tie(ball, far, 2.5f);
  ball->moveDelay = 1;
  MovePlayer(ball);
  EXPECT_EQ(ball->block, near); // the nearest node now, at the current distance
  EXPECT_FLOAT_EQ(ball->moveDelay, 0.5f);
  EXPECT_NEAR(ballVV(ball), -0.0025f, 1e-7); // free for a moment: gravity acts
  EXPECT_NEAR(ball->distance, dist(ball, blocks[near]), 1e-6);
  MovePlayer(ball);
  EXPECT_FLOAT_EQ(ball->moveDelay, 0);
  const float grabbed = ball->distance;
  EXPECT_NEAR(grabbed, dist(ball, blocks[near]), 1e-6);
  MovePlayer(ball); // stun over: held on the rope, which pays out
  EXPECT_EQ(ball->block, near);
  EXPECT_FLOAT_EQ(ball->distance, grabbed + 0.001f);
}

TEST_F(Motion, RopeReactionPushesUnstableNodesByMassShare) {
  const int id = addNode(0, 0, kNodeUnstable);
  blocks[id].period = 3; // the node's mass
  placeBall(ball, 2, 0, 0, 0.1f);
  tie(ball, id, 1.5f);
  MovePlayer(ball);
  // The rope moved the ball from its inertial spot: the node takes 1/(1+3) of it.
  EXPECT_GT(blocks[id].h2, 0.1f);
  EXPECT_NEAR(blocks[id].h2, (ball->trailX - ballH(ball)) / 4, 1e-6);
  EXPECT_NEAR(blocks[id].v2, (ball->trailY - ballV(ball)) / 4, 1e-6);

  const int still = addNode(5, 0);
  placeBall(ball, 7, 0, 0, 0.1f);
  tie(ball, still, 1.5f);
  MovePlayer(ball);
  EXPECT_EQ(blocks[still].h2, 0);
  gameType = kUnstableMatch; // every node is pushed, as if of mass 5
  placeBall(ball, 7, 0, 0, 0.1f);
  MovePlayer(ball);
  EXPECT_NEAR(blocks[still].h2, (ball->trailX - ballH(ball)) / 6, 1e-6);
}

// ---- Deaths ----------------------------------------------------------------------------------------

TEST_F(Motion, LeavingTheArenaCreditsOnlyAStunnedHitByOneOfTheFirstSix) {
  AddPlayer(0, 1); // roster index 6
  struct Case {
    float moveDelay;
    int lastHit;
    bool credited;
  } cases[] = {{1, 2, true}, {0, 2, false}, {1, -1, false}, {1, 6, false}};
  for (const Case &c : cases) {
    for (int i = 0; i < numPlayers; i++) players[i]->playerKills[0] = 0;
    ball->suicides = 0;
    placeBall(ball, 9.5f, 0, 0.75f, 0);
    ball->moveDelay = c.moveDelay;
    ball->lastHit = c.lastHit;
    MovePlayer(ball);
    EXPECT_EQ(ball->alive, 0);
    const int kills = c.lastHit >= 0 ? players[c.lastHit]->playerKills[0] : 0;
    EXPECT_EQ(kills, c.credited ? 1 : 0) << "hitter " << c.lastHit;
    EXPECT_EQ(ball->suicides, c.credited ? 0 : 1) << "hitter " << c.lastHit;
  }
  placeBall(ball, 9.5f, -10, 0.5f, 0); // exactly on two edges is still inside
  MovePlayer(ball);
  EXPECT_EQ(ball->alive, 1);
}

TEST_F(Motion, CrossingACornerCountsBothEdges) {
  placeBall(ball, 9.9f, -9.9f, 0.25f, -0.25f);
  ball->moveDelay = 2;
  ball->lastHit = 3;
  MovePlayer(ball);
  EXPECT_EQ(players[3]->playerKills[0], 2);
  placeBall(ball, -9.9f, 9.9f, -0.25f, 0.25f);
  ball->moveDelay = 0;
  MovePlayer(ball);
  EXPECT_EQ(ball->suicides, 2);
}

TEST_F(Motion, RadiusOutOfRangeKillsWithoutCreditAndRestoresTheDefaultSize) {
  for (float r : {0.1f, 6.0f}) {
    placeBall(ball, 0, 0, 0, 0);
    ball->radius = r;
    MovePlayer(ball);
    EXPECT_EQ(ball->alive, 1) << "radius " << r;
  }
  placeBall(ball, 0, 0, 0, 0);
  ball->radius = 0.05f, ball->mass = 0.5f, ball->sizeChange = 9;
  ball->moveDelay = 1, ball->lastHit = 2;
  MovePlayer(ball);
  EXPECT_EQ(ball->alive, 0);
  EXPECT_FLOAT_EQ(ball->radius, 0.3f);
  EXPECT_NEAR(ball->mass, 0.5f * 216, 1e-3); // mass follows the cube of the size
  EXPECT_EQ(ball->sizeChange, 0);
  EXPECT_EQ(players[2]->playerKills[0], 0);
  EXPECT_EQ(ball->suicides, 0);
  placeBall(ball, 0, 0, 0, 0);
  ball->radius = 7.5f, ball->mass = 1;
  MovePlayer(ball);
  EXPECT_EQ(ball->alive, 0);
  EXPECT_FLOAT_EQ(ball->radius, 0.3f);
  EXPECT_NEAR(ball->mass, 1.0f / 15625, 1e-8);
}

TEST_F(Motion, PuckBouncesBackAtHalfSpeedOnlyInPuckGamesAndNeverFallsOrDies) {
  for (int type : {kAirHockey, kPinata}) {
    gameType = type;
    placeBall(puck, 9.75f, -9.75f, 0.5f, -0.5f);
    MovePlayer(puck);
    EXPECT_NEAR(ballVH(puck), -0.25f, 1e-5) << type;
    EXPECT_NEAR(ballVV(puck), 0.25f, 1e-5) << type;
    EXPECT_EQ(puck->alive, 1);
  }
  gameType = kDeathmatch;
  placeBall(puck, 9.75f, 0, 0.5f, 0);
  MovePlayer(puck);
  EXPECT_FLOAT_EQ(ballH(puck), 10.25f); // flies on out, unbounced and alive
  EXPECT_EQ(ballVV(puck), 0);
  EXPECT_EQ(puck->alive, 1);
}

// ---- DoPlayer gates ------------------------------------------------------------------------------

TEST_F(Motion, SlowedBallMovesOnOneFrameInFour) {
  player *slowed = players[2]; // counted by the first roster ball, not by itself
  placeBall(ball, 0, 0, 0, 0);
  placeBall(slowed, 1, 1, 0, 0);
  slowed->slow = 8;
  auto frames = [&](int n) {
    for (int k = 0; k < n; k++) {
      DoPlayer(ball);
      DoPlayer(slowed);
    }
  };
  frames(3);
  EXPECT_EQ(slowed->frame, 1);
  frames(5);
  EXPECT_EQ(ball->frame, 9);
  EXPECT_EQ(slowed->frame, 3); // frames 4 and 8 of the first roster ball's count
  EXPECT_EQ(slowed->slow, 0);
  frames(3);
  EXPECT_EQ(slowed->frame, 6);
}

TEST_F(Motion, TimeStopHoldsTheBallAndClearsItsStun) {
  placeBall(ball, 0, 0, 0.1f, 0);
  ball->stop = 1;
  ball->moveDelay = 5;
  DoPlayer(ball);
  EXPECT_EQ(ball->frame, 1);
  EXPECT_FLOAT_EQ(ball->stop, 0.5f);
  EXPECT_EQ(ball->moveDelay, 0);
  DoPlayer(ball); // the stop runs out during this frame: the ball moves at once
  EXPECT_EQ(ball->frame, 2);
}

TEST_F(Motion, PausedAndOutOfPlayBallsStayPutButThePuckAlwaysSteps) {
  placeBall(ball, 0, 0, 0.1f, 0);
  paused = 1;
  DoPlayer(ball);
  EXPECT_EQ(ball->frame, 1);
  paused = 0;
  ball->alive = 0;
  DoPlayer(ball);
  ball->alive = 1, ball->active = 0;
  DoPlayer(ball);
  EXPECT_EQ(ball->frame, 1);
  placeBall(puck, 0, 0, 0.1f, 0);
  puck->alive = puck->active = 0;
  DoPlayer(puck);
  EXPECT_EQ(puck->frame, 2);
}
