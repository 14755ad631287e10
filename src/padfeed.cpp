// Virtual pads: SDL joysticks made in this process, for tests, benchmarks and a scripted walk of
// the real game (TETHRIX_PAD_FEED), so a pad's whole path runs without hardware.
#include "padfeed.h"

#include "TethrixExtern.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Buttons b0..b20 in SDL's own button order; axes a0..a5 in its axis order.
constexpr const char *kVirtualMapping =
    ",Tethrix virtual pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
    "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,"
    "dpright:b14,misc1:b15,paddle1:b16,paddle2:b17,paddle3:b18,paddle4:b19,touchpad:b20,"
    "leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,";
constexpr Uint16 kVirtualVendor = 0x7e7;

// The feed's pads, by the number its lines give them (1..kMaxPads).
SDL_Joystick *fed[kMaxPads + 1];
FILE *feed;
std::string feedName;
int feedLine;
std::string pending; // a line whose end has not been written yet

void feedWarn(const char *what) {
  std::fprintf(stderr, "%s:%d: %s; line ignored\n", feedName.c_str(), feedLine, what);
}

void feedButton(int n, const char *name, bool down) {
  const int code = PadCodeOfName(name);
  if (code == kNoPadCode) return feedWarn("unknown pad button");
  if (code == kPadTriggerLeft || code == kPadTriggerRight) {
    const int axis = code == kPadTriggerLeft ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    SDL_JoystickSetVirtualAxis(fed[n], axis, down ? SDL_JOYSTICK_AXIS_MAX : SDL_JOYSTICK_AXIS_MIN);
    return;
  }
  SDL_JoystickSetVirtualButton(fed[n], code, down ? SDL_PRESSED : SDL_RELEASED);
}

// Each change becomes SDL's event at once, so a press and its release in one frame both count.
void feedButtonNow(int n, const char *name, bool down) {
  feedButton(n, name, down);
  SDL_JoystickUpdate();
}

// "pad N connect|disconnect" or "pad N BUTTON down|up", as the sim's key files say it.
void feedStatement(const char *line) {
  int n = 0;
  char what[32] = "", state[8] = "", extra;
  const int got = std::sscanf(line, "pad %d %31s %7s %c", &n, what, state, &extra);
  if (got < 2 || got > 3 || n < 1 || n > kMaxPads) return feedWarn("not a pad line");
  if (got == 2 && std::strcmp(what, "connect") == 0) {
    if (!fed[n]) fed[n] = PlugVirtualPad(1);
  } else if (got == 2 && std::strcmp(what, "disconnect") == 0) {
    UnplugVirtualPad(fed[n]);
    fed[n] = nullptr;
  } else if (got == 3 && fed[n] && (!std::strcmp(state, "down") || !std::strcmp(state, "up"))) {
    feedButtonNow(n, what, std::strcmp(state, "down") == 0);
  } else {
    feedWarn("not a pad line, or its pad is not connected");
  }
}

} // namespace

SDL_Joystick *PlugVirtualPad(int product, VirtualRumble rumble, void *userdata) {
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.vendor_id = kVirtualVendor;
  d.product_id = static_cast<Uint16>(product);
  d.name = "Tethrix virtual pad";
  d.Rumble = rumble;
  d.userdata = userdata;
  const int index = SDL_JoystickAttachVirtualEx(&d);
  if (index < 0) return nullptr;
  char guid[kPadGuidSize];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
  SDL_GameControllerAddMapping((guid + std::string(kVirtualMapping)).c_str());
  SDL_Joystick *j = SDL_JoystickOpen(index);
  // Triggers rest fully out; the joystick's axes start at the middle.
  if (j) SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
  if (j) SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
  return j;
}

void UnplugVirtualPad(SDL_Joystick *pad) {
  if (!pad) return;
  const SDL_JoystickID instance = SDL_JoystickInstanceID(pad);
  SDL_JoystickClose(pad);
  for (int i = 0; i < SDL_NumJoysticks(); i++)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
}

bool StartPadFeed(const char *path) {
  feed = std::fopen(path, "r");
  if (!feed) {
    std::fprintf(stderr, "%s: cannot read the pad feed: %s\n", path, std::strerror(errno));
    return false;
  }
  feedName = path;
  feedLine = 0;
  pending.clear();
  return true;
}

// Whole lines written since the last frame; a file still being written is read on next time.
void PadFeedFrame() {
  if (!feed) return;
  int ch;
  while ((ch = std::fgetc(feed)) != EOF) {
    if (ch != '\n') {
      if (pending.size() < static_cast<size_t>(kLineSize)) pending += static_cast<char>(ch);
      continue;
    }
    feedLine++;
    if (!pending.empty() && pending[0] != '#') feedStatement(pending.c_str());
    pending.clear();
  }
  std::clearerr(feed);
}

void StopPadFeed() {
  for (SDL_Joystick *&j : fed) {
    UnplugVirtualPad(j);
    j = nullptr;
  }
  if (feed) std::fclose(feed);
  feed = nullptr;
}
