// The screens: the routines that make each one, installed in one place.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "replay.h"

namespace {

// A null key routine leaves the one installed before: the options' pages read the
// options' latched keys, and the leaderboard keeps the match's F12. Arcade play is a
// match like any other: the title's arrows must not linger in it.
constexpr Screen kScreens[] = {
    {kScreenTitle, "TitleScreen", TitleScreen, TitleKey, TitleSpecialKey, TitleAction},
    {kScreenMatch, "Display", Display, Key, SpecialKey, nullptr},
    {kScreenLevelSelect, "LevelSelect", LevelSelect, LevelKeys, SpecialLevelSelectKey, LevelSelectAction},
    {kScreenOptions, "Options", Options, OptionsKey, OptionsSpecialKey, OptionsAction},
    {kScreenOptionsBack, "Options", Options, nullptr, nullptr, nullptr},
    {kScreenPlayerSetup, "PlayerOptions", PlayerOptions, nullptr, nullptr, nullptr},
    {kScreenPowerUps, "PowerUpOptions", PowerUpOptions, nullptr, nullptr, nullptr},
    {kScreenHelp, "HelpView", HelpView, HelpKey, HelpSpecial, HelpAction},
    {kScreenCredits, "CreditsView", CreditsView, HelpKey, HelpSpecial, HelpAction},
    {kScreenLeaderBoard, "LeaderBoard", LeaderBoard, LeaderBoardKey, nullptr, LeaderBoardAction},
    {kScreenReplay, "ReplayScreen", ReplayScreen, ReplayKey, ReplaySpecialKey, ReplayAction},
    {kScreenOptionsMore, "MoreOptions", MoreOptions, OptionsKey, OptionsSpecialKey, OptionsAction},
    {kScreenKeyboardCheck, "KeyboardCheck", KeyboardCheck, KeyboardCheckKey, KeyboardCheckSpecialKey,
     KeyboardCheckAction},
};
static_assert(sizeof kScreens / sizeof kScreens[0] == kScreenCount, "one row per screen");

constexpr bool rowsInOrder() {
  for (int i = 0; i < kScreenCount; i++)
    if (kScreens[i].id != i) return false;
  return true;
}
static_assert(rowsInOrder(), "each screen's row at its own index");

// The menu actions go with the key routine they were installed with.
void (*shownMenuAction)(int action) = nullptr;
void (*shownKeyboard)(unsigned char, int, int) = nullptr;
int shownScreen = kScreenMatch; // start-up installs the match's routines

} // namespace

const Screen &ScreenRow(int screen) { return kScreens[screen]; }

void InstallScreen(const Screen &s) {
  shownScreen = s.id;
  glutDisplayFunc(s.display);
  if (s.keyboard) {
    glutKeyboardFunc(s.keyboard);
    shownKeyboard = s.keyboard;
    shownMenuAction = s.menuAction;
  }
  if (s.special) glutSpecialFunc(s.special);
}

void ShowScreen(int screen) {
  if (screen < 0 || screen >= kScreenCount) return;
  PadBindCancel(); // a press waited for on one screen must not bind on the next
  InstallScreen(kScreens[screen]);
}

int ShownScreen() { return shownScreen; }

// Every way out to the title starts the next match afresh.
void BackToTitle() {
  RecordMatchLeft();
  ShowScreen(kScreenTitle);
  ResetAll();
}

bool MatchKeysShown() { return shownKeyboard == Key; }

void MenuAction(int action) {
  if (shownMenuAction) shownMenuAction(action);
}

const char *ScreenDisplayName(void (*display)()) {
  for (const Screen &s : kScreens)
    if (s.display == display) return s.name;
  return nullptr;
}
