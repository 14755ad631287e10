// Game keys for the players and the game, and the mouse mapping onto the menu screen.
#include "world_fixture.h"

#include "gl/headless.h"

class Input : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    const char keys[] = "zxcvbn";
    for (int i = 0; i < numPlayers; i++) {
      players[i]->key = keys[i];
      players[i]->powerUpKey = '1' + i;
    }
    blockNum = -1;
  }
  int addNode(int type, float blinkOff) {
    block &b = blocks[++blockNum];
    b = block{};
    b.type = type;
    b.h1 = blinkOff;
    b.checkPoint = kNoCheckPoint;
    return blockNum;
  }
};

// ---- Player keys ---------------------------------------------------------------------------

TEST_F(Input, PressRequestsAnAttachAndASecondPressBeforeTheFrameWithdrawsIt) {
  player *p = players[1];
  p->ai = kHuman;
  const int redraws = headlessState().redisplays;
  Key('x', 0, 0);
  EXPECT_EQ(p->block, kRopeRequested);
  EXPECT_EQ(p->attatches, 1);
  EXPECT_EQ(headlessState().redisplays, redraws + 1);
  Key('x', 0, 0);
  EXPECT_EQ(p->block, kRopeFree);
  EXPECT_EQ(p->attatches, 1); // only presses that ask count
  Key('x', 0, 0);
  EXPECT_EQ(p->attatches, 2);
  EXPECT_EQ(players[0]->block, kRopeFree);
}

TEST_F(Input, BotEarlierInTheRosterSwallowsASharedKey) {
  players[3]->ai = kHuman;
  players[3]->key = 'x'; // players[1] is a bot with the same key
  const int redraws = headlessState().redisplays;
  Key('x', 0, 0);
  EXPECT_EQ(players[1]->block, kRopeFree);
  EXPECT_EQ(players[3]->block, kRopeFree);
  EXPECT_EQ(headlessState().redisplays, redraws); // no redraw either
  players[1]->ai = kHuman; // a bot after the human does not stop it
  players[4]->key = 'x';
  Key('x', 0, 0);
  EXPECT_EQ(players[1]->block, kRopeRequested);
  EXPECT_EQ(players[3]->block, kRopeRequested);
  EXPECT_EQ(players[4]->block, kRopeFree);
}

TEST_F(Input, LettingGoHidesBlinkReleaseNodesAndRemovesAnyNodeInABlinkMatch) {
  player *p = players[0];
  p->ai = kHuman;
  const int release = addNode(kNodeBlinkRelease, 40);
  const int still = addNode(kNodeStill, 40);
  p->block = release;
  Key('z', 0, 0);
  EXPECT_EQ(p->block, kRopeFree);
  EXPECT_FLOAT_EQ(blocks[release].blink, 40);
  p->block = still;
  Key('z', 0, 0);
  EXPECT_EQ(blocks[still].blink, 0);
  gameType = kBlinkMatch;
  blocks[release].blink = 0;
  p->block = release;
  Key('z', 0, 0);
  EXPECT_EQ(blocks[release].blink, -1);
  p->block = still;
  Key('z', 0, 0);
  EXPECT_EQ(blocks[still].blink, -1);
  blocks[0].blink = 0;
  p->block = kRopeRequested; // a pending request is withdrawn, no node touched
  Key('z', 0, 0);
  EXPECT_EQ(p->block, kRopeFree);
  EXPECT_EQ(blocks[0].blink, 0);
}

// ---- Game-wide keys ----------------------------------------------------------------------------

TEST_F(Input, GameKeysPauseRestartAndChangeSphereDetail) {
  Key('p', 0, 0);
  EXPECT_EQ(paused, 1);
  Key('p', 0, 0);
  EXPECT_EQ(paused, 0);
  Key('+', 0, 0);
  Key('+', 0, 0);
  Key('-', 0, 0);
  EXPECT_EQ(spheredetail, 16);
  randomPos = 0;
  players[3]->hStart = 2;
  placeBall(players[3], 5, 5, 1, 1);
  players[3]->alive = 0;
  players[3]->block = 0;
  Key('r', 0, 0); // a fresh round
  EXPECT_EQ(players[3]->alive, 1);
  EXPECT_EQ(players[3]->block, kRopeFree);
  EXPECT_FLOAT_EQ(ballH(players[3]), 2);
}

TEST_F(Input, HumanWhoseKeyIsPPausesAndAttachesWithOnePress) {
  players[2]->ai = kHuman;
  players[2]->key = 'p';
  Key('p', 0, 0);
  EXPECT_EQ(paused, 1);
  EXPECT_EQ(players[2]->block, kRopeRequested);
}

// ---- Mouse --------------------------------------------------------------------------------------

TEST_F(Input, MouseLandsOnTheCentredFourByThreeArea) {
  struct Case {
    int w, h, px, py, mouseH, mouseV;
  } cases[] = {
      {1000, 600, 500, 300, 320, 240}, {1000, 600, 100, 0, 0, 0},  // wide: bars left and right
      {800, 800, 400, 400, 320, 240},  {800, 800, 0, 100, 0, 0},   // tall: bars above and below
  };
  for (const Case &c : cases) {
    Reshape(c.w, c.h);
    PassiveMotion(c.px, c.py);
    EXPECT_EQ(mouseH, c.mouseH) << c.w << "x" << c.h << " at " << c.px << "," << c.py;
    EXPECT_EQ(mouseV, c.mouseV) << c.w << "x" << c.h << " at " << c.px << "," << c.py;
  }
}

TEST_F(Input, ExactFourByThreeWindowTakesTheWideRuleAndLosesOnePixel) {
  Reshape(800, 600);
  PassiveMotion(400, 300);
  EXPECT_EQ(mouseH, 319);
  EXPECT_EQ(mouseV, 240);
  Reshape(640, 480);
  PassiveMotion(639, 479);
  EXPECT_EQ(mouseH, 638);
  EXPECT_EQ(mouseV, 479);
}

TEST_F(Input, ButtonPressAndReleaseAreRecordedWithThePosition) {
  Reshape(1000, 600);
  Buttonfunc(0, 0, 500, 300); // pressed
  EXPECT_EQ(buttonDown, 1);
  EXPECT_EQ(mouseH, 320);
  EXPECT_EQ(mouseV, 240);
  Buttonfunc(2, 1, 100, 0); // released, any button
  EXPECT_EQ(buttonDown, 0);
  EXPECT_EQ(mouseH, 0);
}
