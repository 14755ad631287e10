// Start-up roster, frame-rate regulation, the frame's own steps, window shape and the resets.
#include "world_fixture.h"

#include "inclGL.h"

#include <tuple>
#include <vector>

using std::make_tuple;

TEST_F(World, DefaultRosterHasSixBallsWhoseLooksMatchTheirAnnouncerNames) {
  alwaysGravity = 1, rigidStrings = 0; // a tournament's next match starts on the default rules
  ResetWorld();
  EXPECT_EQ(make_tuple(alwaysGravity, rigidStrings), make_tuple(0, 1));
  roster();
  ASSERT_EQ(numPlayers, 6);
  const char *colours[] = {"Red", "Yellow", "Orange", "Purple", "Green", "Blue"};
  for (int i = 0; i < 6; i++) {
    const player *p = players[i];
    EXPECT_EQ(make_tuple(std::string(p->sound), std::string(p->name), p->playerID, p->active),
              make_tuple(std::string(colours[i]), std::string(colours[i]), i, i % 5 == 0));
  }
  EXPECT_EQ(make_tuple(teamLeaders[0], teamLeaders[1], it),
            make_tuple(players[0], players[5], players[5]));
  EXPECT_EQ(make_tuple(puck->playerID, puck->team, puck->sprite), make_tuple(7, 7, 0));
  player *seventh = AddPlayer(1, 2); // built-in identities run out after six
  EXPECT_EQ(make_tuple(seventh->name[0], seventh->key, seventh->sprite, seventh->block, seventh->g),
            make_tuple('\0', '\0', 4, kRopeFree, 0.f)); // red, as the counter has gone below one
}

// Half a tick a frame, averaged over twenty; a thousandth more each frame while every human is
// out, none in a match without humans. The cap sleeps only on the real clock, never on this one.
TEST_F(World, FrameStepRampsUpHoldsHalfATickAndGrowsOnlyWhenEveryHumanIsOut) {
  static double fakeNow;
  fakeNow = newTime = mtime() + 3;
  SetClock([] { return fakeNow += 0.0001; }); // each read moves on a little: a busy wait ends
  spheredetail = 27;
  static int rests;
  SetSleeper([](double) { rests++; }); // a virtual clock is never slept on
  auto frames = [](int n, double seconds) {
    for (int i = 0; i < n; i++) fakeNow += seconds, RegulateFrameRate();
    return speedMult;
  };
  EXPECT_NEAR(frames(1, 0.025), 0.025, 1e-6);
  EXPECT_LT(frames(18, 0.025), 0.5f);
  EXPECT_NEAR(frames(1, 0.025), 0.5, 1e-6);
  EXPECT_EQ(spheredetail, 30); // more detail while the machine keeps up, to a cap
  spheredetail = 20;
  EXPECT_NEAR(frames(50, 0.3), 0.5, 1e-5); // a slow machine still steps half a tick
  EXPECT_EQ(spheredetail, 20);
  for (auto [present, humans, step] :
       {make_tuple(1, 0, 0.5048), make_tuple(1, 1, 0.5), make_tuple(0, 0, 0.5)})
    EXPECT_NEAR((playerPresent = present, humansNum = humans, frames(20, 0.025)),
                step, 1e-4) << present << humans;
  gameSpeed = 2; // a fast machine waits: 80 frames a second
  const double before = newTime;
  RegulateFrameRate();
  EXPECT_NEAR(newTime - before, 0.0126, 0.0001);
  EXPECT_EQ(rests, 0);
  // The real clock, 0.125 s a frame: the rest ends before the frame is due, however loaded the
  // machine, and the spin that follows still waits the frame out.
  static double asked;
  SetSleeper([](double seconds) { asked = seconds, rests++; });
  SetClock(nullptr);
  gameSpeed = 0.2f, newTime = mtime();
  RegulateFrameRate();
  EXPECT_LE(rests, 1);
  EXPECT_LE(asked, 0.125 - 0.0005 + 1e-9);
  EXPECT_GE(newTime - oldTime, 0.125 - 1e-9);
  SetSleeper(nullptr);
}

TEST_F(World, WindowKeepsTheFourByThreeViewIgnoresKeyRepeatsAndIdlesOnlyWhenShown) {
  const HeadlessState &s = headlessState();
  for (int full : {0, 1}) { // a held key would toggle its rope on and off
    useFullScreen = full;
    OpenWindow();
    EXPECT_EQ(make_tuple(s.ignoreKeyRepeat, s.fullScreen), make_tuple(1, full));
  }
  auto frustum = [&s] { return std::vector<double>(s.frustum, s.frustum + 6); };
  Reshape(1600, 600); // wide: the height decides
  EXPECT_EQ(make_tuple(frustum(), heightRatio),
            make_tuple(std::vector<double>{-8.f / 3, 8.f / 3, -1, 1, 2, 100}, 1.25f));
  Reshape(600, 800); // tall: the width decides
  const float tall = 4.f / 3 / 0.75f;
  EXPECT_EQ(make_tuple(frustum(), s.viewport[2]),
            make_tuple(std::vector<double>{-4.f / 3, 4.f / 3, -tall, tall, 2, 100}, 600));
  Reshape(640, 0); // a minimised window
  EXPECT_TRUE(std::isfinite(ar));
  vis(GLUT_VISIBLE);
  EXPECT_EQ(s.idle, Idle);
  vis(GLUT_NOT_VISIBLE);
  EXPECT_EQ(s.idle, nullptr);
}

TEST_F(World, StartUpCreatesMissingPreferencesAndTheFrameRuns) {
  writeFile("level.def", "nextlevel 0\nOnly\nlevel -10 10 7 -7\nblock 0 0\nstart 1 1 0 0\n");
  roster();
  StartupReads(false); // a simulation leaves the player's folder alone
  EXPECT_EQ(readFile("prefs.def"), "");
  StartupReads(true); // a first run ships a full bag, and saves it
  EXPECT_NE(readFile("prefs.def").find("#Twiddle\npowerUpAvail 43 3\n"), std::string::npos);
  testing::internal::CaptureStderr();
  Init(); // the pictures missing here are reported, not fatal
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Font.sgi"), std::string::npos);
  ReadLevelFile(defaultLevels);
  ResetPositions();
  testing::internal::CaptureStdout();
  frameReport = stdout;
  Display();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "done displaying a frame\n");
  const HeadlessState &s = headlessState();
  EXPECT_EQ(make_tuple(cyclingCount, s.swaps, s.matrixDepth), make_tuple(1, 1, 0));
}

class Frame : public World {
protected:
  void SetUp() override { World::SetUp(), arena(), placeBall(players[0], 0, 0, 0, 0); }
};

// However the level is framed, a ball at its bottom edge is drawn clear of the score bar's
// strip, in a 4:3 window and a taller one; when all the level is shown, a ball at its top
// edge is inside the window too.
TEST_F(Frame, BallsAtTheLevelsEdgesAreDrawnAboveTheScoreBar) {
  struct Case { const char *what; float bottom, top; bool human; float aspect; } cases[] = {
      {"a human at the bottom of a tall level", -7.5f, 7.5f, true, 4.f / 3},
      {"the whole level, no human", -7.5f, 7.5f, false, 4.f / 3},
      {"a level lower than the view", -3.5f, 3.5f, true, 4.f / 3},
      {"a tall window", -7.5f, 7.5f, true, 1}};
  paused = 1; // the balls stay put while the camera settles
  for (const Case &c : cases) {
    levelBottom = c.bottom, levelTop = c.top, ar = c.aspect;
    for (int i = 0; i < numPlayers; i++) players[i]->active = 0;
    placeBall(players[0], 9, c.bottom, 0, 0);
    placeBall(players[1], -9, c.top, 0, 0);
    for (int i : {0, 1})
      players[i]->sprite = 0, players[i]->ai = c.human && i == 0 ? kHuman : kComputer;
    for (int frame = 0; frame < 200; frame++) {
      headlessClearVertices();
      Display();
    }
    const float halfHeight = ar < 4.f / 3 ? 4.6f * 4 / 3 / ar : 4.6f;
    std::vector<float> low, high; // each ball's lowest and highest drawn point
    for (const HeadlessSphere &s : headlessSpheres())
      for (int i : {0, 1})
        if (s.color[0] == players[i]->r && s.color[1] == players[i]->g &&
            s.color[2] == players[i]->b)
          (i == 0 ? low : high).push_back(i == 0 ? s.y - float(s.radius) : s.y + float(s.radius));
    ASSERT_EQ(make_tuple(low.size(), high.size()), make_tuple(1u, 1u)) << c.what;
    EXPECT_GT(low[0], -halfHeight + 2 * 0.08f * halfHeight) << c.what;
    EXPECT_TRUE((c.human && c.top - c.bottom > 7.8f) || high[0] < halfHeight) << c.what;
  }
}

// While turbo lasts a ball takes three more steps a frame; the puck's runs down a whole unit.
TEST_F(Frame, TurboAddsThreeStepsAFrameWhileItLasts) {
  player *ball = players[0];
  gameType = kAirHockey;
  placeBall(puck, 0, 5, 0, 0);
  struct Case { float turbo; int ballSteps, puckSteps; float ballAfter, puckAfter; } cases[] = {
      {-1, 1, 1, -1.5f, -1}, {0, 1, 1, 0, 0}, {0.5f, 1, 4, 0, -0.5f}, {0.75f, 4, 4, .25f, -.25f}};
  for (const Case &c : cases) {
    ball->turbo = puck->turbo = c.turbo;
    const int ballFrame = ball->frame, puckFrame = puck->frame;
    Display();
    EXPECT_EQ(
        make_tuple(ball->frame - ballFrame, puck->frame - puckFrame, ball->turbo, puck->turbo),
        make_tuple(c.ballSteps, c.puckSteps, c.ballAfter, c.puckAfter))
        << c.turbo;
  }
  gameType = kDeathmatch; // the puck plays only in air hockey and pinata
  const int puckFrame = puck->frame;
  Display(); // and the flags, drawn and sent home, only in air hockey and capture the flag
  EXPECT_EQ(make_tuple(puck->frame, flags[1].downTime), make_tuple(puckFrame, 4.f));
}

// Gravity turns normal the frame after its countdown ends; background and contrails fade.
TEST_F(Frame, GravityBackgroundAndContrailsRunDown) {
  gravity = 0.02f, gravityMode = kGravityPlanetary, gravityResetTime = 0.5f;
  backRed = 1, backBlue = 0.5f, contrails = 0.5f;
  paused = 1; // no point is scored, which would paint the background afresh
  Display();
  EXPECT_EQ(make_tuple(gravityResetTime, gravity, gravityMode),
            make_tuple(0.f, 0.02f, kGravityPlanetary));
  EXPECT_EQ(make_tuple(backRed, backBlue, contrails),
            make_tuple(1 - 0.05f, 0.5f * (1 - 0.05f), 0.f));
  EXPECT_EQ(headlessVertices().at(0).color[3], 0.1f); // the old picture shows through
  Display();
  EXPECT_EQ(make_tuple(gravity, gravityMode, contrails),
            make_tuple(kNormalGravity, kGravityNormal, 0.f));
}

class RoundReset : public World {
protected:
  void SetUp() override {
    World::SetUp(), roster();
    for (int i = 0; i < 6; i++) players[i]->hStart = i, players[i]->vStart = 10.0f + i;
  }
};

// One ball by ResetPlayer, or every ball by a round reset: the same ball comes back.
TEST_F(RoundReset, BallComesBackToItsStartButKeepsItsMatch) {
  randomPos = 0;
  for (bool round : {false, true}) {
    player *p = players[2];
    p->hStart = 3, p->vStart = 4, p->hvStart = 0.1f, p->vvStart = -0.2f;
    p->score = 7, p->suicides = 2, p->shield = 100, p->chase = 40, p->turbo = 9, p->stop = 5;
    p->alive = 0, p->block = 3, p->moveDelay = 6, p->ghost = 0;
    round ? ResetPositions() : ResetPlayer(p);
    EXPECT_TRUE(movesBy(p, 0.1f, -0.2f)) << round;
    EXPECT_EQ(make_tuple(ballH(p), p->alive, p->score, p->suicides, p->block),
              make_tuple(3.1f, 1, 7, 2, kRopeFree));
    // The chase's shield is taken back; turbo is kept.
    EXPECT_EQ(make_tuple(p->shield, p->turbo, p->stop, p->moveDelay, p->ghost),
              make_tuple(60.f, 9.f, 0.f, 0.f, 30.f));
  }
}

TEST_F(RoundReset, StartsAreMixedByRandomPosSwapsOutsideTeamGames) {
  for (int type : {kDeathmatch, kTeamDeathmatch}) {
    gameType = type;
    gameSrand(77);
    cosmeticRand(); // drawing for looks never moves the game's own source
    ResetPositions();
    std::vector<float> start; // whose start each ball stands on
    for (int i = 0; i < 6; i++)
      start.push_back(ballV(players[i]) - 10);
    const auto want = type == kDeathmatch ? make_tuple(std::vector<float>{3, 5, 2, 4, 1, 0}, 27190)
                                          : make_tuple(std::vector<float>{0, 1, 2, 3, 4, 5}, 18597);
    EXPECT_EQ(make_tuple(start, gameRand()), want) << type;
  }
}

TEST_F(RoundReset, SwapExchangesPlaceVelocitySpinAndRope) {
  player *a = players[1], *b = players[4];
  placeBall(b, 5, 6, -0.3f, 0.4f);
  a->block = 3, a->anglev = 0.5f, a->distance = 2;
  a->frame = 57; // rings are read at each ball's own frame
  a->x[57] = 1, a->y[57] = 2, a->x[56] = 0.9f, a->y[56] = 1.8f;
  Swap(1, 4);
  EXPECT_TRUE(movesBy(a, -0.3f, 0.4f));
  EXPECT_TRUE(movesBy(b, 0.1f, 0.2f, 1e-5f));
  EXPECT_EQ(make_tuple(ballH(a), ballH(b), b->block, b->distance, b->anglev, a->block),
            make_tuple(5.f, 1.f, 3, 2.f, 0.5f, kRopeFree));
  Swap(4, 4), Swap(-1, 4), Swap(numPlayers, 4), Swap(4, numPlayers);
  EXPECT_TRUE(movesBy(b, 0.1f, 0.2f, 1e-5f));
}

TEST_F(RoundReset, VanishedNodesReturnDriftingNodesGoHomeAndThePuckPlaysOnlyInItsGames) {
  blockNum = 3;
  blocks[0].type = kNodeStill, blocks[0].blink = -1;
  blocks[1].type = kNodeBlinkPeriodic, blocks[1].blink = 80;
  blocks[2].type = kNodeBlinkRelease, blocks[2].blink = 80;
  blocks[3].type = kNodeUnstable, blocks[3].h = 9, blocks[3].h1 = 1, blocks[3].h2 = 0.5f;
  ResetPositions();
  EXPECT_EQ(make_tuple(blocks[0].blink, blocks[1].blink, blocks[2].blink),
            make_tuple(50.f, 80.f, 50.f));
  EXPECT_EQ(make_tuple(blocks[3].h, blocks[3].h2, puck->alive), make_tuple(1.f, 0.f, 0));
  gameType = kPinata;
  puck->mass = 9;
  ResetPositions();
  EXPECT_EQ(make_tuple(puck->alive, puck->mass, ballH(puck)), make_tuple(1, 1.f, 0.f));
  // An unstable match sends still nodes home each round; a blinker's h1 is a time: it stays.
  blockNum = 2;
  blocks[0].h = 3, blocks[0].v = 4, blocks[0].h2 = 1;
  blocks[1].type = kNodeOrbiter, blocks[1].h = 5, blocks[1].h1 = 0;
  blocks[2].h = 5, blocks[2].h1 = 40;
  PrepareUnstableMatch();
  EXPECT_EQ(make_tuple(blocks[0].h1, blocks[0].v1, blocks[0].h2, blocks[1].h1, blocks[2].h1),
            make_tuple(3.f, 4.f, 0.f, 0.f, 40.f));
  for (int type : {kDeathmatch, kUnstableMatch}) {
    gameType = type;
    blocks[0].h = 6, blocks[0].v = 7, blocks[0].v2 = blocks[2].h2 = 0.5f;
    ResetPositions();
    EXPECT_EQ(make_tuple(blocks[0].h, blocks[0].v, blocks[0].v2, blocks[2].h, blocks[2].h2),
              type == kUnstableMatch ? make_tuple(3.f, 4.f, 0.f, 5.f, 0.f)
                                     : make_tuple(6.f, 7.f, .5f, 5.f, .5f));
  }
}

TEST_F(RoundReset, EscapeShowsTheTitleAndStartsAFreshMatchFromTheFirstLevel) {
  writeFile("level.def", "nextlevel 0\nFirst\nblock 1 1\nnextlevel 1\nSecond\nblock 2 2\n");
  writeFile("prefs.def", "powerUpAvail 20 3\nsound 3\n");
  currentLevel = 1, playerPresent = 2, contrails = 5;
  for (int i = 0; i < 6; i++) {
    player *p = players[i];
    p->score = 4, p->aliveTime = 9, p->magShield = p->gravShield = p->freezeRay = 3;
    p->powerUpType = kPowerNova, p->alive = 0, p->supernovaCharge = 3;
  }
  glutKeyboardFunc(Key);
  glClearColor(0, 0, 1, 1); // a flash still showing
  Key(27, 0, 0);
  EXPECT_EQ(make_tuple(headlessState().display, headlessState().keyboard),
            make_tuple(TitleScreen, TitleKey));
  const float *clear = headlessState().clearColor;
  EXPECT_EQ(make_tuple(clear[0], clear[1], clear[2], clear[3]), make_tuple(0.f, 0.f, 0.f, 1.f));
  EXPECT_STREQ(levelname, "First");
  EXPECT_EQ(make_tuple(currentLevel, contrails, playerPresent, blockNum, soundMode, powerUpsInList),
            make_tuple(0, 0.f, 0, 0, 3, 3));
  for (int i = 0; i < 6; i++) {
    const player *p = players[i];
    EXPECT_EQ(make_tuple(p->score, p->aliveTime, p->magShield, p->gravShield, p->freezeRay,
                         p->supernovaCharge, p->powerUpType, p->alive, p->ghost),
              make_tuple(0, 0.f, 0.f, 0.f, 0.f, 0.f, kPowerNone, 1, 30.f));
  }
}
