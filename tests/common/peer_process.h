// A second process for two-process tests: one of the helper programs
// (tests/<folder>/helpers/), started on a pipe pair, which reads one command
// a line and answers one line. The destructor sends "quit" and waits for the
// program to end; Kill ends it abruptly. Used from the test's own thread.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

class PeerProcess {
 public:
  explicit PeerProcess(const char* program) {
    int toChild[2];
    int fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(toChild[0], 0);
      ::dup2(fromChild[1], 1);
      ::close(toChild[0]);
      ::close(toChild[1]);
      ::close(fromChild[0]);
      ::close(fromChild[1]);
      ::execl(program, program, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    to_ = toChild[1];
    from_ = fromChild[0];
  }
  ~PeerProcess() {
    Send("quit");
    Finish();
  }
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  // Ends the program at once, holding whatever it holds, and waits for it.
  void Kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    Finish();
  }

  void Send(const std::string& command) {
    if (to_ < 0) return;
    const std::string line = command + "\n";
    (void)!::write(to_, line.data(), line.size());
  }
  // The next answer line; "timeout" when none comes within ms, "eof" when
  // the program has ended.
  std::string Read(int ms = 20000) {
    for (;;) {
      const auto end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      pollfd p{from_, POLLIN, 0};
      if (::poll(&p, 1, ms) <= 0) return "timeout";
      char buffer[256];
      const auto n = ::read(from_, buffer, sizeof buffer);
      if (n <= 0) return "eof";
      pending_.append(buffer, static_cast<std::size_t>(n));
    }
  }
  std::string Ask(const std::string& command) {
    Send(command);
    return Read();
  }

 private:
  void Finish() {
    if (to_ >= 0) ::close(to_);
    if (from_ >= 0) ::close(from_);
    to_ = from_ = -1;
    int status = 0;
    if (pid_ > 0) ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  std::string pending_;
};
