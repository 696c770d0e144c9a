// Running a build tool (wixl, osslsigncode, openssl) on Linux: looked up on
// PATH, run in a private folder with its words kept in a file there, a
// termination signal meanwhile ending it and the run (see scratch_folder.h).
// A secret reaches it through a pipe as descriptor 3, never through a
// command line, the environment or a file.
#pragma once

#ifndef _WIN32
#include <string>
#include <vector>

#include "tools/package/scratch_folder.h"

namespace package {

struct ToolRun {
  bool started = false;
  bool succeeded = false;  // it ended with exit code 0
  std::string how;         // otherwise: "exit code 1", "stopped by signal 5", "could not be waited for"
  std::string said;        // its output and errors, without the last line ends
};

ToolRun RunTool(ScratchFolder& folder, const std::vector<std::string>& argv, const std::string* secret = nullptr);

}  // namespace package
#endif
