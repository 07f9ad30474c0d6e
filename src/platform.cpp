#include "platform.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace platform {
namespace {

std::uint32_t generator = 1;  // an unseeded generator runs as if seeded with 1

constexpr char prompt[] = "Press any key to continue . . . ";

// The terminal's modes as the pause found them, and the ones it reads a key in.
// Signal handlers read them, so they live at namespace scope.
termios found{};
termios keyed{};

// The pause's own messages are best effort: they never change how the run ends.
void say(const char* text, std::size_t size) noexcept {
  const ssize_t ignored = write(STDERR_FILENO, text, size);
  static_cast<void>(ignored);
}

void handle(int sig, void (*handler)(int)) noexcept {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(sig, &action, nullptr);
}

// Signals that would leave the terminal without echo: those that end the
// process and Ctrl-Z's stop.
constexpr std::array caught_signals{SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP};

// Puts the terminal back, then ends the process by the same signal, so the
// parent sees what happened.
void end_by(int sig) {
  tcsetattr(STDIN_FILENO, TCSANOW, &found);
  say("\n", 1);
  handle(sig, SIG_DFL);
  std::raise(sig);  // delivered as soon as this handler returns
}

// Ctrl-Z: hand the terminal back as found while stopped, and take it again
// when continued.
void stop_by(int sig) {
  const int saved_errno = errno;
  tcsetattr(STDIN_FILENO, TCSANOW, &found);
  handle(sig, SIG_DFL);
  sigset_t stop{};
  sigemptyset(&stop);
  sigaddset(&stop, sig);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  std::raise(sig);  // the process stops here until it is continued
  handle(sig, stop_by);
  tcsetattr(STDIN_FILENO, TCSANOW, &keyed);
  say(prompt, sizeof prompt - 1);
  errno = saved_errno;
}

// Waits for input and reads what there is, up to `size` bytes; end of input
// or an error ends the wait too. Standard input may have been left
// non-blocking by another program: then it waits in poll() instead.
void take(char* buffer, std::size_t size) noexcept {
  while (read(STDIN_FILENO, buffer, size) < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd input{STDIN_FILENO, POLLIN, 0};
      poll(&input, 1, -1);
    } else if (errno != EINTR) {
      return;
    }
  }
}

void take_key() noexcept {
  keyed = found;
  keyed.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keyed.c_cc[VMIN] = 1;
  keyed.c_cc[VTIME] = 0;

  // A signal the caller chose to ignore stays ignored.
  std::array<struct sigaction, caught_signals.size()> previous{};
  for (std::size_t i = 0; i < caught_signals.size(); ++i) {
    const int sig = caught_signals[i];
    sigaction(sig, nullptr, &previous[i]);
    if (previous[i].sa_handler != SIG_IGN) {
      handle(sig, sig == SIGTSTP ? stop_by : end_by);
    }
  }

  // Keys typed once the prompt shows must find echo already off.
  tcsetattr(STDIN_FILENO, TCSANOW, &keyed);
  say(prompt, sizeof prompt - 1);
  std::array<char, 64> key{};
  take(key.data(), key.size());
  // A key such as an arrow sends several bytes; flushing on the way back
  // discards any that the read left, so the shell does not get them.
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &found);
  say("\n", 1);

  for (std::size_t i = 0; i < caught_signals.size(); ++i) {
    sigaction(caught_signals[i], &previous[i], nullptr);
  }
}

}  // namespace

void srand(std::uint32_t seed) noexcept { generator = seed; }

int rand() noexcept {
  generator = next(generator);
  return static_cast<int>(draw(generator));
}

void skip(std::uint64_t k) noexcept { generator = advance(generator, leap_by(k)); }

std::uint32_t state() noexcept { return generator; }

void pause() noexcept {
  if (isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &found) == 0) {
    take_key();
  } else {
    char byte = 0;
    take(&byte, 1);
  }
}

}  // namespace platform
