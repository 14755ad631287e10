// Node paths and blink cycles, node lookup, and the camera framing.
#include "world_fixture.h"

#include <tuple>
#include <vector>

class Nodes : public World {
protected:
  void SetUp() override { World::SetUp(), arena(); }
  block &node(int type, float h, float v) { return blocks[addNode(type, h, v)]; }
  // One field of node id after each of n frames.
  std::vector<float> track(int id, int n, float block::*field) {
    std::vector<float> seen;
    for (int k = 0; k < n; k++, seen.push_back(blocks[id].*field)) MoveBlock(id);
    return seen;
  }
  void human(player *p, float h, float v) { placeBall(p, h, v, 0, 0), p->ai = kHuman; }
};

TEST_F(Nodes, PathsPassThroughTheirLandmarks) {
  struct Case { int type; float h1, v1, h2, v2, period, pos; int frames; float h, v; } cases[] = {
      // An orbiter starts at the top of its ellipse: sine across, cosine up.
      {kNodeOrbiter, 1, 2, 3, 2, 40, 0, 1, 1, 4}, {kNodeOrbiter, 1, 2, 3, 2, 40, 0, 21, 4, 2},
      // A sine mover starts midway; a quarter swing is period * pi/2 (5 pi here), not period/4.
      {kNodeSinMove, -2, 1, 6, 5, 10, 0, 1, 2, 3},
      {kNodeSinMove, -2, 1, 6, 5, 10, 15.708f, 1, 6, 5},
      {kNodeSinMove, -2, 1, 6, 5, 10, -15.708f, 1, -2, 1},
      // A linear mover holds at exactly 1, wraps to -1 once past it, then runs back.
      {kNodeLinMove, 2, 4, 10, 0, 4, 1, 2, 10, 0}, {kNodeLinMove, 2, 4, 10, 0, 4, 1, 3, 9, 0.5f},
      {kNodeLinMove, 2, 4, 10, 0, 4, 1, 12, 4, 3},
  };
  for (const Case &c : cases) {
    blockNum = -1;
    block &b = node(c.type, 0, 0);
    b.h1 = c.h1, b.v1 = c.v1, b.h2 = c.h2, b.v2 = c.v2;
    b.period = c.period, b.position = c.pos;
    for (int k = 0; k < c.frames; k++) MoveBlock(0);
    EXPECT_TRUE(isNear(b.h, b.v, c.h, c.v, 1e-5f)) << c.type << " after " << c.frames;
  }
}

TEST_F(Nodes, UnstableNodeDriftsAndFlipsItsVelocityEveryFrameOutside) {
  block &b = node(kNodeUnstable, 12, 12);
  b.h2 = 0.1f, b.v2 = 0.2f;
  EXPECT_EQ(track(0, 3, &block::h2), (std::vector<float>{-0.1f, 0.1f, -0.1f}));
  EXPECT_EQ(std::make_tuple(b.h > 10, b.v2), std::make_tuple(true, -0.2f)); // never pulled back
  // In an unstable match still nodes drift too, but blinking ones keep blinking.
  gameType = kUnstableMatch;
  block &still = node(kNodeStill, 0, 0), &blinker = node(kNodeBlinkPeriodic, 5, 5);
  still.h2 = blinker.h2 = 1, blinker.period = 100;
  MoveBlock(1), MoveBlock(2);
  EXPECT_EQ(std::make_tuple(still.h, blinker.h, blinker.position), std::make_tuple(.5f, 5.f, .5f));
  for (float side : {-1.f, 1.f}) { // landing exactly on an edge is still inside
    block &e = node(kNodeUnstable, side * 9.5f, side * 9.5f);
    e.h2 = e.v2 = side;
    MoveBlock(blockNum);
    EXPECT_TRUE(isNear(e.h, e.v, side * 10, side * 10) && e.h2 == side && e.v2 == side) << side;
  }
}

TEST_F(Nodes, BlinkingNodesHideInTurnAndHiddenOnesStandStill) {
  block &b = node(kNodeBlinkPeriodic, 0, 0);
  b.period = 2, b.h1 = 1;
  // Visible until the phase passes 2 (not on reaching it), hidden for 1 tick.
  EXPECT_EQ(track(0, 12, &block::blink),
            (std::vector<float>{0, 0, 0, 0, 1, .5f, 0, 0, 0, 0, 0, 1}));
  b.position = 7, b.period = 10, b.h1 = 4, b.blink = 1.25f; // switched off by a touch mid-cycle
  // 1.25 - 1.5 is clamped, never negative; then the phase reaches 10 but must pass it.
  EXPECT_EQ(track(0, 10, &block::blink), (std::vector<float>{.75f, .25f, 0, 0, 0, 0, 0, 0, 0, 4}));
  block &orbiter = node(kNodeOrbiter, 9, 9);
  orbiter.h1 = orbiter.h2 = orbiter.v2 = 1, orbiter.period = 8, orbiter.position = 2;
  orbiter.blink = 0.3f;
  block &removed = node(kNodeLinMove, 3, 3);
  removed.h2 = 8, removed.period = 1, removed.blink = -1;
  MoveBlock(1); // the frame it returns it still does not move
  EXPECT_EQ(std::make_tuple(orbiter.blink, orbiter.h, orbiter.position),
            std::make_tuple(0.f, 9.f, 2.f));
  MoveBlock(1), MoveBlock(2), MoveBlock(2);
  EXPECT_EQ(std::make_tuple(orbiter.h, removed.blink, removed.h), std::make_tuple(2.f, -1.f, 3.f));
  paused = 1, MoveBlock(1);
  EXPECT_EQ(orbiter.position, 2.5f);
  paused = 0;
  MoveBlock(-1), MoveBlock(kMaxBlocks); // no such node: nothing is touched
}

TEST_F(Nodes, NearestBlockIsStrictlyInsideMaxDistPresentAndLowestOnTies) {
  EXPECT_EQ(FindNearestBlock(0, 0), -1); // no nodes, even though slot 0 sits at the origin
  node(kNodeStill, 0, 1); // a reach of 100 to start with
  EXPECT_EQ(std::make_tuple(FindNearestBlock(0, 100), FindNearestBlock(0, 101)),
            std::make_tuple(0, -1));
  blockNum = -1, maxDist = 2;
  node(kNodeStill, 2, 0); // exactly at maxDist: out of reach
  EXPECT_EQ(FindNearestBlock(0, 0), -1);
  node(kNodeStill, 0, -1.5f), node(kNodeStill, 1.5f, 0); // ties: the first
  EXPECT_EQ(FindNearestBlock(0, 0), 1);
  blocks[1].blink = 3; // hidden
  EXPECT_EQ(FindNearestBlock(0, 0), 2);
  blocks[2].blink = -1; // removed
  EXPECT_EQ(FindNearestBlock(0, 0), -1);
  node(kNodeStill, 0.1f, 0.1f); // the last node in use is searched too
  EXPECT_EQ(std::make_tuple(FindNearestBlock(0, 0), FindNearestBlock(1.8f, 0)),
            std::make_tuple(3, 0));
}

TEST_F(Nodes, FindNodeMatchesCheckPointWithinHundredUnitsEvenWhenHidden) {
  EXPECT_EQ(findNode(0, 0, 0), nullptr); // no nodes, though unused slots hold checkpoint 0
  node(kNodeStill, 1, 0).checkPoint = 2;
  node(kNodeStill, 5, 0).checkPoint = 3;
  node(kNodeStill, 0, 100).checkPoint = 4;
  block &hidden = node(kNodeStill, 2, 0);
  hidden.checkPoint = 3, hidden.blink = -1;
  EXPECT_EQ(std::make_tuple(findNode(0, 0, 3), findNode(6, 0, 3)),
            std::make_tuple(&hidden, &blocks[1]));
  EXPECT_EQ(findNode(0, 0, 4), nullptr); // exactly 100 away is out of range
  EXPECT_EQ(std::make_tuple(findNode(0, 0.5f, 4), findNode(0, 0, 9), findNode(0, 0, 2)),
            std::make_tuple(&blocks[2], nullptr, &blocks[0])); // the first node is found too
}

TEST_F(Nodes, CameraFramesUpToTenLiveHumansAndTheMatchPuck) {
  human(players[2], 4, -3);
  EXPECT_EQ(std::make_tuple(FindCenter(), humans[0]), std::make_tuple(1, players[2]));
  // One still human: span 0, as the box starts inverted.
  EXPECT_EQ(std::make_tuple(screenH, screenV, screenScale), std::make_tuple(4.f, -3.f, 1.f));
  human(players[4], -2, 6);
  players[1]->ai = kHuman; // a dead human is not framed, nor is a bot
  placeBall(players[3], 50, 50, 0, 0);
  EXPECT_EQ(FindCenter(), 2);
  // Height 9 beats width 6: the framed height above the score bar is 7.8 for 12 across.
  EXPECT_EQ(std::make_tuple(screenH, screenV), std::make_tuple(1.f, 1.5f));
  EXPECT_FLOAT_EQ(screenScale, 8.f * 7.8f / (9 * 12));
  placeBall(puck, 14, -3, 0, 0), FindCenter();
  EXPECT_FLOAT_EQ(screenH, 1); // the puck counts only where it is played
  gameType = kPinata;
  FindCenter();
  EXPECT_EQ(std::make_tuple(screenH, screenScale), std::make_tuple(6.f, 8.f / 16));
  players[4]->active = 0; // taken out on the score bar: alive, but no longer followed
  EXPECT_EQ(FindCenter(), 1);
  gameType = kDeathmatch; // sixteen humans fill the ten slots, and all of them widen the box
  while (numPlayers < kMaxPlayers) AddPlayer(0, 1);
  EXPECT_EQ(AddPlayer(0, 1), nullptr); // the roster is full
  for (int i = 0; i < numPlayers; i++) human(players[i], 0, 0);
  human(players[15], 8, 0);
  FindCenter();
  EXPECT_EQ(std::make_tuple(humansNum, humans[kMaxHumans - 1], screenH, screenScale),
            std::make_tuple(kMaxHumans, players[9], 4.f, 1.f));
}

TEST_F(Nodes, ZoomOutFollowsAtOnceZoomInLagsAndNeverPassesOne) {
  // Exactly 0.2 closer is not yet close enough to move (.25 + .2 - .2 is not .25 in float).
  const float cases[][3] = {
      {1, .5f, .5f}, {.5f, .9f, .7f}, {.7f, 1, 1}, {.25f, .45f, .25f}, {1.5f, 1.3f, 1}};
  for (const auto &c : cases) {
    quantisedScale = c[0], screenScale = c[1];
    QuantiseScale();
    EXPECT_EQ(quantisedScale, c[2]) << c[0] << " toward " << c[1];
  }
}

// The settled view: centred on what is framed, never showing beyond a large level,
// and centred on a level smaller than the view rather than cutting one edge off.
TEST_F(Nodes, SettledViewFramesLiveHumansOrTheLevelButNeverShowsBeyondIt) {
  struct Case { const char *what; float left, right, bottom, top; bool human;
                float ballH, ballV, h, v, scale; } cases[] = {
      {"whole level", -10, 10, -7.5f, 7.5f, false, 0, 0, 0, 0, 7.8f / 15},
      {"wide level", -10, 30, 0, 6, false, 0, 0, 10, 3, 12.0f / 40},
      {"tall level", 0, 6, -15, 15, false, 0, 0, 3, 0, 7.8f / 30}, // the height decides
      {"zoomed in on a wide level", -30, 30, -10, 10, true, -29, 0, -30 + 6.25f, 0, 1},
      {"human in a corner", -10, 10, -7.5f, 7.5f, true, 9, 7, 10 - 6.25f, 7.5f - 3.9f, 1},
      {"other corner", -10, 10, -7.5f, 7.5f, true, -9, -7, -10 + 6.25f, -7.5f + 3.9f, 1},
      {"narrow level", -5, 5, -7.5f, 7.5f, true, 4, 3, 0, 3, 1},
      {"small level", -5, 5, -3.5f, 3.5f, true, 4, 3, 0, 0, 1},
  };
  for (const Case &c : cases) {
    levelLeft = c.left, levelRight = c.right, levelBottom = c.bottom, levelTop = c.top;
    players[0]->ai = c.human ? kHuman : kComputer;
    placeBall(players[0], c.ballH, c.ballV, 0, 0);
    for (int i = 0; i < 200; i++) FrameCamera();
    EXPECT_TRUE(isNear(actualScreenH, actualScreenV, c.h, c.v, 1e-4f)) << c.what;
    EXPECT_NEAR(actualScale, c.scale, 1e-4) << c.what;
  }
}
