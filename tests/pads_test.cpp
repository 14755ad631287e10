// Gamepads: SDL virtual pads plugged in, pressed and pulled out; what the game does with them.
#include "world_fixture.h"

#include "drawn_text.h"
#include "padfeed.h"

#include <SDL.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <deque>
#include <vector>

namespace {

// A virtual pad as SDL sees a real one: a joystick with a controller mapping.
struct VirtualPad {
  SDL_Joystick *joystick = nullptr;
  int instance = -1;
  std::string guid;
};

// What the game asked of each pad's motors, by pad, in order.
std::vector<std::pair<int, Uint16>> rumbles;

int heardRumble(void *pad, Uint16 low, Uint16) {
  rumbles.emplace_back(static_cast<int>(reinterpret_cast<intptr_t>(pad)), low);
  return 0;
}

} // namespace

class Pads : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    ShowScreen(kScreenTitle); // out of a match, whatever the last test left installed
    ASSERT_TRUE(StartPads()) << SDL_GetError();
    rumbles.clear();
  }
  void TearDown() override {
    for (VirtualPad &p : pads_) unplug(p);
    StopPads();
    World::TearDown();
  }
  // Pads of the same product share a GUID.
  // Its rumble is heard in `rumbles` under its place among the pads plugged in this test.
  VirtualPad &plug(Uint16 product = 1) {
    VirtualPad p;
    p.joystick = PlugVirtualPad(product, heardRumble, reinterpret_cast<void *>(intptr_t(pads_.size())));
    EXPECT_NE(p.joystick, nullptr) << SDL_GetError();
    p.instance = SDL_JoystickInstanceID(p.joystick);
    char guid[kPadGuidSize];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(p.joystick), guid, sizeof guid);
    p.guid = guid;
    pads_.push_back(p);
    PollPads();
    return pads_.back();
  }
  void unplug(VirtualPad &p) {
    UnplugVirtualPad(p.joystick);
    p.joystick = nullptr;
    PollPads();
  }
  void press(VirtualPad &p, SDL_GameControllerButton b) {
    SDL_JoystickSetVirtualButton(p.joystick, b, SDL_PRESSED);
    PollPads();
    SDL_JoystickSetVirtualButton(p.joystick, b, SDL_RELEASED);
    PollPads();
  }
  void axis(VirtualPad &p, SDL_GameControllerAxis a, Sint16 value) {
    SDL_JoystickSetVirtualAxis(p.joystick, a, value);
    PollPads();
  }
  std::deque<VirtualPad> pads_; // references to a pad stay good as more are plugged
};

// Two pads of one kind are told apart by their order; a third kind starts its own count. A
// binding follows the identity, so the second pad of a kind plays what was bound to order 1.
TEST_F(Pads, PlugInIdenticalPadsAndTellThemApartByOrder) {
  VirtualPad &first = plug(1);
  VirtualPad &second = plug(1);
  VirtualPad &other = plug(2);
  ASSERT_EQ(first.guid, second.guid);
  ASSERT_NE(first.guid, other.guid);
  BindBallToPad(0, first.guid.c_str(), 1);
  BindBallToPad(5, other.guid.c_str(), 0);
  EXPECT_EQ(PadNumberOfBall(0), 2);
  EXPECT_EQ(PadNumberOfBall(5), 3);
  EXPECT_EQ(PadNumberOfBall(1), 0);
  EXPECT_TRUE(PadPresent(first.guid.c_str(), 1));
  EXPECT_FALSE(PadPresent(first.guid.c_str(), 2));
  unplug(pads_[1]);
  EXPECT_EQ(PadNumberOfBall(0), 0) << "unplugged, the ball is back on its keys";
  EXPECT_FALSE(PadPresent(first.guid.c_str(), 1));
  plug(1);
  EXPECT_EQ(PadNumberOfBall(0), 2) << "one of its kind takes the free slot and the free order";
}

// Without the subsystem nothing is polled and nothing is bound: the keyboard game is untouched.
TEST_F(Pads, WithoutTheSubsystemPollingDoesNothing) {
  StopPads();
  PollPads();
  PadsFrame();
  EXPECT_EQ(PadNumberOfBall(0), 0);
  EXPECT_EQ(paused, 0);
  EXPECT_STREQ(PadNotice(), "");
}

class PadPlay : public Pads {
protected:
  void SetUp() override {
    Pads::SetUp();
    InstallCallbacks(Display);
    for (int i = 0; i < numPlayers; i++) std::snprintf(players[i]->name, kNameSize, "P%d", i);
  }
  // The score bar's labels, as drawn.
  std::vector<std::string> labels() {
    headlessClearVertices();
    DrawScores();
    std::vector<std::string> out;
    // The panels are drawn on one baseline, a label shrunk to fit its panel reading as a line
    // of its own: join them, then cut at each ball's name.
    std::string bar;
    for (const DrawnLine &l : drawnLines())
      if (l.bottom == .4f) bar += l.text + " ";
    if (bar.rfind("P0: ", 0) != 0) return out;
    size_t at = 0;
    for (int i = 1; i <= kRosterSize; i++) {
      const size_t next = i < kRosterSize ? bar.find("P" + std::to_string(i) + ": ") : std::string::npos;
      std::string label = bar.substr(at, next == std::string::npos ? std::string::npos : next - at);
      out.push_back(label.erase(label.find_last_not_of(' ') + 1));
      at = next;
    }
    return out;
  }
  // A level list of one deathmatch level, for the ways back to the title that read it.
  void oneLevel() {
    std::string level = "nextlevel 0\nA level\nlevel -10 10 10 -10\ndeathmatch 10\nblock 0 0\n";
    for (int i = 0; i < kRosterSize; i++) level += "start " + std::to_string(i) + " 0 0 0\n";
    writeFile("level.def", level);
    ReadLevelFile("level.def");
  }
  bool drawnText(const std::string &text) {
    headlessClearVertices();
    DrawScores();
    for (const DrawnLine &l : drawnLines())
      if (l.text == text) return true;
    return false;
  }
};

// A bound pad plays its ball like its keys: south and either trigger ask for a rope and let go,
// east fires the power-up, Start pauses and plays on. Its bot ball and a stray button do nothing.
TEST_F(PadPlay, ButtonsOfABoundPadCallTheBallsActions) {
  VirtualPad &pad = plug();
  BindBallToPad(1, pad.guid.c_str(), 0);
  player *p = players[1];
  p->ai = kHuman, p->active = p->alive = 1;
  press(pad, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(p->block, kRopeRequested);
  press(pad, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(p->block, kRopeFree);
  for (SDL_GameControllerAxis trigger : {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT}) {
    axis(pad, trigger, 32767);
    EXPECT_EQ(p->block, kRopeRequested) << trigger;
    axis(pad, trigger, 20000); // still held: no second press
    EXPECT_EQ(p->block, kRopeRequested) << trigger;
    axis(pad, trigger, -32768); // the test mapping reads the whole axis as the pull
    LetGo(p);
  }
  p->powerUpType = kPowerNormalGravity;
  press(pad, SDL_CONTROLLER_BUTTON_X);
  EXPECT_EQ(p->powerUpType, kPowerNormalGravity);
  press(pad, SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(p->powerUpType, kPowerNone);
  press(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(paused, 1);
  press(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(paused, 0);
  p->ai = kComputer;
  press(pad, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(p->block, kRopeFree);
  EXPECT_EQ(players[0]->block, kRopeFree) << "no other ball moved";
  press(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(std::make_tuple(p->ai, paused), std::make_tuple(int{kHuman}, 0)) << "its bot ball is taken over";
}

// Start on a pad bound to nothing takes the first ball not in play, as a human, and the score
// bar says which pad plays it; the keyboard labels stay as they were. With no ball free, Start
// does nothing. Other buttons of an unbound pad do nothing either.
TEST_F(PadPlay, StartJoinsTheFirstFreeBallAndTheBarShowsThePad) {
  for (int i = 0; i < numPlayers; i++) players[i]->active = 1, players[i]->ai = kComputer;
  players[0]->ai = kHuman;
  players[2]->active = players[4]->active = 0;
  const std::vector<std::string> before = labels();
  ASSERT_EQ(before.size(), 6u);
  EXPECT_EQ(before[0], "P0: Z A");
  VirtualPad &first = plug();
  VirtualPad &second = plug();
  VirtualPad &third = plug();
  press(first, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(players[2]->active, 0);
  press(second, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(std::make_tuple(players[2]->active, players[2]->ai, playerPresent, PadNumberOfBall(2)),
            std::make_tuple(1, int{kHuman}, 2, 2));
  press(first, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(std::make_tuple(players[4]->active, players[4]->ai, PadNumberOfBall(4)),
            std::make_tuple(1, int{kHuman}, 1));
  press(third, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(PadNumberOfBall(3), 0);
  EXPECT_EQ(paused, 0) << "an unbound pad's Start does not pause";
  std::vector<std::string> after = labels();
  ASSERT_EQ(after.size(), 6u);
  EXPECT_EQ(after[2], "P2: Pad 2");
  EXPECT_EQ(after[4], "P4: Pad 1");
  after[2] = before[2], after[4] = before[4];
  EXPECT_EQ(after, before) << "every other label as it was";
  players[2]->alive = 1;
  press(second, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(players[2]->block, kRopeRequested) << "the pad now plays the ball it joined";
  players[4]->active = 0; // taken out from the bar: its pad's Start brings it back, not another
  players[3]->active = 0;
  press(first, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(std::make_tuple(players[4]->active, players[3]->active, paused), std::make_tuple(1, 0, 0));
  players[2]->active = 0; // out, but still pad 2's: a new pad passes it over
  press(third, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(std::make_tuple(players[2]->active, players[3]->active, PadNumberOfBall(3)),
            std::make_tuple(0, 1, 3));
}

// Pulled out mid-match, a bound pad pauses the game and says whose it was and how to go on;
// the label falls back to the keys. Plugged back (any pad of its kind) it plays on; or the
// ball's own key plays on without it.
TEST_F(PadPlay, UnpluggingMidMatchPausesUntilThePadOrTheKeyIsBack) {
  players[3]->active = 1, players[3]->ai = kHuman;
  VirtualPad &pad = plug(7);
  BindBallToPad(3, pad.guid.c_str(), 0);
  const std::string message = "P3's pad is gone: reconnect the pad, or press its key";
  unplug(pad);
  EXPECT_EQ(paused, 1);
  EXPECT_EQ(PadNotice(), message);
  EXPECT_TRUE(drawnText(message));
  EXPECT_FALSE(drawnText("Press P to play on"));
  EXPECT_EQ(labels()[3], "P3: / A");
  VirtualPad &again = plug(7);
  EXPECT_EQ(std::make_tuple(paused, std::string(PadNotice()), labels()[3]),
            std::make_tuple(0, std::string(), std::string("P3: Pad 1")));
  unplug(again);
  ASSERT_EQ(paused, 1);
  Key('/', 0, 0);
  EXPECT_EQ(std::make_tuple(paused, std::string(PadNotice())), std::make_tuple(0, std::string()));
  PadsFrame();
  plug(7);
  EXPECT_EQ(paused, 0) << "plugging back after play went on does not pause or unpause";
  unplug(plug(8));
  EXPECT_EQ(paused, 0) << "a pad bound to no ball leaves quietly";
  players[3]->ai = kComputer;
  unplug(pads_[2]);
  EXPECT_EQ(paused, 0) << "nor does the pad of a ball the computer plays";
}

// In menus the d-pad and the left stick move as the arrows do, a held direction repeats after a
// delay counted in frames, south accepts and east goes back.
TEST_F(PadPlay, MenusWalkByPadWithAFrameCountedRepeat) {
  oneLevel();
  Reshape(800, 480);
  auto frame = [] {
    headlessClearVertices();
    headlessState().display();
  };
  int pointer = 10; // a moved pointer drops the title's focus: each walk starts from none
  auto noFocus = [&] {
    ShowScreen(kScreenTitle);
    headlessState().passiveMotion(++pointer, 10);
    frame();
  };
  // The focus after n moves right by the arrow key, from none.
  auto byArrows = [&](int n) {
    noFocus();
    for (int k = 0; k < n; k++) {
      headlessState().special(GLUT_KEY_RIGHT, 0, 0);
      frame();
    }
    return TitleFocus();
  };
  VirtualPad &pad = plug();
  for (int held : {1, 14, 15, 19, 20, 25}) {
    const int moves = 1 + (held >= 15) + (held >= 20) + (held >= 25);
    const int want = byArrows(moves);
    noFocus();
    SDL_JoystickSetVirtualButton(pad.joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_PRESSED);
    for (int f = 0; f < held; f++) {
      PollPads();
      frame();
    }
    EXPECT_EQ(TitleFocus(), want) << "held for " << held << " polls";
    SDL_JoystickSetVirtualButton(pad.joystick, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_RELEASED);
    PollPads();
  }
  // The stick: down to Options (Play, then down), and south takes it; east comes back.
  byArrows(0);
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 30000);
  frame();
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 12000); // between release and press: still held, no move
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  axis(pad, SDL_CONTROLLER_AXIS_LEFTY, 30000);
  axis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  frame();
  EXPECT_EQ(TitleFocus(), kTitleOptions);
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, -30000); // and left, to Credits
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  frame();
  EXPECT_EQ(TitleFocus(), kTitleCredits);
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 30000); // back to Options
  axis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  frame();
  press(pad, SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(headlessState().display, Options);
  press(pad, SDL_CONTROLLER_BUTTON_B);
  frame();
  EXPECT_EQ(headlessState().display, TitleScreen);
  // Play, then Go! in the level select: a match, where the pad no longer walks menus.
  press(pad, SDL_CONTROLLER_BUTTON_A);
  frame();
  EXPECT_EQ(headlessState().display, LevelSelect);
  press(pad, SDL_CONTROLLER_BUTTON_A);
  frame();
  EXPECT_EQ(headlessState().display, Display);
  EXPECT_TRUE(MatchKeysShown());
}

// The preferences keep a ball's pad and the rumble switch, in lines only written when used. Read
// back with the pad away, the binding is kept, the ball plays by its keys and one line says so;
// the pad plugged in plays it again.
TEST_F(Pads, PreferencesKeepABindingAndTheRumbleAcrossARestart) {
  const std::string guid = plug(3).guid;
  BindBallToPad(2, guid.c_str(), 0);
  padRumble = 0;
  ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
  const std::string written = readFile("prefs.def");
  const std::string tail = "sound 4\npad 2 " + guid + " 0\nrumble 0\n";
  ASSERT_GE(written.size(), tail.size());
  EXPECT_EQ(written.substr(written.size() - tail.size()), tail);
  unplug(pads_.back());
  ResetPads();
  testing::internal::CaptureStderr();
  ReadLevelFile("prefs.def");
  const std::string told = testing::internal::GetCapturedStderr();
  char read[kPadGuidSize] = "";
  int order = -1;
  ASSERT_TRUE(BallPadBinding(2, read, order));
  EXPECT_EQ(std::make_tuple(std::string(read), order, padRumble, PadNumberOfBall(2)),
            std::make_tuple(guid, 0, 0, 0));
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
  EXPECT_NE(told.find("prefs.def:"), std::string::npos) << told;
  EXPECT_NE(told.find("Orange's pad is not plugged in"), std::string::npos) << told;
  plug(3);
  EXPECT_EQ(PadNumberOfBall(2), 1);
  ASSERT_EQ(WritePrefsTo("again.def"), 0);
  EXPECT_EQ(readFile("again.def"), written) << "written again, byte for byte the same";
}

// Damaged pad lines are refused with the file and line and change nothing; a file without pad
// lines binds nothing and leaves the rumble on.
TEST_F(Pads, DamagedPadLinesAreRefusedWithTheirLine) {
  const std::string guid(32, 'a');
  const std::pair<std::string, std::string> cases[] = {
      {"pad 2", "\"pad\" line is damaged"},
      {"pad 2 " + guid, "\"pad\" line is damaged"},
      {"pad 6 " + guid + " 0", "\"pad\" ball outside the roster"},
      {"pad -1 " + guid + " 0", "\"pad\" ball outside the roster"},
      {"pad 2 " + guid + "a 0", "\"pad\" GUID is not 32 hexadecimal digits"},
      {"pad 2 " + std::string(31, 'a') + "g 0", "\"pad\" GUID is not 32 hexadecimal digits"},
      {"pad 2 " + guid + " 8", "\"pad\" order outside 0..7"},
      {"rumble 2", "\"rumble\" must be 0 or 1"},
  };
  for (const auto &[line, why] : cases) {
    ResetPads();
    ForgetReaderWarnings();
    writeFile("prefs.def", "sound 4\n" + line + "\n");
    testing::internal::CaptureStderr();
    ReadLevelFile("prefs.def");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("prefs.def:2: " + why), std::string::npos) << line << ": " << told;
    EXPECT_NE(told.find("line ignored"), std::string::npos) << line;
    char read[kPadGuidSize];
    int order = 0;
    EXPECT_FALSE(BallPadBinding(2, read, order)) << line;
    EXPECT_EQ(padRumble, 1) << line;
  }
  writeFile("prefs.def", "sound 2\n");
  ReadLevelFile("prefs.def");
  char read[kPadGuidSize];
  int order = 0;
  for (int i = 0; i < kRosterSize; i++) EXPECT_FALSE(BallPadBinding(i, read, order)) << i;
  EXPECT_EQ(std::make_tuple(padRumble, soundMode), std::make_tuple(1, 2));
}

// Player setup shows a "Pad" line under the keys only when a pad is there. Choosing it takes the
// next press as the rope button and the one after, on the same pad, as the power-up button;
// Start, a button another ball plays, the same button twice and another pad are refused.
TEST_F(PadPlay, PlayerSetupBindsAPadByTwoPressesAndRefusesWhatIsTaken) {
  Reshape(800, 480);
  auto frame = [] {
    headlessClearVertices();
    headlessState().display();
  };
  auto shown = [](const std::string &text) {
    for (const DrawnLine &l : drawnLines())
      if (l.text.find(text) != std::string::npos) return true;
    return false;
  };
  players[0]->ai = players[1]->ai = kHuman;
  players[0]->active = players[1]->active = players[0]->alive = players[1]->alive = 1;
  playerSelected = 1;
  OpenOptions(); // the setup page reads the options' keys
  ShowScreen(kScreenPlayerSetup);
  frame();
  EXPECT_FALSE(shown("Pad:")) << "no pad, no line: the page is as it always was";
  VirtualPad &pad = plug();
  VirtualPad &other = plug(2);
  BindBallToPad(0, pad.guid.c_str(), 0);
  ASSERT_TRUE(SetBallPadButtons(0, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_LEFTSHOULDER));
  frame();
  ASSERT_TRUE(shown("Pad:"));
  EXPECT_TRUE(shown("None (choose it, then press)"));
  for (int k = 0; k < 3; k++) press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN), frame(); // OK, Key, Powerup Key, Pad
  press(pad, SDL_CONTROLLER_BUTTON_A);
  frame();
  ASSERT_EQ(PadBindStage(), kPadBindRope);
  EXPECT_TRUE(shown("Press its rope button on a pad"));
  const std::pair<SDL_GameControllerButton, const char *> refusals[] = {
      {SDL_CONTROLLER_BUTTON_START, "Start and Guide are the pad's own"},
      {SDL_CONTROLLER_BUTTON_X, "X on Pad 1 plays P0"},
  };
  for (auto [button, why] : refusals) {
    press(pad, button);
    frame();
    EXPECT_EQ(PadBindStage(), kPadBindRope) << why;
    EXPECT_TRUE(shown(why)) << why;
  }
  press(pad, SDL_CONTROLLER_BUTTON_Y);
  frame();
  EXPECT_FALSE(shown("plays P0")) << "a press taken clears the last refusal";
  press(pad, SDL_CONTROLLER_BUTTON_Y);
  frame();
  EXPECT_TRUE(shown("That is its rope button"));
  press(other, SDL_CONTROLLER_BUTTON_B);
  frame();
  EXPECT_TRUE(shown("on the same pad"));
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  frame();
  EXPECT_EQ(PadBindStage(), kPadBindNone);
  EXPECT_TRUE(shown("Pad 1: Y / RT")) << "the second ball on a pad is shown on it too";
  EXPECT_FALSE(shown("plays")) << "the refusal goes once the pad is bound";
  EXPECT_EQ(headlessState().display, PlayerOptions) << "no press on the way walked the menu";
  // In play each ball hears only its own buttons; south and the left trigger are nobody's now,
  // the right trigger is ball 1's power-up and not also a rope.
  InstallCallbacks(Display);
  press(pad, SDL_CONTROLLER_BUTTON_Y);
  EXPECT_EQ(std::make_tuple(players[0]->block, players[1]->block), std::make_tuple(kRopeFree, kRopeRequested));
  LetGo(players[1]);
  press(pad, SDL_CONTROLLER_BUTTON_A);
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  EXPECT_EQ(std::make_tuple(players[0]->block, players[1]->block), std::make_tuple(kRopeFree, kRopeFree));
  players[1]->powerUpType = kPowerNormalGravity;
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_EQ(std::make_tuple(players[1]->powerUpType, players[1]->block), std::make_tuple(int{kPowerNone}, kRopeFree));
  press(pad, SDL_CONTROLLER_BUTTON_X);
  EXPECT_EQ(players[0]->block, kRopeRequested);
}

// Two balls on one pad with the out-of-the-box buttons for one of them: the triggers rope it,
// unless the other ball took a trigger for itself. Backspace on the line forgets the pad; a key
// while setup waits stops waiting; leaving the page stops it too.
TEST_F(PadPlay, TriggersRopeTheDefaultBallAndTheLineForgetsAndStopsWaiting) {
  players[0]->ai = players[1]->ai = kHuman;
  players[0]->active = players[1]->active = players[0]->alive = players[1]->alive = 1;
  VirtualPad &pad = plug();
  BindBallToPad(0, pad.guid.c_str(), 0);
  BindBallToPad(1, pad.guid.c_str(), 0);
  ASSERT_TRUE(SetBallPadButtons(1, kPadTriggerLeft, SDL_CONTROLLER_BUTTON_X));
  EXPECT_FALSE(SetBallPadButtons(1, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_X));
  EXPECT_FALSE(SetBallPadButtons(1, kPadCodes, SDL_CONTROLLER_BUTTON_X));
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_EQ(std::make_tuple(players[0]->block, players[1]->block), std::make_tuple(kRopeRequested, kRopeRequested))
      << "left is ball 1's rope; right is still ball 0's second rope";
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  EXPECT_EQ(std::make_tuple(players[0]->block, players[1]->block), std::make_tuple(kRopeRequested, kRopeFree));

  Reshape(800, 480);
  playerSelected = 1;
  OpenOptions();
  ShowScreen(kScreenPlayerSetup);
  for (int k = 0; k < 3; k++) headlessState().special(GLUT_KEY_DOWN, 0, 0), headlessState().display();
  headlessState().keyboard(' ', 0, 0);
  headlessState().display();
  EXPECT_EQ(PadBindStage(), kPadBindRope);
  headlessState().keyboard('q', 0, 0);
  headlessState().display();
  EXPECT_EQ(PadBindStage(), kPadBindNone) << "a key stops the wait";
  headlessState().keyboard(' ', 0, 0);
  headlessState().display();
  ShowScreen(kScreenOptionsBack);
  EXPECT_EQ(PadBindStage(), kPadBindNone) << "so does leaving the page";
  ShowScreen(kScreenPlayerSetup);
  headlessState().keyboard(8, 0, 0); // Backspace
  headlessState().display();
  char guid[kPadGuidSize];
  int order;
  EXPECT_FALSE(BallPadBinding(1, guid, order));
  EXPECT_TRUE(BallPadBinding(0, guid, order));
}

// A collision shakes the pads of both balls briefly, a death hard; only pads that play a ball
// shake, and the switch in the options stops it all.
TEST_F(PadPlay, RumbleOnCollisionAndDeathOnlyForBoundPadsAndOnlyWhenOn) {
  VirtualPad &a = plug(), &b = plug(), &idle = plug();
  (void)idle;
  BindBallToPad(0, a.guid.c_str(), 0);
  BindBallToPad(1, b.guid.c_str(), 1);
  placeBall(players[0], -.25f, 0, .1f, 0); // head on
  placeBall(players[1], .25f, 0, -.1f, 0);
  players[0]->moveDelay = players[1]->moveDelay = 0;
  CollidePlayers(players[0], players[1]);
  ASSERT_EQ(rumbles.size(), 2u);
  EXPECT_EQ(std::make_pair(rumbles[0].first, rumbles[1].first), std::make_pair(0, 1));
  const Uint16 hit = rumbles[0].second;
  EXPECT_GT(hit, 0);
  rumbles.clear();
  RumbleBall(players[1], kRumbleDeath);
  RumbleBall(players[2], kRumbleDeath);
  ASSERT_EQ(rumbles.size(), 1u);
  EXPECT_EQ(rumbles[0].first, 1);
  EXPECT_GT(rumbles[0].second, hit) << "a death is felt harder than a knock";
  rumbles.clear();
  padRumble = 0;
  RumbleBall(players[0], kRumbleDeath);
  EXPECT_TRUE(rumbles.empty());
}

// The rumble switch sits on the options' second page; Cancel puts it back, OK saves it.
TEST_F(PadPlay, TheRumbleSwitchIsAnOptionAndCancelPutsItBack) {
  oneLevel();
  StartupReads(true); // prefs.def now holds the start-up settings
  Reshape(800, 480);
  auto lines = [] {
    headlessClearVertices();
    headlessState().display();
    std::vector<std::string> out;
    for (const DrawnLine &l : drawnLines()) out.push_back(l.text);
    return out;
  };
  VirtualPad &pad = plug();
  auto toRumble = [&] { // from OK: up wraps to More, then down past Back, the check, the view and the text size
    ResetMenus();
    OpenOptions();
    lines();
    press(pad, SDL_CONTROLLER_BUTTON_DPAD_UP);
    lines();
    press(pad, SDL_CONTROLLER_BUTTON_A);
    lines();
    EXPECT_EQ(headlessState().display, MoreOptions);
    for (int k = 0; k < 4; k++) press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN), lines();
    press(pad, SDL_CONTROLLER_BUTTON_A);
  };
  toRumble();
  std::vector<std::string> drawn = lines();
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "Pad rumble: Off"), 1);
  press(pad, SDL_CONTROLLER_BUTTON_B); // Cancel
  EXPECT_EQ(padRumble, 1);
  toRumble();
  lines();
  headlessState().keyboard(kKeyEscape, 0, 0);
  EXPECT_EQ(padRumble, 1) << "Escape cancels too";
  toRumble();
  lines();
  for (int k = 0; k < 4; k++) press(pad, SDL_CONTROLLER_BUTTON_DPAD_UP), lines(); // Back
  press(pad, SDL_CONTROLLER_BUTTON_A);
  lines();
  EXPECT_EQ(headlessState().display, Options);
  press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN); // the options kept their line: More, then OK
  lines();
  press(pad, SDL_CONTROLLER_BUTTON_A);
  lines();
  EXPECT_EQ(padRumble, 0);
  EXPECT_NE(readFile("prefs.def").find("\nrumble 0\n"), std::string::npos);
}

// A ball's own buttons are kept in the preferences by SDL's names, and only when they are not
// south and east; damaged button fields are refused with the line.
TEST_F(Pads, PreferencesKeepABallsButtonsAndRefuseDamagedOnes) {
  const std::string guid = plug(4).guid;
  BindBallToPad(3, guid.c_str(), 0);
  SetBallPadButtons(3, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, kPadTriggerRight);
  ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
  EXPECT_NE(readFile("prefs.def").find("\npad 3 " + guid + " 0 leftshoulder righttrigger\n"), std::string::npos);
  ResetPads();
  ReadLevelFile("prefs.def");
  int rope, powerUp;
  BallPadButtons(3, rope, powerUp);
  EXPECT_EQ(std::make_pair(rope, powerUp), std::make_pair(int{SDL_CONTROLLER_BUTTON_LEFTSHOULDER}, kPadTriggerRight));
  const std::pair<std::string, std::string> cases[] = {
      {" x", "\"pad\" buttons are damaged"},
      {" x y z", "\"pad\" buttons are damaged"},
      {" x jump", "\"pad\" button is not one SDL names"},
      {" dpup dpup", "\"pad\" rope and powerup buttons are the same"},
  };
  for (const auto &[tail, why] : cases) {
    ResetPads();
    ForgetReaderWarnings();
    writeFile("prefs.def", "sound 4\npad 3 " + guid + " 0" + tail + "\n");
    testing::internal::CaptureStderr();
    ReadLevelFile("prefs.def");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("prefs.def:2: " + why), std::string::npos) << tail << ": " << told;
    char read[kPadGuidSize];
    int order;
    EXPECT_FALSE(BallPadBinding(3, read, order)) << tail;
  }
}

// The feed plugs virtual pads into the running game from lines written to a file as it grows;
// a line is read once it ends, and a bad one is named by its line.
TEST_F(PadPlay, TheFeedPlugsAndPressesPadsFromAGrowingFile) {
  writeFile("feed", "# a walk\npad 1 connect\npad 1 start do");
  ASSERT_TRUE(StartPadFeed("feed"));
  players[0]->active = 0;
  PollPads();
  EXPECT_TRUE(AnyPadConnected());
  EXPECT_EQ(players[0]->active, 0) << "half a line waits for its end";
  FILE *f = std::fopen("feed", "a");
  std::fputs("wn\npad 1 start up\npad 9 connect\npad 1 jump down\npad 1 connect\npad 2 a down\n", f);
  std::fclose(f);
  testing::internal::CaptureStderr();
  PollPads();
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::make_tuple(players[0]->active, PadNumberOfBall(0)), std::make_tuple(1, 1));
  EXPECT_NE(told.find("feed:5: not a pad line"), std::string::npos) << told;
  EXPECT_NE(told.find("feed:6: unknown pad button"), std::string::npos) << told;
  EXPECT_NE(told.find("feed:8: not a pad line, or its pad is not connected"), std::string::npos) << told;
  EXPECT_EQ(SDL_NumJoysticks(), 1) << "connecting a connected pad plugs no second one";
  f = std::fopen("feed", "a");
  std::fputs("pad 1 disconnect\n", f);
  std::fclose(f);
  PollPads();
  EXPECT_FALSE(AnyPadConnected());
  StopPadFeed();
}

// A ball kept for a pad that is not plugged in is free to a pad that joins: its binding moves to
// the pad that took it, with the out-of-the-box buttons.
TEST_F(PadPlay, AJoiningPadTakesABallWhosePadIsAway) {
  for (int i = 0; i < numPlayers; i++) players[i]->active = 1, players[i]->ai = kComputer;
  players[1]->active = 0;
  BindBallToPad(1, std::string(32, 'e').c_str(), 0);
  SetBallPadButtons(1, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y);
  VirtualPad &pad = plug();
  press(pad, SDL_CONTROLLER_BUTTON_START);
  char guid[kPadGuidSize];
  int order, rope, powerUp;
  ASSERT_TRUE(BallPadBinding(1, guid, order));
  BallPadButtons(1, rope, powerUp);
  EXPECT_EQ(std::make_tuple(players[1]->active, std::string(guid), PadNumberOfBall(1), rope),
            std::make_tuple(1, pad.guid, 1, int{SDL_CONTROLLER_BUTTON_A}));
}
