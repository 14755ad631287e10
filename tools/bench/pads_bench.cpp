// Cost of the idle routine's pad poll with six pads plugged in: quiet, and with a held stick.
#include <benchmark/benchmark.h>

#include "TethrixExtern.h"
#include "padfeed.h"
#include "sim_world.h"

#include <vector>

namespace {

constexpr int kBenchPads = 6;

struct SixPads {
  std::vector<SDL_Joystick *> pads;
  SixPads() {
    SimBenchMatch(TETHRIX_BENCH_DATA);
    StartPads();
    for (int i = 0; i < kBenchPads; i++) pads.push_back(PlugVirtualPad(1));
    PollPads(); // their arrival is not part of a frame
    for (int i = 0; i < kBenchPads; i++) {
      char guid[kPadGuidSize];
      SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(pads[i]), guid, sizeof guid);
      BindBallToPad(i, guid, i);
    }
  }
  ~SixPads() {
    for (SDL_Joystick *p : pads) UnplugVirtualPad(p);
    StopPads();
  }
};

// A frame where nobody touches a pad.
void BM_PollSixQuietPads(benchmark::State &state) {
  SixPads six;
  for (auto _ : state) PollPads();
}
BENCHMARK(BM_PollSixQuietPads)->Unit(benchmark::kMicrosecond);

// A frame where every pad's stick moves and a button changes, as in a busy match.
void BM_PollSixBusyPads(benchmark::State &state) {
  SixPads six;
  Sint16 x = 0;
  bool down = false;
  for (auto _ : state) {
    x = static_cast<Sint16>(x + 997);
    down = !down;
    for (SDL_Joystick *p : six.pads) {
      SDL_JoystickSetVirtualAxis(p, SDL_CONTROLLER_AXIS_RIGHTX, x);
      SDL_JoystickSetVirtualButton(p, SDL_CONTROLLER_BUTTON_X, down ? SDL_PRESSED : SDL_RELEASED);
    }
    PollPads();
  }
}
BENCHMARK(BM_PollSixBusyPads)->Unit(benchmark::kMicrosecond);

} // namespace
