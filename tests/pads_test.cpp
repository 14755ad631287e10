// Gamepads: SDL virtual pads plugged in, pressed and pulled out; what the game does with them.
#include "world_fixture.h"

#include "drawn_text.h"

#include <SDL.h>

#include <string>
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
