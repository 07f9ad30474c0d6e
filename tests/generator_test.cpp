#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform.hpp"
#include "reference.hpp"

namespace {

std::vector<int> draws(std::uint32_t seed, std::size_t count) {
  platform::srand(seed);
  std::vector<int> out(count);
  for (int& d : out) {
    d = platform::rand();
  }
  return out;
}

TEST(Generator, SeedOneGivesThePublishedSequence) {
  EXPECT_EQ(draws(1, 8), (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}));
}

TEST(Generator, FollowsTheReferenceSequenceFromAnySeed) {
  for (const std::uint32_t seed : {0U, 1U, 0x8000'0000U, 0xFFFF'FFFFU, 1'765'432'100U}) {
    std::uint32_t state = seed;
    const std::vector<int> got = draws(seed, 1000);
    for (const int d : got) {
      ASSERT_EQ(d, reference::draw(state)) << "seed " << seed;
    }
    EXPECT_EQ(draws(seed, 1000), got) << "an equal seed repeats the sequence";
  }
}

TEST(Generator, DrawsCoverExactlyZeroTo32767) {
  const std::vector<int> got = draws(20'261'211, 2'000'000);
  std::vector<bool> seen(32768);
  for (const int d : got) {
    ASSERT_GE(d, 0);
    ASSERT_LE(d, platform::rand_max);
    seen[static_cast<std::size_t>(d)] = true;
  }
  // 2,000,000 draws over 32768 values miss a given one with odds of about e^-61.
  EXPECT_TRUE(seen.front());
  EXPECT_TRUE(seen.back());
}

TEST(Generator, SkipEqualsThatManySingleSteps) {
  constexpr std::uint32_t seed = 271'828'182U;
  for (const std::uint64_t k :
       {0ULL, 1ULL, 2ULL, 3ULL, 7ULL, 64ULL, 255ULL, 512ULL, 1000ULL, 65'536ULL, 99'999ULL}) {
    std::uint32_t state = seed;
    for (std::uint64_t i = 0; i < k; ++i) {
      reference::draw(state);
    }
    platform::srand(seed);
    platform::skip(k);
    EXPECT_EQ(platform::state(), state) << "k = " << k;
    EXPECT_EQ(platform::rand(), reference::draw(state)) << "k = " << k;
  }
}

TEST(Generator, LeapsCompose) {
  constexpr std::uint32_t seed = 0xC0FFEEU;
  constexpr std::array<std::uint64_t, 5> ks{0, 1, 33, 1ULL << 31, (1ULL << 40) + 5};
  for (const std::uint64_t k : ks) {
    for (const std::uint64_t j : ks) {
      const std::uint32_t stepwise =
          platform::advance(platform::advance(seed, platform::leap_by(k)), platform::leap_by(j));
      EXPECT_EQ(stepwise, platform::advance(seed, platform::leap_by(k + j)))
          << "k = " << k << ", j = " << j;
    }
  }
}

TEST(Generator, FullPeriodIsTwoToThe32) {
  // Increment odd and multiplier - 1 divisible by 4: by the Hull-Dobell theorem
  // the sequence has the full period 2^32 and no shorter one.
  EXPECT_EQ(platform::advance(12345U, platform::leap_by(1ULL << 32)), 12345U);
  EXPECT_NE(platform::advance(12345U, platform::leap_by(1ULL << 31)), 12345U);
}

}  // namespace
