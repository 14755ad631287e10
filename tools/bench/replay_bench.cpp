// What recording costs a frame, and how large a ten-minute match's replay is.
#include <benchmark/benchmark.h>

#include "TethrixExtern.h"
#include "gl/headless.h"
#include "replay.h"
#include "sim_world.h"

namespace {

constexpr long kTenMinutes = 10 * 60 * 40; // frames at 40 a second
constexpr int kRopeEvery = 20, kPowerEvery = 200; // a human's presses, each of two humans

// Six balls in play on the bench level, two of them human, the recorder on.
void recordedMatch(int particles) {
  SimBenchMatch(TETHRIX_BENCH_DATA);
  SimInstallCallbacks();
  players[0]->ai = players[5]->ai = kHuman;
  playerPresent = 2;
  arcadeMode = 1; // never won: the match runs as long as asked
  StartLiveMatch();
  if (particles > 0) SimParticleScene(particles);
}

// The recorder's own work a frame: the frame's values, a share of the inputs, and every
// fortieth frame the hash of the whole world (particles with owners included).
void BM_RecordingPerFrame(benchmark::State &state) {
  recordedMatch(static_cast<int>(state.range(0)));
  long frame = 0;
  for (auto _ : state) {
    speedMult *= 1.001f; // the worst case: a bots-only stretch changes it every frame
    RecordFrameBegin();
    if (frame % kRopeEvery == 0) RecordKey(static_cast<unsigned char>(players[0]->key));
    if (frame % kPowerEvery == 0) RecordKey(static_cast<unsigned char>(players[5]->powerUpKey));
    RecordFrameEnd();
    if (++frame == kTenMinutes) { // a new match, so memory stays a match's
      state.PauseTiming();
      recordedMatch(static_cast<int>(state.range(0)));
      frame = 0;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordingPerFrame)->Arg(0)->Arg(5000);

// Ten minutes of a played match, recorded and written as text: its size in bytes. speedMult
// differs every frame, as when the clock jitters, so every frame writes a speed line: the
// worst case. The jitter stays near 1 (a growing one would fling the balls out of the arena)
// and takes all nine digits the file writes.
void BM_TenMinuteReplaySize(benchmark::State &state) {
  constexpr long kJitterSteps = 17; // 7 steps on each time round: no two frames alike in a row
  constexpr float kJitter = 0.001f;
  for (auto _ : state) {
    recordedMatch(0);
    for (long f = 0; f < kTenMinutes; f++) {
      if (f % kRopeEvery == 0) Key(static_cast<unsigned char>(players[0]->key), 0, 0);
      if (f % kRopeEvery == kRopeEvery / 2) Key(static_cast<unsigned char>(players[5]->key), 0, 0);
      if (f % kPowerEvery == 0) Key(static_cast<unsigned char>(players[0]->powerUpKey), 0, 0);
      SimClockAdvanceFrame(); // SimFrame, with the regulator's speedMult replaced
      RegulateFrameRate();
      speedMult = 1 + kJitter * static_cast<float>(f * 7 % kJitterSteps - kJitterSteps / 2);
      Display();
      headlessClearVertices();
    }
    RecordMatchLeft();
    long speeds = 0;
    for (const ReplayEvent &e : LastReplay()->events) speeds += e.kind == kReplaySpeed;
    state.counters["bytes"] = static_cast<double>(ReplayText(*LastReplay()).size());
    state.counters["frames"] = static_cast<double>(LastReplay()->endFrame);
    state.counters["speedLines"] = static_cast<double>(speeds);
  }
}
BENCHMARK(BM_TenMinuteReplaySize)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
