// Gamepads: SDL virtual pads plugged in, pressed and pulled out; what the game does with them.
#include "world_fixture.h"

#include "drawn_text.h"

#include <SDL.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <deque>
#include <vector>

namespace {

// Buttons b0..b14 in SDL's own button order; axes a0..a5 in its axis order.
constexpr const char *kTestMapping =
    ",Tethrix test pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
    "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,"
    "dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,";

// A virtual pad as SDL sees a real one: a joystick with a controller mapping.
struct VirtualPad {
  SDL_Joystick *joystick = nullptr;
  int instance = -1;
  std::string guid;
};

} // namespace

class Pads : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    ShowScreen(kScreenTitle); // out of a match, whatever the last test left installed
    ASSERT_TRUE(StartPads()) << SDL_GetError();
  }
  void TearDown() override {
    for (VirtualPad &p : pads_) unplug(p);
    StopPads();
    World::TearDown();
  }
  // Pads of the same product share a GUID.
  VirtualPad &plug(Uint16 product = 1) {
    SDL_VirtualJoystickDesc d{};
    d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    d.naxes = SDL_CONTROLLER_AXIS_MAX;
    d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    d.vendor_id = 0x7e7;
    d.product_id = product;
    d.name = "Tethrix test pad";
    const int index = SDL_JoystickAttachVirtualEx(&d);
    EXPECT_GE(index, 0) << SDL_GetError();
    char guid[kPadGuidSize];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    EXPECT_GE(SDL_GameControllerAddMapping((guid + std::string(kTestMapping)).c_str()), 0);
    VirtualPad p;
    p.joystick = SDL_JoystickOpen(index);
    p.instance = SDL_JoystickInstanceID(p.joystick);
    p.guid = guid;
    pads_.push_back(p);
    PollPads();
    return pads_.back();
  }
  void unplug(VirtualPad &p) {
    if (!p.joystick) return;
    SDL_JoystickClose(p.joystick);
    p.joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); i++)
      if (SDL_JoystickGetDeviceInstanceID(i) == p.instance) SDL_JoystickDetachVirtual(i);
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
    for (const DrawnLine &l : drawnLines()) {
      if (l.text.rfind("P0: ", 0) != 0) continue;
      // The panels are drawn on one baseline: cut the line at each ball's name.
      size_t at = 0;
      for (int i = 1; i <= kRosterSize; i++) {
        const size_t next = i < kRosterSize ? l.text.find("P" + std::to_string(i) + ": ") : std::string::npos;
        std::string label = l.text.substr(at, next == std::string::npos ? std::string::npos : next - at);
        out.push_back(label.erase(label.find_last_not_of(' ') + 1));
        at = next;
      }
    }
    return out;
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
  std::string level = "nextlevel 0\nA level\nlevel -10 10 10 -10\ndeathmatch 10\nblock 0 0\n";
  for (int i = 0; i < kRosterSize; i++) level += "start " + std::to_string(i) + " 0 0 0\n";
  writeFile("level.def", level);
  ReadLevelFile("level.def");
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
