// mcpi: estimates pi from 100,000,000 random points, reports it and waits for
// a key press.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "estimator.hpp"
#include "platform.hpp"

int main() {
  platform::srand(static_cast<std::uint32_t>(std::time(nullptr)));
  const std::uint32_t hits = mcpi::count_hits(mcpi::trial_total);
  const std::string line = mcpi::report(mcpi::estimate(hits, mcpi::trial_total));

  // Flushed now, so a pipe or a file has the line before the pause waits.
  if (std::fputs(line.c_str(), stdout) == EOF || std::fflush(stdout) == EOF) {
    std::fprintf(stderr, "mcpi: cannot write the report: %s\n", std::strerror(errno));
    return EXIT_FAILURE;
  }
  platform::pause();
  return EXIT_SUCCESS;
}
