// The program as a user meets it: a process with its standard streams on
// files, pipes or a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "estimator.hpp"
#include "reference.hpp"

namespace {

using namespace std::chrono_literals;

constexpr auto patience = 60s;  // generous: sanitizer builds run slowly
constexpr char prompt[] = "Press any key to continue . . .";

// The report line mcpi prints when seeded with the given clock reading.
const std::string& line_for(std::time_t seed) {
  static std::map<std::time_t, std::string> lines;
  auto [it, added] = lines.try_emplace(seed);
  if (added) {
    it->second = reference::report_line(
        reference::serial(static_cast<std::uint32_t>(seed), mcpi::trial_total).hits);
  }
  return it->second;
}

// True when `out` is the line of some second from `start` to `end`.
bool is_line_of_run(const std::string& out, std::time_t start, std::time_t end) {
  for (std::time_t seed = start; seed <= end; ++seed) {
    if (out == line_for(seed)) {
      return true;
    }
  }
  return false;
}

std::optional<int> wait_for(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return status;
    }
    std::this_thread::sleep_for(5ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

int finish(pid_t pid) {
  if (const auto status = wait_for(pid, patience)) {
    return *status;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  ADD_FAILURE() << "mcpi did not end";
  return -1;
}

// Reads what is there until `done` holds of all read so far, or time runs out.
std::string read_until(int fd, const std::function<bool(const std::string&)>& done) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!done(got) && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) {
      continue;
    }
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
      break;
    }
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

// Reads up to and including the first line end.
std::string read_line(int fd) {
  return read_until(fd, [](const std::string& s) { return s.find('\n') != s.npos; });
}

std::string read_all(int fd) {
  return read_until(fd, [](const std::string&) { return false; });
}

[[noreturn]] void exec_mcpi() {
  execl(MCPI_BINARY, "mcpi", static_cast<char*>(nullptr));
  _exit(127);
}

// --- Standard input that is not a terminal ---------------------------------

enum class input { dev_null, newline, empty_pipe, closed };
enum class output { pipe, dev_full, closed };

struct outcome {
  int status;
  std::string out;
  std::string err;
  std::time_t start;
  std::time_t end;
};

outcome run(input in, output to, const std::vector<std::string>& env = {}) {
  int out_pipe[2];
  int err_pipe[2];
  int in_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0 || pipe(in_pipe) != 0) {
    ADD_FAILURE() << "pipe";
    return {};
  }
  if (in == input::newline) {
    EXPECT_EQ(write(in_pipe[1], "\n", 1), 1);
  }
  close(in_pipe[1]);

  outcome result{};
  result.start = std::time(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    switch (in) {
      case input::dev_null:
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        break;
      case input::newline:
      case input::empty_pipe:
        dup2(in_pipe[0], STDIN_FILENO);
        break;
      case input::closed:
        close(STDIN_FILENO);
        break;
    }
    switch (to) {
      case output::pipe:
        dup2(out_pipe[1], STDOUT_FILENO);
        break;
      case output::dev_full:
        dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO);
        break;
      case output::closed:
        close(STDOUT_FILENO);
        break;
    }
    dup2(err_pipe[1], STDERR_FILENO);
    for (const std::string& setting : env) {
      putenv(const_cast<char*>(setting.c_str()));
    }
    exec_mcpi();
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  result.status = finish(pid);
  result.end = std::time(nullptr);
  result.out = read_all(out_pipe[0]);
  result.err = read_all(err_pipe[0]);
  close(out_pipe[0]);
  close(err_pipe[0]);
  return result;
}

TEST(Process, EndsAtOnceWithTheReportWhenInputIsNoTerminal) {
  struct run_case {
    const char* name;
    input in;
  };
  for (const run_case c :
       {run_case{"< /dev/null", input::dev_null}, run_case{"echo |", input::newline},
        run_case{"empty pipe", input::empty_pipe}, run_case{"stdin closed", input::closed}}) {
    const outcome r = run(c.in, output::pipe);
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << c.name << ": " << r.status;
    EXPECT_TRUE(is_line_of_run(r.out, r.start, r.end)) << c.name << ": " << r.out;
    EXPECT_EQ(r.err, "") << c.name << ": no prompt without a terminal";
  }
}

TEST(Process, WaitsForAByteOnANonBlockingPipe) {
  int in[2];
  int out[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  // Another program may leave the input non-blocking: the pause still waits.
  ASSERT_EQ(fcntl(in[0], F_SETFL, O_NONBLOCK), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    exec_mcpi();
  }
  close(in[0]);
  close(out[1]);
  const std::string line = read_line(out[0]);
  EXPECT_EQ(line.rfind("Pi is ", 0), 0U) << line;
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(wait_for(pid, 0ms).has_value()) << "mcpi must wait for a byte";
  EXPECT_EQ(write(in[1], "y", 1), 1);
  const int status = finish(pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  close(in[1]);
  close(out[0]);
}

TEST(Process, DecimalPointStaysADotUnderAnyLocale) {
  // A locale whose decimal point is a comma, built privately for this test.
  std::string dir_name = (std::filesystem::temp_directory_path() / "mcpi-locale-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir_name.data()), nullptr);
  const std::filesystem::path dir = dir_name;
  const std::string build =
      "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' 2>/dev/null";
  if (std::system(build.c_str()) != 0) {
    std::filesystem::remove_all(dir);
    GTEST_SKIP() << "cannot build the de_DE.UTF-8 locale here";
  }
  const outcome r = run(input::dev_null, output::pipe,
                        {"LOCPATH=" + dir.string(), "LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"});
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.status;
  EXPECT_TRUE(is_line_of_run(r.out, r.start, r.end)) << r.out;
}

TEST(Process, AReportThatCannotBeWrittenFailsWithTheCause) {
  struct run_case {
    const char* name;
    output to;
    const char* cause;
  };
  for (const run_case c : {run_case{"> /dev/full", output::dev_full, "No space left on device"},
                           run_case{"stdout closed", output::closed, "Bad file descriptor"}}) {
    const outcome r = run(input::dev_null, c.to);
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 1) << c.name << ": " << r.status;
    EXPECT_EQ(r.err, std::string("mcpi: cannot write the report: ") + c.cause + "\n") << c.name;
  }
}

// --- Standard input on a terminal ------------------------------------------

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::equal(a.c_cc, a.c_cc + NCCS, b.c_cc);
}

// mcpi with a pseudo-terminal as its controlling terminal and standard input,
// like a program started from an interactive shell.
class Terminal : public testing::Test {
 protected:
  void TearDown() override { close_terminal(); }

  void close_terminal() {
    if (master_ >= 0) {
      close(master_);
      close(slave_);
    }
    master_ = slave_ = -1;
  }

  // Starts mcpi on a new terminal; its standard output goes to `out` when
  // given, else to the terminal.
  void start(int out = -1) {
    close_terminal();
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(tcgetattr(slave_, &modes_), 0);
    ASSERT_TRUE((modes_.c_lflag & ICANON) != 0 && (modes_.c_lflag & ECHO) != 0);
    pid_ = fork();
    if (pid_ == 0) {
      const rlimit no_core{0, 0};  // Ctrl-\ would dump core
      setrlimit(RLIMIT_CORE, &no_core);
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      dup2(slave_, STDIN_FILENO);
      dup2(out >= 0 ? out : slave_, STDOUT_FILENO);
      dup2(slave_, STDERR_FILENO);
      exec_mcpi();
    }
  }

  // Starts mcpi as a job of a small shell on a new terminal, with job control:
  // the shell ends with 0 when mcpi stopped with the terminal as found, and
  // after being continued ended with status 0.
  void start_job() {
    close_terminal();
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(tcgetattr(slave_, &modes_), 0);
    pid_ = fork();
    if (pid_ != 0) {
      return;
    }
    setsid();
    ioctl(slave_, TIOCSCTTY, 0);
    const pid_t job = fork();
    if (job == 0) {
      setpgid(0, 0);
      std::signal(SIGTTOU, SIG_IGN);  // to take the terminal from the background
      tcsetpgrp(slave_, getpid());
      std::signal(SIGTTOU, SIG_DFL);
      dup2(slave_, STDIN_FILENO);
      dup2(slave_, STDOUT_FILENO);
      dup2(slave_, STDERR_FILENO);
      exec_mcpi();
    }
    int status = 0;
    waitpid(job, &status, WUNTRACED);
    if (!WIFSTOPPED(status)) {
      _exit(2);
    }
    termios stopped{};
    tcgetattr(slave_, &stopped);
    if (!same_modes(stopped, modes_)) {
      _exit(3);
    }
    kill(-job, SIGCONT);
    waitpid(job, &status, 0);
    _exit(WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 4);
  }

  // Everything the terminal shows until the prompt is up.
  std::string screen_until_prompt() {
    return read_until(master_, [](const std::string& s) { return s.find(prompt) != s.npos; });
  }

  void expect_waiting() {
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(wait_for(pid_, 0ms).has_value()) << "mcpi must wait for a key";
  }

  void type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // The terminal as mcpi left it: the same modes, and no input left unread.
  void expect_terminal_restored() {
    termios now{};
    ASSERT_EQ(tcgetattr(slave_, &now), 0);
    EXPECT_TRUE(same_modes(now, modes_)) << "terminal modes changed";
    // Canonical mode hides a partial line from a read: switch it off to look.
    termios look = now;
    look.c_lflag &= ~static_cast<tcflag_t>(ICANON);
    look.c_cc[VMIN] = 0;
    look.c_cc[VTIME] = 0;
    ASSERT_EQ(tcsetattr(slave_, TCSANOW, &look), 0);
    char left[16];
    EXPECT_EQ(read(slave_, left, sizeof left), 0) << "input left behind for the shell";
  }

  int master_ = -1;
  int slave_ = -1;
  termios modes_{};
  pid_t pid_ = -1;
};

TEST_F(Terminal, ShowsTheReportThenWaitsForOneKey) {
  struct key_case {
    const char* name;
    const char* keys;
  };
  for (const key_case c :
       {key_case{"letter", "x"}, key_case{"arrow key", "\x1b[A"}, key_case{"F5", "\x1b[15~"}}) {
    const std::time_t first = std::time(nullptr);
    start();
    const std::string screen = screen_until_prompt();
    const std::time_t last = std::time(nullptr);
    expect_waiting();
    type(c.keys);
    // The key is not echoed: all that follows is the end of the prompt's line.
    EXPECT_EQ(read_line(master_), "\r\n") << c.name;
    const int status = finish(pid_);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name << ": " << status;

    // The terminal turns the line end into CR LF; the prompt follows the line.
    const std::size_t line_end = screen.find("\r\n");
    ASSERT_NE(line_end, screen.npos) << c.name << ": " << screen;
    EXPECT_TRUE(is_line_of_run(screen.substr(0, line_end) + "\n", first, last)) << screen;
    EXPECT_EQ(screen.find(prompt), line_end + 2) << c.name;
    expect_terminal_restored();
  }
}

TEST_F(Terminal, ReportReachesAPipeBeforeThePause) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  start(out[1]);
  close(out[1]);
  const std::string line = read_line(out[0]);
  EXPECT_EQ(line.rfind("Pi is ", 0), 0U) << line;
  screen_until_prompt();
  expect_waiting();
  type("q");
  const int status = finish(pid_);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  close(out[0]);
  expect_terminal_restored();
}

TEST_F(Terminal, InterruptsEndThePauseAndRestoreTheTerminal) {
  struct signal_case {
    const char* name;
    const char* keys;  // typed at the terminal; sent with kill() when null
    int sig;
  };
  for (const signal_case c :
       {signal_case{"Ctrl-C", "\x03", SIGINT}, signal_case{"Ctrl-\\", "\x1c", SIGQUIT},
        signal_case{"SIGTERM", nullptr, SIGTERM}, signal_case{"SIGHUP", nullptr, SIGHUP}}) {
    start();
    screen_until_prompt();
    if (c.keys != nullptr) {
      type(c.keys);
    } else {
      kill(pid_, c.sig);
    }
    const int status = finish(pid_);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.sig) << c.name << ": " << status;
    expect_terminal_restored();
  }
}

TEST_F(Terminal, CtrlZHandsBackTheTerminalUntilContinued) {
  start_job();
  screen_until_prompt();
  type("\x1a");
  // Asked again once continued.
  EXPECT_NE(screen_until_prompt().find(prompt), std::string::npos);
  type("x");
  const int status = finish(pid_);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "shell: " << status << " (2: no stop, 3: modes not restored, 4: bad exit)";
  expect_terminal_restored();
}

}  // namespace
