#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "estimator.hpp"
#include "platform.hpp"
#include "reference.hpp"

namespace {

// A seed whose first draw is the wanted value, found with the reference generator.
std::uint32_t seed_drawing(int wanted) {
  for (std::uint32_t seed = 0;; ++seed) {
    std::uint32_t state = seed;
    if (reference::draw(state) == wanted) {
      return seed;
    }
  }
}

TEST(Sample, EndsOfTheDrawRangeAreTheEndsOfTheUnitInterval) {
  platform::srand(seed_drawing(0));
  EXPECT_EQ(mcpi::frand(), 0.0);
  platform::srand(seed_drawing(32767));
  EXPECT_EQ(mcpi::frand(), 1.0);
  EXPECT_EQ(mcpi::sample(16384), 16384 / 32767.0);
}

TEST(Sample, EveryDrawMapsIntoTheUnitInterval) {
  double previous = -1.0;
  for (int draw = 0; draw <= platform::rand_max; ++draw) {
    const double x = mcpi::sample(draw);
    ASSERT_GT(x, previous) << draw;  // rising, so one check at each end bounds them all
    previous = x;
  }
  EXPECT_EQ(previous, 1.0);
}

TEST(Inside, EdgePairs) {
  struct pair {
    int a, b;
    bool hit;
  };
  // (0, 32767) and (32767, 0) sum to exactly 1.0: on the circle, not inside.
  for (const pair p :
       {pair{0, 0, true}, pair{0, 32767, false}, pair{32767, 0, false}, pair{32767, 32767, false},
        pair{23169, 23169, true}, pair{23170, 23170, false}}) {
    EXPECT_EQ(mcpi::inside(mcpi::sample(p.a), mcpi::sample(p.b)), p.hit) << p.a << ", " << p.b;
  }
}

TEST(Inside, IntegerTestAgreesWithTheDoubleTestForAllDrawPairs) {
  // For a fixed a, b -> b / 32767.0 is non-decreasing (rounding keeps order),
  // so are y -> y * y and s -> x * x + s: the double test holds for a run of b
  // from 0 up to some boundary and fails from there on. The integer test is
  // such a run too, so the two agree on the whole row exactly when they agree
  // on both sides of the double test's boundary, found here by bisection.
  for (std::uint32_t a = 0; a <= 32767; ++a) {
    const double x = mcpi::sample(static_cast<int>(a));
    std::uint32_t low = 0;       // the double test holds for all b < low
    std::uint32_t high = 32768;  // and fails for all b >= high
    while (low < high) {
      const std::uint32_t mid = (low + high) / 2;
      if (mcpi::inside(x, mcpi::sample(static_cast<int>(mid)))) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    if (low > 0) {
      ASSERT_TRUE(mcpi::inside_draws(a, low - 1)) << a;
    }
    if (low < 32768) {
      ASSERT_FALSE(mcpi::inside_draws(a, low)) << a;
    }
  }
}

TEST(Report, LineForChosenHitCounts) {
  struct line {
    std::uint32_t hits;
    const char* text;
  };
  for (const line l : {
           line{0, "Pi is 0.000000\n"}, line{100'000'000, "Pi is 4.000000\n"},
           line{78'539'816, "Pi is 3.141593\n"},  // 4 * 78539816 = 314159264 -> 3.14159264
           line{12, "Pi is 0.000000\n"},          // 48 -> 0.00000048, rounds down
           line{13, "Pi is 0.000001\n"},          // 52 -> 0.00000052, rounds up
           line{78'539'812, "Pi is 3.141592\n"},  // 314159248 -> 3.14159248
       }) {
    EXPECT_EQ(mcpi::report(mcpi::estimate(l.hits, mcpi::trial_total)), l.text) << l.hits;
  }
}

TEST(Report, DigitsFollowFromTheHitCountAlone) {
  for (std::uint32_t hits = 0; hits <= mcpi::trial_total; hits += 99'991) {
    ASSERT_EQ(mcpi::report(mcpi::estimate(hits, mcpi::trial_total)), reference::report_line(hits));
  }
  for (std::uint32_t hits = 78'539'000; hits < 78'541'000; ++hits) {
    ASSERT_EQ(mcpi::report(mcpi::estimate(hits, mcpi::trial_total)), reference::report_line(hits));
  }
}

TEST(CountHits, MatchesASerialRunAndLeavesTheGeneratorWhereItWouldBe) {
  constexpr std::uint32_t block = mcpi::lanes;
  for (const std::uint32_t seed :
       {0U, 1U, 0x8000'0000U, 0xFFFF'FFFFU, 1'765'432'100U, 0x9E37'79B9U, 42U}) {
    for (const std::uint32_t trials :
         {0U, 1U, 2U, block - 1, block, block + 1, 2 * block, 3'001U, 2'000'003U}) {
      const reference::run expected = reference::serial(seed, trials);
      platform::srand(seed);
      EXPECT_EQ(mcpi::count_hits(trials), expected.hits) << seed << ", " << trials;
      EXPECT_EQ(platform::rand(), expected.next_draw) << seed << ", " << trials;
    }
  }
}

TEST(CountHits, FullRun) {
  for (const std::uint32_t seed : {1U, 1'796'083'200U}) {
    const reference::run expected = reference::serial(seed, mcpi::trial_total);
    platform::srand(seed);
    EXPECT_EQ(mcpi::count_hits(mcpi::trial_total), expected.hits) << seed;
    EXPECT_EQ(platform::rand(), expected.next_draw) << seed;
  }
}

}  // namespace
