// The screen table, the ways back to the title, and the input actions the keys go through.
#include "inclGL.h"
#include "world_fixture.h"

#include <string>
#include <tuple>

using std::make_tuple;

class Screens : public World {
protected:
  void SetUp() override {
    World::SetUp();
    writeFile("level.def", "nextlevel 0\nZero\nlevel -10 10 5 -5\ndeathmatch 10\nblock 0 0\n"
                           "nextlevel 1\nOne\nlevel -5 5 5 -5\ndeathmatch 10\nblock 1 1\n");
    roster();
    StartupReads(true);
    ReadLevelFile(defaultLevels);
    InstallCallbacks(TitleScreen);
  }
  HeadlessState &w() { return headlessState(); }
  auto routines() { return make_tuple(w().display, w().keyboard, w().special); }
};

// The screens that change only some routines: the leaderboard keeps the match's F12, and the
// options' pages the options' latched keys.
TEST_F(Screens, AScreenWithoutItsOwnKeysLeavesThoseInstalledBefore) {
  ShowScreen(kScreenTitle);
  ShowScreen(kScreenMatch);
  ShowScreen(kScreenLeaderBoard);
  EXPECT_EQ(routines(), make_tuple(LeaderBoard, LeaderBoardKey, SpecialKey));
  ShowScreen(kScreenOptions);
  for (auto [screen, display] : {make_tuple(kScreenPlayerSetup, PlayerOptions),
                                 make_tuple(kScreenPowerUps, PowerUpOptions),
                                 make_tuple(kScreenOptionsBack, Options)}) {
    ShowScreen(screen);
    EXPECT_EQ(routines(), make_tuple(display, OptionsKey, OptionsSpecialKey)) << screen;
  }
  ShowScreen(kScreenCount); // no such screen: nothing changes
  EXPECT_EQ(w().display, Options);
}

// The sim's trace names a screen by its display routine; a routine no screen shows has no name.
TEST_F(Screens, EveryDisplayRoutineKeepsItsTraceName) {
  const std::pair<void (*)(), const char *> names[] = {
      {Display, "Display"},         {LeaderBoard, "LeaderBoard"},   {TitleScreen, "TitleScreen"},
      {LevelSelect, "LevelSelect"}, {Options, "Options"},           {PlayerOptions, "PlayerOptions"},
      {PowerUpOptions, "PowerUpOptions"}, {HelpView, "HelpView"}, {CreditsView, "CreditsView"}};
  for (auto [display, name] : names) EXPECT_STREQ(ScreenDisplayName(display), name);
  EXPECT_EQ(ScreenDisplayName(Idle), nullptr);
  for (int s = 0; s < kScreenCount; s++) EXPECT_NE(ScreenDisplayName(ScreenRow(s).display), nullptr);
}

// Escape from play, the level select, the leaderboard, help and the options: the title with
// all three of its routines, and the first level read again.
TEST_F(Screens, EveryEscapeEndsOnTheTitleWithItsKeysAndTheFirstLevel) {
  const std::pair<int, void (*)(unsigned char, int, int)> ways[] = {
      {kScreenMatch, Key},       {kScreenLevelSelect, LevelKeys}, {kScreenLeaderBoard, LeaderBoardKey},
      {kScreenHelp, HelpKey},    {kScreenOptions, OptionsKey}};
  for (auto [screen, key] : ways) {
    ShowScreen(screen);
    currentLevel = 1;
    ReadLevelFile(defaultLevels);
    key(kKeyEscape, 0, 0);
    EXPECT_EQ(make_tuple(routines(), currentLevel, std::string(levelname)),
              make_tuple(make_tuple(TitleScreen, TitleKey, TitleSpecialKey), 0, std::string("Zero")))
        << "screen " << screen;
  }
}

// What a second device would call: the shown menu's action, the same as its key.
TEST_F(Screens, MenuActionsDoWhatTheKeysDoOnTheMenuShown) {
  ShowScreen(kScreenTitle);
  MenuAction(kMenuActionDown); // the first move lights Play, the next walks from it
  MenuAction(kMenuActionDown);
  EXPECT_EQ(TitleFocus(), kTitleOptions);
  MenuAction(kMenuActionBack); // nothing to go back to
  MenuAction(kMenuActionAccept);
  EXPECT_EQ(routines(), make_tuple(Options, OptionsKey, OptionsSpecialKey));
  MenuAction(kMenuActionUp);
  MenuAction(kMenuActionAccept);
  EXPECT_EQ(make_tuple(lastSpecial, int{lastKey}), make_tuple(int{GLUT_KEY_UP}, int{kKeyReturn}));
  ShowScreen(kScreenPlayerSetup);
  MenuAction(kMenuActionBack); // the page's back is the options' cancel
  EXPECT_EQ(w().display, TitleScreen);

  ShowScreen(kScreenLevelSelect);
  MenuAction(kMenuActionRight);
  EXPECT_STREQ(levelname, "One");
  MenuAction(kMenuActionAccept);
  EXPECT_EQ(routines(), make_tuple(Display, Key, SpecialKey));
  MenuAction(kMenuActionBack); // play has no menu actions
  EXPECT_EQ(w().display, Display);

  ShowScreen(kScreenHelp);
  lastSpecial = 0;
  MenuAction(kMenuActionRight);
  EXPECT_EQ(lastSpecial, GLUT_KEY_RIGHT);
  ShowScreen(kScreenLeaderBoard);
  MenuAction(kMenuActionAccept);
  EXPECT_EQ(routines(), make_tuple(LevelSelect, LevelKeys, SpecialLevelSelectKey));
}

TEST_F(Screens, ArrowKeysAndMovesMapBothWaysAndOtherKeysAreNoMove) {
  for (int key : {GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_LEFT, GLUT_KEY_RIGHT}) {
    EXPECT_NE(MenuArrowAction(key), kMenuNoAction);
    EXPECT_EQ(MenuActionArrow(MenuArrowAction(key)), key);
  }
  EXPECT_EQ(MenuArrowAction(GLUT_KEY_F12), kMenuNoAction);
  EXPECT_EQ(make_tuple(MenuActionArrow(kMenuActionAccept), MenuActionArrow(kMenuActionBack)),
            make_tuple(0, 0));
}

// One table: each game key acts in play and is refused as a ball's key; other keys are neither.
TEST_F(Screens, EachGameKeyActsInPlayAndNoBallMayTakeIt) {
  ShowScreen(kScreenMatch);
  char why[kTextSize];
  for (unsigned char key : {'p', '+', '-', 'r', static_cast<char>(kKeyEscape)}) {
    const int detail = spheredetail, pause = paused;
    players[0]->x[curSlot(players[0])] += 3; // a restart puts it back
    const float h = ballH(players[0]);
    Key(key, 0, 0);
    const bool acted = paused != pause || spheredetail != detail || ballH(players[0]) != h ||
                       w().display == TitleScreen;
    EXPECT_TRUE(acted) << key;
    EXPECT_TRUE(IsGameKey(key) && KeyRefused(players[0], key, false, why, sizeof why)) << key;
  }
  for (unsigned char key : {'q', 'P', '='}) EXPECT_FALSE(IsGameKey(key)) << key;
}

// A ball's rope action asks for a rope when free and lets go when asked or tethered.
TEST_F(Screens, TheRopeActionTogglesAndCountsOnlyTheAsking) {
  player *p = players[0];
  p->block = kRopeFree;
  const int asked = p->attatches;
  for (int expected : {kRopeRequested, kRopeFree, kRopeRequested}) {
    RopeAction(p);
    EXPECT_EQ(p->block, expected);
  }
  EXPECT_EQ(p->attatches, asked + 2);
}
