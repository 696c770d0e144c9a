// [Package] Runtime: a Java runtime shipped with the application, checked as
// the launcher would take it from the "runtime" folder beside the executable,
// before the installer carries it there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "tools/package/bytes.h"
#include "tools/package/package_description.h"

namespace package {

// The folder's name beside the executable: one the launcher searches.
inline constexpr std::string_view kBundledRuntimeFolder = "runtime";

// The machine field of a PE image (0x8664 x64, 0xAA64 ARM64, 0x14C x86);
// 0 when `header` (the file's first bytes) is no PE image.
std::uint16_t ImageMachine(const Bytes& header);

// "x64", "ARM64", "x86 (32-bit)" or "machine 0x....".
std::string MachineName(std::uint16_t machine);

// What the launcher built from the description asks of a runtime: the
// settings as it reads them (a non-empty [Ini: ...] value over the
// [Embedded: ...] one) and the launcher input's machine.
struct RuntimeDemands {
  std::string jvmType, minimumVersion, maximumVersion;
  std::uint16_t machine = 0;
};
RuntimeDemands DemandsOf(const PackageDescription& d, std::uint16_t launcherMachine);

// The first reason `folder` would not serve the launcher, as a phrase that
// follows the folder's name ("has no bin\java.dll, ..."); empty when it serves.
std::string RuntimeFault(const std::filesystem::path& folder, const RuntimeDemands& demands);

// Checks the description's "Runtime" (when it has one) against the launcher
// at `launcherPath`; with an [Installer], adds it to the installed files as
// runtime\. False with `error` ("<description>:<line>: <folder> <fault>").
bool TakeBundledRuntime(const std::filesystem::path& descriptionPath, const std::filesystem::path& launcherPath,
                        PackageDescription& d, std::string& error);

}  // namespace package
