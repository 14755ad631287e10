// Speed of the heaviest attack frame: a Supernova's nova and two Nova Bombs bursting in
// the same six-ball frame, beside the same frame without them.
#include <benchmark/benchmark.h>

#include "TethrixExtern.h"
#include "sim_world.h"

#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int kWarmUpFrames = 40; // the sphere detail climbs to its top of 30 meanwhile

void startMatch() {
  SimBenchMatch(TETHRIX_BENCH_DATA);
  for (int f = 0; f < kWarmUpFrames; f++)
    SimFrame();
}

// Six live balls that particles can hit, and an empty list: both frames start alike.
void freshFrame() {
  FreeAllParticles();
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    if (!p->alive) ResetPlayer(p);
    p->ghost = 0;
    p->supernovaCharge = 0;
    p->powerUpType = kPowerNone;
  }
}

// Ball 0's charge crosses into its nova this frame; balls 1 and 2 let go of their detonators.
void armAttacks() {
  players[0]->supernovaCharge = 50;
  for (int i = 1; i <= 2; i++) {
    players[i]->powerUpType = kPowerNovaBomb;
    ProcessPowerUp(players[i]);
    players[i]->powerUpType = kPowerNone;
  }
}

void frames(benchmark::State &state, bool attacks) {
  startMatch();
  long made = 0;
  for (auto _ : state) {
    state.PauseTiming();
    freshFrame();
    if (attacks) armAttacks();
    state.ResumeTiming();
    SimFrame();
    state.PauseTiming();
    made += CountParticles();
    state.ResumeTiming();
  }
  state.counters["particles"] =
      benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}

void BM_PlainSixBallFrame(benchmark::State &state) { frames(state, false); }
BENCHMARK(BM_PlainSixBallFrame)->Unit(benchmark::kMicrosecond);

void BM_SupernovaAndTwoBombsFrame(benchmark::State &state) { frames(state, true); }
BENCHMARK(BM_SupernovaAndTwoBombsFrame)->Unit(benchmark::kMicrosecond);

} // namespace
