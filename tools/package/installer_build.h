// The installer at the edge: the description's files found on disk, the WiX
// source written, and `wixl` run (on Windows: the source and how to build it).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/package/bytes.h"
#include "tools/package/installer_wix.h"
#include "tools/package/package_description.h"

namespace package {

class Signer;

struct InstallerPlan {
  std::filesystem::path msi;
  std::filesystem::path wxs;  // the WiX source kept beside the package; empty: none is kept
  WixProduct product;         // its sources relative to the package's folder
  std::vector<std::filesystem::path> sources;  // each file's absolute path, in the product's order
  std::vector<std::filesystem::path> inputs;   // the files "Files" names
};

// What the installer of `description` holds, with its "Files" looked up
// beside `descriptionPath`. False with `error` ("<file>:<line>: ...") when one
// is missing or cannot be installed; nothing is written.
bool PlanInstaller(const std::filesystem::path& descriptionPath, const std::filesystem::path& output,
                   const PackageDescription& description, bool keepWxs, InstallerPlan& plan, std::string& error);

// Writes `outputs` (the executable and the files beside it) and makes the
// package (on Windows: writes the WiX source and says how to build it); an
// exit code. The package is made first, from copies in a folder of its own
// that is removed after, so a failure writes none of them.
// With `signer` the package is signed (and verified) before anything is written.
int BuildInstaller(const char* tool, const InstallerPlan& plan,
                   const std::vector<std::pair<std::filesystem::path, Bytes>>& outputs, Signer* signer);

// Whether a file name matches a "Files" pattern: "*" any run of characters,
// ASCII letters without case.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace package
