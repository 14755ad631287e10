// The keyboard check: presses as they arrive, the pairs a keyboard drops, and spare keys offered.
#include "drawn_text.h"
#include "inclGL.h"
#include "world_fixture.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

const char kKeys[] = "zae4bgi80169"; // rope then power-up key, ball by ball

bool drawn(const std::string &text) {
  for (const DrawnLine &l : drawnLines())
    if (l.text.find(text) != std::string::npos) return true;
  return false;
}

} // namespace

class Rollover : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    for (int i = 0; i < numPlayers; i++) {
      players[i]->key = kKeys[2 * i], players[i]->powerUpKey = kKeys[2 * i + 1];
      players[i]->active = 1, players[i]->ai = kHuman;
    }
    RolloverReset();
  }
  // Everyone holds their keys; the keyboard loses `lost`; `spares` are held too.
  void holdAll(const std::string &lost, const std::string &spares) {
    for (const char *k = kKeys; *k; k++)
      if (lost.find(*k) == std::string::npos) RolloverDown(static_cast<unsigned char>(*k));
    for (char k : spares) RolloverDown(static_cast<unsigned char>(k));
  }
  std::vector<RolloverSuggestion> suggestions() {
    RolloverSuggestion s[12];
    return std::vector<RolloverSuggestion>(s, s + RolloverSuggestions(s, 12));
  }
};

// Two keys lost with all held: their pairs are named, each lost key is offered a spare that
// arrived with the rest (never a game key nor another ball's), and taking one sets it.
TEST_F(Rollover, LostKeysNameTheirPairsAndSparesThatCameAreOffered) {
  holdAll("g8", "pkm");
  EXPECT_EQ(RolloverMostHeld(), 13);
  std::vector<int> dropped;
  for (int i = 0; i < numPlayers; i++)
    if (RolloverPairDropped(i)) dropped.push_back(i);
  EXPECT_EQ(dropped, (std::vector<int>{2, 3}));
  EXPECT_EQ(std::make_tuple(RolloverKeyState(2, kCheckRopeKey), RolloverKeyState(2, kCheckPowerUpKey)),
            std::make_tuple(int{kCheckKeyHeld}, int{kCheckKeyMissing}));
  const std::vector<RolloverSuggestion> s = suggestions();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(std::make_tuple(s[0].ball, s[0].which, s[0].key), std::make_tuple(2, int{kCheckPowerUpKey}, 'k'));
  EXPECT_EQ(std::make_tuple(s[1].ball, s[1].which, s[1].key), std::make_tuple(3, int{kCheckPowerUpKey}, 'm'));
  char why[kTextSize] = "";
  ASSERT_TRUE(TakeRolloverSuggestion(s[0], why, sizeof why)) << why;
  EXPECT_EQ(players[2]->powerUpKey, 'k');
  EXPECT_FALSE(RolloverPairDropped(2)) << "k came with the others";
  EXPECT_EQ(suggestions().size(), 1u);
}

// The most held is kept after the keys come up; a key pressed on its own later came, but not
// with the others; a keyboard that sent no spare gets no suggestion, only its limit.
TEST_F(Rollover, ThePeakIsKeptAndAKeyThatCameAloneIsToldApart) {
  holdAll("0169", "");
  for (const char *k = kKeys; *k; k++) RolloverUp(static_cast<unsigned char>(*k));
  RolloverUp('z'); // a release twice changes nothing
  RolloverDown('0');
  EXPECT_EQ(RolloverMostHeld(), 8);
  EXPECT_EQ(std::make_tuple(RolloverKeyState(0, kCheckRopeKey), RolloverKeyState(4, kCheckRopeKey),
                            RolloverKeyState(4, kCheckPowerUpKey)),
            std::make_tuple(int{kCheckKeyTogether}, int{kCheckKeyHeld}, int{kCheckKeyMissing}));
  RolloverUp('0');
  EXPECT_EQ(RolloverKeyState(4, kCheckRopeKey), kCheckKeyAlone);
  EXPECT_TRUE(RolloverPairDropped(4));
  EXPECT_TRUE(RolloverPairDropped(5));
  EXPECT_TRUE(suggestions().empty());
  // Only balls played by people in play are asked for, unless nobody is.
  players[4]->ai = players[5]->ai = kComputer;
  EXPECT_FALSE(RolloverBallChecked(4));
  EXPECT_TRUE(RolloverBallChecked(0));
  for (int i = 1; i < numPlayers; i++) players[i]->ai = kComputer;
  EXPECT_FALSE(RolloverBallChecked(1)) << "Red alone is a person in play";
  EXPECT_FALSE(RolloverPairDropped(4));
  for (int i = 0; i < numPlayers; i++) players[i]->active = 0;
  EXPECT_TRUE(RolloverBallChecked(4));
}

// The screen from the options: every key a press to check, the releases heard from the window,
// the lost pair and the offer drawn, Return takes it and Escape goes back to the page.
TEST_F(Rollover, TheCheckScreenHearsKeysShowsTheOfferAndTakesItWithReturn) {
  Reshape(800, 480);
  InstallCallbacks(TitleScreen);
  OpenOptions();
  ShowScreen(kScreenOptionsMore);
  OpenKeyboardCheck();
  HeadlessState &w = headlessState();
  for (const char *k = kKeys; *k; k++)
    if (*k != '4') w.keyboard(static_cast<unsigned char>(*k), 0, 0);
  w.keyboard('k', 0, 0);
  w.keyboardUp('z', 0, 0);
  headlessClearVertices();
  w.display();
  EXPECT_TRUE(drawn("dropped with the others held"));
  EXPECT_TRUE(drawn("Yellow: powerup key K instead of 4"));
  EXPECT_EQ(RolloverKeyState(0, kCheckRopeKey), kCheckKeyTogether) << "z came up";
  w.keyboard(kKeyReturn, 0, 0);
  EXPECT_EQ(players[1]->powerUpKey, 'k');
  headlessClearVertices();
  w.display();
  EXPECT_TRUE(drawn("Yellow now uses K"));
  w.keyboard(kKeyEscape, 0, 0);
  EXPECT_EQ(w.display, MoreOptions);
}

// The options' second page steps the colour vision on; leaving the options without OK puts back
// the view they were opened with.
TEST_F(Rollover, TheSecondPageStepsTheColourVisionAndCancelPutsItBack) {
  writeFile("level.def", "nextlevel 0\nA level\nlevel -10 10 10 -10\ndeathmatch 10\nblock 0 0\n");
  ReadLevelFile("level.def");
  Reshape(800, 480);
  InstallCallbacks(TitleScreen);
  OpenOptions();
  HeadlessState &w = headlessState();
  headlessClearVertices();
  w.display();
  EXPECT_TRUE(drawn("More: keyboard check, colour vision, UI scale, pads"));
  ShowScreen(kScreenOptionsMore);
  w.display();
  for (int k = 0; k < 2; k++) w.special(GLUT_KEY_DOWN, 0, 0), w.display();
  for (int k = 0; k < 2; k++) w.keyboard(' ', 0, 0), w.display();
  EXPECT_EQ(colourVision, kColourVisionDeuteranopia);
  headlessClearVertices();
  w.display();
  EXPECT_TRUE(drawn("Colour vision: Deuteranopia"));
  w.keyboard(kKeyEscape, 0, 0);
  EXPECT_EQ(colourVision, kColourVisionNormal);
}
