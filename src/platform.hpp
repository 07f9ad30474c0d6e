// The small piece of C runtime and console that mcpi stands on, written for
// Linux: the classic 15-bit pseudo-random generator and the "press any key"
// pause.
#pragma once

#include <cstdint>

namespace platform {

// The generator is the 32-bit linear congruential sequence
// state <- state * 214013 + 2531011 (mod 2^32), whose draw is bits 16..30 of
// each new state: the rand() of the classic Windows C runtime, so a seed gives
// the same draws there and here.
inline constexpr std::uint32_t multiplier = 214013U;
inline constexpr std::uint32_t increment = 2531011U;
inline constexpr int rand_max = 32767;

// k generator steps composed into one affine map: state -> mul * state + add.
struct leap {
  std::uint32_t mul;
  std::uint32_t add;
};

constexpr std::uint32_t advance(std::uint32_t state, leap by) noexcept {
  return by.mul * state + by.add;
}

constexpr std::uint32_t next(std::uint32_t state) noexcept {
  return advance(state, {multiplier, increment});
}

constexpr std::uint32_t draw(std::uint32_t state) noexcept { return (state >> 16) & 0x7FFFU; }

// The map for k steps, by repeated squaring: O(log k) compositions.
constexpr leap leap_by(std::uint64_t k) noexcept {
  leap total{1U, 0U};
  leap power{multiplier, increment};
  for (; k != 0; k >>= 1) {
    if ((k & 1U) != 0) {
      total = {power.mul * total.mul, power.mul * total.add + power.add};
    }
    power = {power.mul * power.mul, power.mul * power.add + power.add};
  }
  return total;
}

// The process-wide generator, as the runtime keeps it.
void srand(std::uint32_t seed) noexcept;
int rand() noexcept;
// Moves on by k draws, exactly as k calls of rand() would.
void skip(std::uint64_t k) noexcept;
// The current state, for code that runs the sequence in lanes of its own.
std::uint32_t state() noexcept;

// Waits for one key press. At a terminal it prompts on standard error and
// reads a key without echo, leaving the terminal as it found it; otherwise it
// takes one byte of standard input or its end.
void pause() noexcept;

}  // namespace platform
