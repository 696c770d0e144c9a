#include "tools/package/run_tool.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tools/package/file_io.h"

extern char** environ;

namespace package {

ToolRun RunTool(ScratchFolder& folder, const std::vector<std::string>& argv, const std::string* secret) {
  ToolRun run;
  std::string said = (folder.path() / (argv[0] + ".txt")).string();
  std::vector<char*> arguments;
  for (const auto& a : argv) arguments.push_back(const_cast<char*>(a.c_str()));
  arguments.push_back(nullptr);
  // The secret waits in the pipe: it is far below a pipe's capacity, so the
  // write end is closed before the tool starts and reads it.
  int pipeEnds[2] = {-1, -1};
  if (secret != nullptr) {
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return run;
    bool written = write(pipeEnds[1], secret->data(), secret->size()) == static_cast<ssize_t>(secret->size());
    close(pipeEnds[1]);
    if (!written) {
      close(pipeEnds[0]);
      return run;
    }
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
  posix_spawn_file_actions_addopen(&actions, 1, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (secret != nullptr) posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setsigmask(&attributes, &folder.mask());
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  run.started = posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, arguments.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (secret != nullptr) close(pipeEnds[0]);
  if (!run.started) return run;
  int status = 0;
  bool waited = folder.Wait(pid, status);
  Bytes output;
  ReadWholeFile(said, output);
  run.said.assign(output.begin(), output.end());
  while (!run.said.empty() && (run.said.back() == '\n' || run.said.back() == '\r')) run.said.pop_back();
  run.succeeded = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.how = !waited               ? "could not be waited for"
            : WIFSIGNALED(status) ? "stopped by signal " + std::to_string(WTERMSIG(status))
                                  : "exit code " + std::to_string(WEXITSTATUS(status));
  return run;
}

}  // namespace package
#endif
