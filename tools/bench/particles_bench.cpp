// Speed of the particle list: one frame of 5,000 live weapon particles and six balls.
#include <benchmark/benchmark.h>

#include "TethrixExtern.h"
#include "gl/headless.h"

namespace {

constexpr int kLive = 5000;

void spreadBalls() {
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    p->frame = 1;
    p->x[0] = p->x[1] = p->trailX = 2.0f * i - 5;
    p->y[0] = p->y[1] = p->trailY = 0;
    p->alive = p->active = 1;
    p->ghost = 0;
  }
}

// Keeps the list at kLive: bursts from every ball, owned by the next one.
void topUp() {
  const int missing = kLive - CountParticles();
  for (int i = 0; i < numPlayers && missing > 0; i++)
    NovaParticles(missing / numPlayers + 1, players[i]->x[1], 0, 0.5f, 0, 1, 1, 1, 0.02f, 1,
                  (i + 1) % numPlayers, 400);
}

void BM_ParticleFrame(benchmark::State &state) {
  ResetWorld();
  BuildRoster();
  speedMult = 0.5f;
  spreadBalls();
  for (auto _ : state) {
    state.PauseTiming();
    headlessClearVertices();
    topUp();
    state.ResumeTiming();
    DrawParticles(firstParticle);
    for (int i = 0; i < numPlayers; i++)
      CollideParticles(firstParticle, players[i]);
  }
  ResetWorld();
}
BENCHMARK(BM_ParticleFrame)->Unit(benchmark::kMicrosecond);

} // namespace
