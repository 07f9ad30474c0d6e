#include "estimator.hpp"

#include <array>
#include <cstddef>
#include <cstdio>

#include "platform.hpp"

namespace mcpi {
namespace {

// On x86-64, one binary carries AVX-512, AVX2 and baseline builds of the
// kernel and picks one when it loads.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define MCPI_VECTOR_CLONES \
  __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define MCPI_VECTOR_CLONES
#endif

// Hits of blocks * lanes trials whose draws follow `state`; the process-wide
// generator is left alone. The one sequence runs in interleaved lanes, x draws
// in one array and y draws in the other, and every lane steps a whole block
// ahead with one multiply-add: the lanes are independent, so the compiler
// vectorises them. Trial t still takes draws 2t + 1 and 2t + 2.
MCPI_VECTOR_CLONES std::uint32_t lane_hits(std::uint32_t state, std::uint32_t blocks) noexcept {
  std::array<std::uint32_t, lanes> xs{};
  std::array<std::uint32_t, lanes> ys{};
  for (std::size_t lane = 0; lane < lanes; ++lane) {
    xs[lane] = state = platform::next(state);
    ys[lane] = state = platform::next(state);
  }
  const platform::leap block = platform::leap_by(std::uint64_t{2} * lanes);
  std::uint32_t hits = 0;
  for (std::uint32_t b = 0; b < blocks; ++b) {
    for (std::size_t lane = 0; lane < lanes; ++lane) {
      hits += inside_draws(platform::draw(xs[lane]), platform::draw(ys[lane])) ? 1U : 0U;
      xs[lane] = platform::advance(xs[lane], block);
      ys[lane] = platform::advance(ys[lane], block);
    }
  }
  return hits;
}

}  // namespace

double sample(int draw) noexcept { return static_cast<double>(draw) / 32767.0; }

double frand() noexcept { return sample(platform::rand()); }

bool inside(double x, double y) noexcept { return x * x + y * y < 1.0; }

std::uint32_t count_hits(std::uint32_t trials) noexcept {
  const std::uint32_t blocks = trials / lanes;
  std::uint32_t hits = lane_hits(platform::state(), blocks);
  platform::skip(std::uint64_t{2} * lanes * blocks);
  for (std::uint32_t trial = blocks * lanes; trial < trials; ++trial) {
    const double x = frand();
    const double y = frand();
    if (inside(x, y)) {
      ++hits;
    }
  }
  return hits;
}

double estimate(std::uint32_t hits, std::uint32_t trials) noexcept {
  return static_cast<double>(hits) / static_cast<double>(trials) * 4.0;
}

std::string report(double estimate) {
  // "Pi is ", a sign, up to 309 integer digits, a point, six decimals, "\n".
  std::array<char, 330> line{};
  const int size = std::snprintf(line.data(), line.size(), "Pi is %f\n", estimate);
  return {line.data(), static_cast<std::size_t>(size)};
}

}  // namespace mcpi
