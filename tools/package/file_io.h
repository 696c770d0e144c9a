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

// Writes every file, or none: each goes to a temporary file beside its
// target first, and only when all were written are they renamed into place.
// On failure `failed` is the target that could not be written.
bool WriteFilesOrNone(const std::vector<std::pair<std::filesystem::path, Bytes>>& files,
                      std::filesystem::path& failed);

// A path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

// Prints "<tool>: <message>" on standard error and returns 2.
int Report(const char* tool, const std::string& message);

}  // namespace package
