#include "tools/package/scratch_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace package {
namespace fs = std::filesystem;
namespace {

// The folders that exist now, removed by whichever ends the run.
std::vector<ScratchFolder*>& Live() {
  static std::vector<ScratchFolder*> live;
  return live;
}

// The process id in "<prefix><pid>-<number>", or 0 for any other name.
pid_t OwnerOf(const std::string& name, const std::string& prefix) {
  if (!name.starts_with(prefix)) return 0;
  std::string rest = name.substr(prefix.size());
  std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 9 || dash + 1 == rest.size()) return 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return 0;
  }
  return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

// Removes the folders of runs whose process no longer exists.
void RemoveLeftovers(const fs::path& parent, const std::string& prefix) {
  std::error_code ec;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    pid_t owner = OwnerOf(it->path().filename().string(), prefix);
    std::error_code e;
    if (owner <= 0 || owner == getpid() || !it->is_directory(e) || it->is_symlink(e)) continue;
    if (kill(owner, 0) == -1 && errno == ESRCH) fs::remove_all(it->path(), e);
  }
}

}  // namespace

bool ScratchFolder::Make(const fs::path& parent, const char* prefix) {
  sigemptyset(&held_);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held_, s);
  holding_ = sigprocmask(SIG_BLOCK, &held_, &previous_) == 0;
  Live().push_back(this);
  RemoveLeftovers(parent, prefix);
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path candidate = parent / (prefix + std::to_string(getpid()) + "-" + std::to_string(random()));
    if (mkdir(candidate.c_str(), 0700) == 0) {
      path_ = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
  std::erase(Live(), this);
  if (holding_) sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

void ScratchFolder::EndBy(int signal) {
  for (ScratchFolder* folder : Live()) {
    std::error_code ec;
    if (!folder->path_.empty()) fs::remove_all(folder->path_, ec);
    folder->path_.clear();
  }
  struct sigaction fallback{};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);  // not reached: the signal ends the process
}

void ScratchFolder::EndIfAsked() {
  if (!holding_) return;
  timespec now{0, 0};
  int signal = sigtimedwait(&held_, nullptr, &now);
  if (signal > 0) EndBy(signal);
}

bool ScratchFolder::Wait(pid_t child, int& status) {
  while (true) {
    pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return true;
    if (done == -1 && errno != EINTR) return false;
    // A short wait for a signal, then the child is looked at again.
    timespec tick{0, 50'000'000};
    int signal = holding_ ? sigtimedwait(&held_, nullptr, &tick) : (nanosleep(&tick, nullptr), -1);
    if (signal > 0) {
      kill(child, SIGKILL);
      while (waitpid(child, &status, 0) == -1 && errno == EINTR) {
      }
      EndBy(signal);
    }
  }
}

}  // namespace package
#endif
