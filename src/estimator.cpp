#include "estimator.hpp"

#include <array>
#include <cstdio>

#include "platform.hpp"

namespace mcpi {

double sample(int draw) noexcept {
  return static_cast<double>(draw) / 32767.0;
}

double frand() noexcept {
  return sample(platform::rand());
}

bool inside(double x, double y) noexcept {
  return x * x + y * y < 1.0;
}

std::uint32_t count_hits(std::uint32_t trials) noexcept {
  std::uint32_t hits = 0;
  for (std::uint32_t trial = 0; trial < trials; ++trial) {
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
  // "Pi is " plus up to 309 integer digits, a point, six decimals and "\n".
  std::array<char, 330> line{};
  const int size = std::snprintf(line.data(), line.size(), "Pi is %f\n", estimate);
  return {line.data(), static_cast<std::size_t>(size)};
}

}  // namespace mcpi
