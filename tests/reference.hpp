// Expected values for the tests, worked out independently of the code under
// test: a plain serial run of the generator from its published definition,
// and report digits by integer arithmetic.
#pragma once

#include <cstdint>
#include <string>

namespace reference {

// state <- state * 214013 + 2531011 (mod 2^32); the draw is bits 16..30.
inline int draw(std::uint32_t& state) {
  state = state * 214013U + 2531011U;
  return static_cast<int>((state >> 16) & 0x7FFFU);
}

struct run {
  std::uint32_t hits;
  int next_draw;  // the draw that follows the run's last one
};

inline run serial(std::uint32_t seed, std::uint32_t trials) {
  std::uint32_t state = seed;
  std::uint32_t hits = 0;
  for (std::uint32_t t = 0; t < trials; ++t) {
    const double x = draw(state) / 32767.0;
    const double y = draw(state) / 32767.0;
    hits += x * x + y * y < 1.0 ? 1U : 0U;
  }
  return {hits, draw(state)};
}

// 4 * hits / 10^8 has eight decimals. Rounding to six adds 50 in the eighth
// place and drops two digits; the two dropped digits of 4 * hits are a
// multiple of 4, never exactly 50, so no tie can arise.
inline std::string report_line(std::uint32_t hits) {
  const std::uint64_t millionths = (4 * std::uint64_t{hits} + 50) / 100;
  std::string decimals = std::to_string(millionths % 1'000'000);
  decimals.insert(0, 6 - decimals.size(), '0');
  return "Pi is " + std::to_string(millionths / 1'000'000) + "." + decimals + "\n";
}

}  // namespace reference
