// Monte Carlo estimate of pi: points drawn in the unit square, counted when
// they fall strictly inside the quarter circle x*x + y*y < 1.
#pragma once

#include <cstdint>
#include <string>

namespace mcpi {

inline constexpr std::uint32_t trial_total = 100'000'000;

// A raw draw of 0..32767 as a sample in [0, 1]: 32767 maps to exactly 1.0.
double sample(int draw) noexcept;
// The next sample from the generator: one draw each call.
double frand() noexcept;
bool inside(double x, double y) noexcept;

// inside() for the samples of draws a and b, in integers: x*x + y*y < 1.0
// exactly when a*a + b*b < 32767^2, and the sum fits in 32 bits.
constexpr bool inside_draws(std::uint32_t a, std::uint32_t b) noexcept {
  return a * a + b * b < 32767U * 32767U;
}

// The trial run works in blocks of this many trials, stepping that many
// interleaved generator lanes at once; a remainder runs trial by trial.
inline constexpr std::uint32_t lanes = 256;

// Runs the given number of trials from the generator's current state, x drawn
// before y, and returns how many hit. Leaves the generator two draws on per
// trial, as a serial run would.
std::uint32_t count_hits(std::uint32_t trials) noexcept;

double estimate(std::uint32_t hits, std::uint32_t trials) noexcept;
// The report line, with its line end.
std::string report(double estimate);

}  // namespace mcpi
