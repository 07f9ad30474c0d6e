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

// Runs the given number of trials from the generator's current state, x drawn
// before y, and returns how many hit. Leaves the generator two draws on per
// trial, as a serial run would.
std::uint32_t count_hits(std::uint32_t trials) noexcept;

double estimate(std::uint32_t hits, std::uint32_t trials) noexcept;
// The report line, with its line end.
std::string report(double estimate);

}  // namespace mcpi
