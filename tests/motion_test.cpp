// One physics step of a ball: inertia, rope, attach, stun, deaths and the
// per-frame gates of DoPlayer.
#include "world_fixture.h"

#include <cmath>
#include <tuple>
#include <vector>

using std::make_tuple;

class Motion : public World {
protected:
  void SetUp() override {
    World::SetUp(), arena();
    for (int i = 0; i < numPlayers; i++) players[i]->ai = kHuman; // no bot steering
    ball = players[0];
  }
  int node(float h, float v, int type = kNodeStill) { return addNode(type, h, v); }
  // A ball at (h, v) with velocity (vh, vv), on a rope of the given length to node id.
  void tied(int id, float length, float h, float v, float vh, float vv) {
    placeBall(ball, h, v, vh, vv);
    ball->block = id, ball->distance = length;
  }
  void grab(player *p) { p->block = kRopeRequested, MovePlayer(p); }
  // One more step, which must be a free fall from the velocity the ball has now.
  void expectFreeFall() {
    const float vh = ballVH(ball), vv = ballVV(ball);
    MovePlayer(ball);
    EXPECT_TRUE(movesBy(ball, vh, vv - 0.0025f));
  }
  float dist(int id) { return std::hypot(ballH(ball) - blocks[id].h, ballV(ball) - blocks[id].v); }
  float speed() { return std::hypot(ballVH(ball), ballVV(ball)); }
  player *ball = nullptr;
};

TEST_F(Motion, AttachReachesOnlyStrictlyInsideMaxDistAndCollectsThePowerUp) {
  gravity = 0, maxDist = 3;
  placeBall(ball, 0, 0, 0, 0);
  node(3, 0);
  grab(ball);
  EXPECT_EQ(ball->block, kRopeFree); // dropped, not left pending
  const int near = node(0, 2.5f);
  blocks[near].powerUp = kPowerShotgun;
  placeBall(ball, 0, 0, 0.1f, 0);
  ball->anglev = 9;
  useFollowMessages = 1;
  grab(ball);
  // The rope is as long as the grab found it; the spin is what this step swept round the node.
  EXPECT_FLOAT_EQ(ball->distance, std::hypot(0.1f, 2.5f));
  EXPECT_NEAR(ball->anglev, -0.03998f, 1e-5);
  EXPECT_EQ(make_tuple(ball->block, ball->powerUpType, blocks[near].powerUp),
            make_tuple(near, kPowerShotgun, kPowerNone));
  // The label, not the name, trails the ball until the power-up is used.
  using Follow = std::tuple<float *, float *, int *>;
  const message &m = firstMessage->head;
  EXPECT_STREQ(m.text, "Double Shotgun");
  EXPECT_EQ(make_tuple(m.h, m.hv, m.flagV, Follow(m.hCenter, m.vCenter, m.flagP)),
            make_tuple(.1f, .1f, kPowerShotgun,
                       Follow(&ball->trailX, &ball->trailY, &ball->powerUpType)));
  blocks[near].powerUp = 77; // not in the catalogue: held, silently
  useFollowMessages = 0;     // and the label stays where it was put
  grab(ball);
  const message &put = firstMessage->head;
  EXPECT_EQ(make_tuple(ball->powerUpType, ball->powerups, put.text[0],
                       Follow(put.hCenter, put.vCenter, put.flagP)),
            make_tuple(77, 2, '\0', Follow()));
}

TEST_F(Motion, DominationGrabCapturesCheckpointsForTheBallsTeam) {
  const int id = node(0, 1);
  struct Case { int game, team, before, after; } cases[] = {
      {kDomination, 1, kDominationNeutral, 5}, {kDomination, 0, 5, 0}, {kDomination, 1, 0, 5},
      {kDomination, 0, 0, 0}, {kDomination, 1, kNoCheckPoint, kNoCheckPoint}, {kRace, 1, 2, 2}};
  for (const Case &c : cases) {
    cyclingCount++; // each grab in a frame of its own
    gameType = c.game, blocks[id].checkPoint = c.before;
    player *p = players[c.team ? 5 : 0];
    placeBall(p, 0, 0, 0, 0);
    grab(p);
    EXPECT_EQ(blocks[id].checkPoint, c.after) << c.game << " " << c.team << " " << c.before;
  }
  EXPECT_NEAR(fastestParticle(), .01f, 1e-4); // the capture sparks barely move off the node
}

// Red steps first in every frame: without the rule blue would win every tie for a point.
TEST_F(Motion, DominationPointGrabbedByBothTeamsInOneFrameStaysWithItsOwner) {
  const int id = node(0, 1);
  gameType = kDomination;
  player *red = players[0], *blue = players[5], *yellow = players[1];
  struct Case { int before; player *first, *second; int after; } cases[] = {
      {kDominationNeutral, red, blue, kDominationNeutral}, {kDominationNeutral, blue, red, kDominationNeutral},
      {0, blue, red, 0}, {5, red, blue, 5}, {5, red, yellow, 0}}; // one team twice: it takes it
  for (const Case &c : cases) {
    cyclingCount++;
    blocks[id].checkPoint = c.before;
    for (player *p : {c.first, c.second}) {
      placeBall(p, 0, 0, 0, 0);
      grab(p);
    }
    EXPECT_EQ(blocks[id].checkPoint, c.after) << c.before << " " << c.first->name << " " << c.second->name;
  }
  cyclingCount++; // the next frame the other team takes it as usual
  placeBall(blue, 0, 0, 0, 0);
  grab(blue);
  EXPECT_EQ(blocks[id].checkPoint, kDominationOwnerStep);
}

TEST_F(Motion, RopeKeepsTheCircleSpeedsUpAboutThreePercentAndFlingsOnTheTangent) {
  const int id = node(0, 0);
  tied(id, 2, 2, 0, 0, 0.1f); // anticlockwise, fast enough to outrun the pay-out
  float last = speed(), angle = 0;
  for (int k = 1; k <= 10; k++, last = speed()) {
    angle += ball->anglev;
    MovePlayer(ball);
    EXPECT_NEAR(dist(id), ball->distance, 1e-3) << "step " << k;
    EXPECT_TRUE(speed() / last > 1.02f && speed() / last < 1.0301f) << "step " << k;
  }
  EXPECT_NEAR(ball->anglev, -last / 2.01f, 0.01f * last); // anticlockwise is negative
  EXPECT_FLOAT_EQ(ball->graphicAngle, angle);
  EXPECT_NEAR(ball->distance, 2.01f, 1e-5);
  blocks[id].blink = 5; // a node blinking out holds once more, then lets the ball fly on
  MovePlayer(ball);
  EXPECT_NEAR(dist(id), ball->distance, 1e-3);
  EXPECT_EQ(ball->block, kRopeFree);
  expectFreeFall();
}

TEST_F(Motion, StunTurnsTheRopeIntoAFreshGrabOnEveryStep) {
  const int far = node(-2.5f, 0), near = node(1, 0);
  tied(far, 2.5f, 0, 0, 0, 0);
  ball->moveDelay = 1;
  for (float stun : {0.5f, 0.0f}) {
    MovePlayer(ball);
    EXPECT_EQ(make_tuple(ball->block, ball->moveDelay), make_tuple(near, stun));
    EXPECT_NEAR(ball->distance, dist(near), 1e-6); // the nearest, where it is now
  }
  EXPECT_NEAR(ballVV(ball), -0.005f, 1e-6); // free for a moment each step: gravity acts
  const float grabbed = ball->distance;
  MovePlayer(ball); // stun over: held on the rope, which pays out
  EXPECT_EQ(make_tuple(ball->block, ball->distance), make_tuple(near, grabbed + 0.001f));
}

// A bungie rope is a spring: a tenth of the offset from the node per tick.
TEST_F(Motion, BungieRopePullsTowardTheNodeUntilItsTimeRunsOut) {
  const int id = node(0, 0);
  tied(id, 2, 2, 0, 0, 0.1f);
  ball->bungie = 1;
  MovePlayer(ball);
  EXPECT_TRUE(isNear(ballH(ball), ballV(ball), 1.9f, 0.095f));
  EXPECT_NEAR(ball->anglev, -0.049958f, 1e-5);
  MovePlayer(ball); // its time is in ticks: two half-tick steps
  EXPECT_EQ(ball->bungie, 0);
  EXPECT_LT(dist(id), 1.9f);
  MovePlayer(ball); // an ordinary rope again
  EXPECT_NEAR(dist(id), ball->distance, 1e-5);
}

// The rope's pull on the ball pushes an unstable node by the ball's share of the two masses.
TEST_F(Motion, RopeReactionPushesUnstableNodesByMassShare) {
  const int id = node(0, 0, kNodeUnstable), still = node(5, 0);
  blocks[id].period = 3; // the node's mass
  // In an unstable match every node is pushed, as if of mass 5.
  for (auto [n, game, share] : {make_tuple(id, kDeathmatch, 4.f),
                                make_tuple(still, kDeathmatch, 0.f),
                                make_tuple(still, kUnstableMatch, 6.f)}) {
    gameType = game;
    tied(n, 1.5f, blocks[n].h + 2, 0, 0, 0.1f);
    MovePlayer(ball);
    EXPECT_NEAR(blocks[n].h2, share ? (ball->trailX - ballH(ball)) / share : 0, 1e-6) << n << game;
    EXPECT_NEAR(blocks[n].v2, share ? (ball->trailY - ballV(ball)) / share : 0, 1e-6) << n << game;
  }
}

TEST_F(Motion, LeavingTheArenaCreditsOnlyAStunnedHitByOneOfTheFirstSix) {
  AddPlayer(0, 1); // roster index 6
  // Out the right edge, unless the case says where (h, v) and at what step (vh, vv).
  struct Case { float moveDelay; int lastHit, deaths, kills, roster = 7;
                float h = 9.5f, v = 0, vh = .75f, vv = 0; } cases[] = {
      {1, 2, 1, 1}, {0, 2, 1, 0}, {1, -1, 1, 0}, {1, 6, 1, 0},
      {1, 5, 1, 0, 5}, // a hitter no longer in the roster is owed nothing
      {2, 3, 2, 2, 7, 9.9f, -9.9f, .25f, -.25f}, // a corner counts twice
      {0, 3, 2, 0, 7, -9.9f, 9.9f, -.25f, .25f},
      {1, 2, 0, 0, 7, 9.5f, -10, .5f}}; // exactly on two edges is still inside
  for (const Case &c : cases) {
    for (int i = 0; i < numPlayers; i++) players[i]->playerKills[0] = 0;
    numPlayers = c.roster;
    placeBall(ball, c.h, c.v, c.vh, c.vv);
    ball->suicides = 0, ball->moveDelay = c.moveDelay, ball->lastHit = c.lastHit;
    MovePlayer(ball);
    const int kills = c.lastHit >= 0 ? players[c.lastHit]->playerKills[0] : 0;
    EXPECT_EQ(make_tuple(ball->alive, kills, ball->suicides),
              make_tuple(c.deaths == 0, c.kills, c.deaths - c.kills))
        << c.h << "," << c.v << " hit by " << c.lastHit << " of " << c.roster;
  }
  ball = players[6]; // a victim past the first six is no hitter's kill, nor its own
  placeBall(ball, 9.5f, 0, .75f, 0), ball->moveDelay = 1, ball->lastHit = 2;
  MovePlayer(ball);
  EXPECT_EQ(make_tuple(ball->alive, ball->suicides, players[2]->suicides), make_tuple(0, 0, 0));
  EXPECT_LT(firstParticle->head.h - firstParticle->head.oldH, 0); // sparks fly back in
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

TEST_F(Motion, SlowedBallMovesOnOneFrameInFour) {
  player *slowed = players[2]; // counted by the first roster ball, not by itself
  placeBall(ball, 0, 0, 0, 0);
  placeBall(slowed, 1, 1, 0, 0);
  slowed->slow = 8;
  std::vector<int> moved;
  for (int k = 0; k < 11; k++, moved.push_back(slowed->frame)) DoPlayer(ball), DoPlayer(slowed);
  // Steps on frames 4 and 8 of the first roster ball's count, then every frame once the slow ends.
  EXPECT_EQ(moved, (std::vector<int>{1, 1, 1, 2, 2, 2, 2, 3, 4, 5, 6}));
  EXPECT_EQ(make_tuple(ball->frame, slowed->slow), make_tuple(12, 0.f));
  // Only the first roster ball's steps count: with it out of play the count stands still.
  ResetDoPlayer();
  slowed->slow = 4;
  const int before = slowed->frame;
  for (int k = 0; k < 4; k++) DoPlayer(slowed);
  EXPECT_EQ(slowed->frame, before + 4);
}

TEST_F(Motion, TimeStopPauseAndBeingOutOfPlayHoldTheBallButThePuckAlwaysSteps) {
  placeBall(ball, 0, 0, 0.1f, 0);
  ball->stop = 1, ball->moveDelay = 5;
  DoPlayer(ball); // held, and a time stop clears the stun
  EXPECT_EQ(make_tuple(ball->frame, ball->stop, ball->moveDelay), make_tuple(1, .5f, 0.f));
  DoPlayer(ball); // the stop runs out during this frame: the ball moves at once
  EXPECT_EQ(ball->frame, 2);
  paused = 1;
  DoPlayer(ball);
  paused = 0, ball->alive = 0;
  DoPlayer(ball);
  ball->alive = 1, ball->active = 0;
  DoPlayer(ball);
  EXPECT_EQ(ball->frame, 2);
  node(9, 0);
  placeBall(puck, 9.5f, 0, 0.1f, 0); // by an edge, where a bot would rope on
  puck->alive = puck->active = 0;
  DoPlayer(puck);
  EXPECT_EQ(make_tuple(puck->frame, puck->block), make_tuple(2, kRopeFree));
}
