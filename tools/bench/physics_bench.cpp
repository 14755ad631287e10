// Speed of one game frame and of the ball steps, six balls on 400 nodes.
#include <benchmark/benchmark.h>

#include "TethrixExtern.h"
#include "gl/headless.h"
#include "sim_world.h"

#include <unistd.h>

namespace {

void loadBenchLevel() { SimBenchMatch(TETHRIX_BENCH_DATA); }

void BM_GameFrame(benchmark::State &state) {
  loadBenchLevel();
  for (auto _ : state) {
    SimFrame();
    state.PauseTiming();
    headlessClearVertices();
    for (int i = 0; i < numPlayers; i++)
      if (!players[i]->alive) ResetPlayer(players[i]); // keep six balls in play
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameFrame);

void BM_SixBallSteps(benchmark::State &state) {
  loadBenchLevel();
  for (auto _ : state) {
    for (int i = 0; i < numPlayers; i++) {
      player *p = players[i];
      if (!p->alive) ResetPlayer(p);
      DoPlayer(p);
    }
  }
}
BENCHMARK(BM_SixBallSteps);

void BM_FindNearestBlock(benchmark::State &state) {
  loadBenchLevel();
  float h = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindNearestBlock(h, 1.0f));
    h = h > 19 ? -19 : h + 0.37f;
  }
}
BENCHMARK(BM_FindNearestBlock);

// The whole frame again, with 5,000 live particles hit-tested against every ball.
void BM_ParticleHeavyGameFrame(benchmark::State &state) {
  loadBenchLevel();
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < numPlayers; i++)
      if (!players[i]->alive) ResetPlayer(players[i]);
    SimParticleScene(5000);
    headlessClearVertices();
    state.ResumeTiming();
    SimFrame();
  }
  state.SetItemsProcessed(state.iterations());
  ResetWorld();
}
BENCHMARK(BM_ParticleHeavyGameFrame)->Unit(benchmark::kMicrosecond);

// A death's burst at the default sphere detail: 15 x 15 sparks made and freed.
void BM_NovaBurst225(benchmark::State &state) {
  loadBenchLevel();
  for (auto _ : state) {
    NovaParticles(225, 0, 0, 0, 0, 1, 0, 0, 0.1f, 1.0f, 0, 50);
    state.PauseTiming();
    FreeAllParticles();
    state.ResumeTiming();
  }
  ResetWorld();
}
BENCHMARK(BM_NovaBurst225)->Unit(benchmark::kMicrosecond);

} // namespace
