// Game keys for the players and the game, and the mouse mapping onto the menu screen.
#include "drawn_text.h"
#include "inclGL.h"
#include "world_fixture.h"

#include <tuple>

class Input : public World {
protected:
  void SetUp() override {
    World::SetUp();
    arena();
    for (int i = 0; i < numPlayers; i++)
      players[i]->key = "zxcvbn"[i], players[i]->powerUpKey = static_cast<char>('1' + i);
  }
  int redraws() { return headlessState().redisplays; }
};

// A press asks for a rope and a second one before the frame withdraws the request. A bot
// earlier in the roster with the same key swallows the press, redraw and all; one later does not.
TEST_F(Input, PressRequestsAnAttachASecondWithdrawsItAndAnEarlierBotWithTheKeySwallowsIt) {
  player *p = players[1];
  p->ai = kHuman;
  for (auto [block, attaches] : {std::make_tuple(kRopeRequested, 1), std::make_tuple(kRopeFree, 1),
                                 std::make_tuple(kRopeRequested, 2)}) {
    const int before = redraws();
    Key('x', 0, 0);
    EXPECT_EQ(std::make_tuple(p->block, p->attatches, redraws()),
              std::make_tuple(block, attaches, before + 1));
  }
  p->ai = kComputer, players[3]->ai = kHuman;
  players[3]->key = players[4]->key = 'x';
  const int before = redraws();
  Key('x', 0, 0);
  EXPECT_EQ(std::make_tuple(p->block, players[3]->block, redraws()),
            std::make_tuple(kRopeRequested, kRopeFree, before));
  p->ai = kHuman;
  Key('x', 0, 0);
  EXPECT_EQ(std::make_tuple(p->block, players[3]->block, players[4]->block),
            std::make_tuple(kRopeFree, kRopeRequested, kRopeFree));
  // The power-up key uses what a human holds; a bot's is its own to use.
  p->powerUpType = players[0]->powerUpType = kPowerPlanetaryGravity;
  p->alive = players[0]->alive = 1;
  Key('2', 0, 0), Key('1', 0, 0);
  EXPECT_EQ(std::make_tuple(p->powerUpType, players[0]->powerUpType, gravityMode),
            std::make_tuple(kPowerNone, kPowerPlanetaryGravity, kGravityPlanetary));
}

TEST_F(Input, LettingGoHidesBlinkReleaseNodesAndRemovesAnyNodeInABlinkMatch) {
  player *p = players[0];
  p->ai = kHuman;
  struct Case { int game, type; float blink; } cases[] = {
      {kDeathmatch, kNodeBlinkRelease, 40}, {kDeathmatch, kNodeStill, 0},
      {kBlinkMatch, kNodeBlinkRelease, -1}, {kBlinkMatch, kNodeStill, -1}};
  for (const Case &c : cases) {
    gameType = c.game, blockNum = -1;
    p->block = addNode(c.type, 0, 0);
    blocks[0].h1 = 40; // how long it hides when let go
    Key('z', 0, 0);
    EXPECT_EQ(std::make_tuple(p->block, blocks[0].blink), std::make_tuple(kRopeFree, c.blink))
        << "game " << c.game << ", node kind " << c.type;
  }
}

TEST_F(Input, GameKeysPauseRestartAndChangeSphereDetail) {
  players[2]->ai = kHuman; // a human whose key is 'p' pauses and attaches with one press
  players[2]->key = 'p';
  for (char key : {'p', '+', '+', '-'}) Key(key, 0, 0);
  EXPECT_EQ(std::make_tuple(paused, spheredetail, players[2]->block),
            std::make_tuple(1, 16, kRopeRequested));
  Key('p', 0, 0);
  EXPECT_EQ(std::make_tuple(paused, players[2]->block), std::make_tuple(0, kRopeFree));
  randomPos = 0;
  players[3]->hStart = 2;
  placeBall(players[3], 5, 5, 1, 1);
  Key('r', 0, 0); // a fresh round
  EXPECT_FLOAT_EQ(ballH(players[3]), 2);
}

TEST_F(Input, MouseLandsOnTheCentredFourByThreeArea) {
  struct Case { int w, h, px, py, mouseH, mouseV; } cases[] = {
      {1000, 600, 500, 300, 320, 240}, {1000, 600, 100, 0, 0, 0}, // wide: bars left and right
      {800, 800, 400, 400, 320, 240},  {600, 800, 0, 175, 0, 0},  // tall: bars above and below
      // An exact 4:3 window takes the wide rule and loses one pixel.
      {800, 600, 400, 300, 319, 240},  {640, 480, 639, 479, 638, 479},
  };
  for (const Case &c : cases) {
    Reshape(c.w, c.h);
    PassiveMotion(c.px, c.py);
    EXPECT_EQ(std::make_tuple(mouseH, mouseV), std::make_tuple(c.mouseH, c.mouseV))
        << c.w << "x" << c.h << " at " << c.px << "," << c.py;
  }
  // A tap that comes up before any frame drew stays down, where it went down, for one frame.
  Buttonfunc(0, GLUT_DOWN, 320, 240);
  Buttonfunc(0, GLUT_UP, 0, 0);
  EXPECT_EQ(std::make_tuple(buttonDown, mouseH), std::make_tuple(1, 319));
  SwapFrame();
  EXPECT_EQ(buttonDown, 0);
  Buttonfunc(0, GLUT_DOWN, 320, 240); // a press a frame saw, held for two more
  for (int frame = 0; frame < 3; frame++) SwapFrame();
  EXPECT_EQ(buttonDown, 1);
  Buttonfunc(2, GLUT_UP, 0, 0); // comes up at once, any button, and the place is recorded
  EXPECT_EQ(std::make_tuple(buttonDown, mouseH), std::make_tuple(0, 0));
}

// One key does both jobs: released before the hold threshold it ropes, as a tap; held to the
// threshold the power-up fires at once and the release does nothing. The threshold counts
// frames of the nominal length at the game speed, so speedMult does not move it and a faster
// game counts more frames to the same felt time; paused frames do not count.
TEST_F(Input, OneSwitchTapsRopeAndHoldsFireAtTheThresholdCountedInFrames) {
  ShowScreen(kScreenMatch);
  player *p = players[1];
  p->ai = kHuman;
  p->active = p->alive = 1;
  auto hold = [&](int frames) { // true: the power-up went
    p->powerUpType = kPowerNormalGravity;
    p->block = kRopeFree;
    Key('x', 0, 0);
    for (int f = 0; f < frames; f++) OneSwitchFrame();
    const bool fired = p->powerUpType == kPowerNone;
    KeyUp('x', 0, 0);
    EXPECT_EQ(p->block, fired ? kRopeFree : kRopeRequested) << frames << " frames: a tap ropes, a hold not";
    return fired;
  };
  Key('x', 0, 0);
  EXPECT_EQ(p->block, kRopeRequested) << "without one-switch the press ropes at once";
  KeyUp('x', 0, 0);
  p->block = kRopeFree;
  oneSwitchMs[1] = 350; // 14 frames of 25 ms
  KeyUp('x', 0, 0);
  EXPECT_EQ(p->block, kRopeFree) << "a release with no press before it is no tap";
  for (float mult : {0.5f, 3.0f}) {
    speedMult = mult;
    EXPECT_FALSE(hold(13)) << mult;
    EXPECT_TRUE(hold(14)) << mult;
  }
  gameSpeed = 2; // frames of 12.5 ms
  EXPECT_FALSE(hold(27));
  EXPECT_TRUE(hold(28));
  gameSpeed = 1;
  oneSwitchMs[1] = 150;
  EXPECT_FALSE(hold(5));
  EXPECT_TRUE(hold(6));
  paused = 1;
  EXPECT_FALSE(hold(40)) << "a paused game counts no hold";
  paused = 0;
  // The two-key ball beside it, and the one-switch ball's power-up key, are as ever.
  players[2]->ai = kHuman;
  Key('c', 0, 0);
  KeyUp('c', 0, 0);
  EXPECT_EQ(players[2]->block, kRopeRequested);
  p->powerUpType = kPowerNormalGravity;
  Key('2', 0, 0);
  EXPECT_EQ(p->powerUpType, kPowerNone);
  // A bot's one-switch key does nothing, held or tapped.
  p->ai = kComputer;
  p->block = kRopeFree;
  p->powerUpType = kPowerNormalGravity;
  Key('x', 0, 0);
  for (int f = 0; f < 10; f++) OneSwitchFrame();
  KeyUp('x', 0, 0);
  EXPECT_EQ(std::make_tuple(p->block, p->powerUpType), std::make_tuple(kRopeFree, int{kPowerNormalGravity}));
  // Out of a match the window's release of the key is nobody's.
  p->ai = kHuman;
  InstallCallbacks(Display);
  Key('x', 0, 0);
  ShowScreen(kScreenTitle);
  headlessState().keyboardUp('x', 0, 0);
  EXPECT_EQ(p->block, kRopeFree);
}

// Player setup's last line sets the hold: Right from off starts at 350 ms, steps go by 50 up to
// 1000, and Left below 150 is off again; Space turns it on or off. The line shows the value.
TEST_F(Input, OneSwitchHoldIsSetInPlayerSetupInSteps) {
  Reshape(800, 480);
  playerSelected = 2;
  OpenOptions();
  ShowScreen(kScreenPlayerSetup);
  HeadlessState &w = headlessState();
  const auto frame = [&w] {
    headlessClearVertices();
    w.display();
  };
  const auto shows = [](int ms) {
    return drawnText(ms ? "Hold " + std::to_string(ms) + " ms: powerup" : "Off (two keys)");
  };
  frame();
  w.special(GLUT_KEY_UP, 0, 0); // from OK round to the last line
  frame();
  ASSERT_TRUE(drawnText("One key:"));
  EXPECT_TRUE(shows(0));
  const std::pair<int, int> steps[] = {
      {GLUT_KEY_LEFT, 0},    {GLUT_KEY_RIGHT, 350}, {GLUT_KEY_RIGHT, 400}, {GLUT_KEY_LEFT, 350},
      {GLUT_KEY_LEFT, 300},  {GLUT_KEY_LEFT, 250},  {GLUT_KEY_LEFT, 200},  {GLUT_KEY_LEFT, 150},
      {GLUT_KEY_LEFT, 0},    {GLUT_KEY_RIGHT, 350}};
  for (auto [key, ms] : steps) {
    w.special(key, 0, 0);
    frame();
    EXPECT_EQ(oneSwitchMs[2], ms) << (key == GLUT_KEY_LEFT ? "left to " : "right to ") << ms;
    EXPECT_TRUE(shows(ms)) << ms;
  }
  for (int k = 0; k < 14; k++) w.special(GLUT_KEY_RIGHT, 0, 0), frame(); // 350 + 13 steps passes 1000
  EXPECT_EQ(oneSwitchMs[2], 1000);
  EXPECT_TRUE(shows(1000));
  w.special(GLUT_KEY_LEFT, 0, 0);
  frame();
  EXPECT_EQ(oneSwitchMs[2], 950);
  w.keyboard(' ', 0, 0);
  frame();
  EXPECT_TRUE(shows(0));
  w.keyboard(' ', 0, 0);
  frame();
  EXPECT_TRUE(shows(350));
  for (int i : {0, 1, 3, 4, 5}) EXPECT_EQ(oneSwitchMs[i], 0) << "only the chosen ball: " << i;
}

// The setting is kept per ball in the preferences, written only when on; damaged lines are
// refused with their line.
TEST_F(Input, OneSwitchIsKeptInThePreferencesAndDamagedLinesAreRefused) {
  oneSwitchMs[4] = 600;
  ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
  EXPECT_NE(readFile("prefs.def").find("\noneswitch 4 600\n"), std::string::npos);
  EXPECT_EQ(readFile("prefs.def").find("oneswitch 0"), std::string::npos);
  ForgetOneSwitch();
  ReadLevelFile("prefs.def");
  EXPECT_EQ(std::make_tuple(oneSwitchMs[4], oneSwitchMs[0]), std::make_tuple(600, 0));
  const std::pair<const char *, const char *> cases[] = {
      {"oneswitch 4", "\"oneswitch\" line is damaged"},
      {"oneswitch 6 350", "\"oneswitch\" ball outside the roster"},
      {"oneswitch 4 100", "\"oneswitch\" hold outside 150..1000 ms"},
      {"oneswitch 4 1050", "\"oneswitch\" hold outside 150..1000 ms"},
  };
  for (auto [line, why] : cases) {
    ForgetOneSwitch();
    ForgetReaderWarnings();
    writeFile("prefs.def", std::string("sound 4\n") + line + "\n");
    testing::internal::CaptureStderr();
    ReadLevelFile("prefs.def");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find(std::string("prefs.def:2: ") + why), std::string::npos) << line << ": " << told;
    EXPECT_EQ(oneSwitchMs[4], 0) << line;
  }
}
