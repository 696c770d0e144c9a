// Whole-file reads and all-or-nothing writes for the packaging tools, on
// Linux and on Windows.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/package/bytes.h"

namespace package {

bool ReadWholeFile(const std::filesystem::path& path, Bytes& bytes);

// Makes a new file at `path` holding `bytes`. Whatever stands there already
// (a file, a link, dangling or not, a folder) is never opened: the call fails
// with `taken` set. A file that could not be written whole is removed.
bool WriteNewFile(const std::filesystem::path& path, const Bytes& bytes, bool& taken);

// Writes every file, or none. Each goes first to a new temporary file under a
// fresh name in its target's folder; only when all were written does each
// target move aside and its temporary take its place. When a replacement
// fails, the targets already replaced are put back (should putting one back
// fail, the previous file stays beside it as "<name>.<random>.previous").
// On failure `failed` is the target that could not be written.
bool WriteFilesOrNone(const std::vector<std::pair<std::filesystem::path, Bytes>>& files,
                      std::filesystem::path& failed);

// Whether `a` and `b` name one file: the same absolute path with ASCII
// letters in any case (as Windows, where the outputs go, reads names), or
// one file on disk reached by two names.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

// Prints "<tool>: <message>" on standard error and returns 2.
int Report(const char* tool, const std::string& message);

}  // namespace package
