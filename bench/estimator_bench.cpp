// Draws per second, single thread: the plain serial loop (one generator step
// per draw, the double test) against the trial kernel, on the same seed.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "estimator.hpp"
#include "platform.hpp"
#include "reference.hpp"

namespace {

constexpr std::uint32_t seed = 20'261'211U;

void report_draws(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * 2 * state.range(0));
}

void serial_loop(benchmark::State& state) {
  const auto trials = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(reference::serial(seed, trials));
  }
  report_draws(state);
}

void lane_kernel(benchmark::State& state) {
  const auto trials = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    platform::srand(seed);
    benchmark::DoNotOptimize(mcpi::count_hits(trials));
  }
  report_draws(state);
}

BENCHMARK(serial_loop)->Arg(1'000'000)->Arg(mcpi::trial_total)->Unit(benchmark::kMillisecond);
BENCHMARK(lane_kernel)->Arg(1'000'000)->Arg(mcpi::trial_total)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
