// The installer at the edge: the description's files found on disk, the WiX
// source written, and `wixl` run (on Windows: the source and how to build it).
#pragma once

#include <filesystem>
#include <string>

#include "tools/package/installer_wix.h"
#include "tools/package/package_description.h"

namespace package {

struct InstallerPlan {
  std::filesystem::path wxs;  // beside the output executable
  std::filesystem::path msi;
  WixProduct product;
};

// What the installer of `description` holds, with its "Files" looked up
// beside `descriptionPath`. False with `error` ("<file>:<line>: ...") when one
// is missing; nothing is written.
bool PlanInstaller(const std::filesystem::path& descriptionPath, const std::filesystem::path& output,
                   const PackageDescription& description, InstallerPlan& plan, std::string& error);

// Writes the WiX source and makes the package from it; an exit code.
int BuildInstaller(const char* tool, const InstallerPlan& plan);

}  // namespace package
