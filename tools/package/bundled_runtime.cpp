#include "tools/package/bundled_runtime.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "runtime/version_number.h"
#include "tools/package/file_io.h"

namespace package {
namespace {

namespace fs = std::filesystem;

std::wstring Widened(std::string_view text) { return std::wstring(text.begin(), text.end()); }

const DescriptionEntry* SettingOf(const std::vector<DescriptionSection>& sections, std::string_view key, bool ignoreCase) {
  auto same = [ignoreCase](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (ignoreCase) x = static_cast<char>(x >= 'A' && x <= 'Z' ? x + 32 : x), y = static_cast<char>(y >= 'A' && y <= 'Z' ? y + 32 : y);
      if (x != y) return false;
    }
    return true;
  };
  for (const auto& section : sections) {
    if (!same(section.name, "Java Runtime Environment")) continue;
    for (const auto& entry : section.entries) {
      if (same(entry.key, key)) return &entry;
    }
  }
  return nullptr;
}

// The value of a key of [Java Runtime Environment] as the launcher reads it.
std::string SettingValue(const PackageDescription& d, std::string_view key) {
  if (auto ini = SettingOf(d.ini, key, true); ini != nullptr && !ini->value.empty()) return ini->value;
  auto embedded = SettingOf(d.embedded, key, false);
  return embedded != nullptr ? embedded->value : "";
}

// JAVA_VERSION of a runtime's release file, quotes dropped; empty when none.
std::string ReleaseVersion(const fs::path& release) {
  std::ifstream file(release, std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (!line.starts_with("JAVA_VERSION=")) continue;
    std::string value = line.substr(13);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return "";
}

Bytes FileHeader(const fs::path& path) {
  Bytes header(4096);
  std::ifstream file(path, std::ios::binary);
  file.read(reinterpret_cast<char*>(header.data()), static_cast<std::streamsize>(header.size()));
  header.resize(file ? header.size() : static_cast<std::size_t>(file.gcount()));
  return header;
}

}  // namespace

std::uint16_t ImageMachine(const Bytes& header) {
  auto get = [&](std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | header[at + static_cast<std::size_t>(i)];
    return v;
  };
  if (header.size() < 64 || header[0] != 'M' || header[1] != 'Z') return 0;
  std::size_t pe = get(0x3C, 4);
  if (pe > header.size() - 6 || get(pe, 4) != 0x4550) return 0;  // "PE\0\0"
  return static_cast<std::uint16_t>(get(pe + 4, 2));
}

std::string MachineName(std::uint16_t machine) {
  if (machine == 0x8664) return "x64";
  if (machine == 0xAA64) return "ARM64";
  if (machine == 0x14C) return "x86 (32-bit)";
  char text[24];
  std::snprintf(text, sizeof(text), "machine 0x%04X", machine);
  return text;
}

RuntimeDemands DemandsOf(const PackageDescription& d, std::uint16_t launcherMachine) {
  return RuntimeDemands{SettingValue(d, "JVM Type"), SettingValue(d, "Minimum Version"),
                        SettingValue(d, "Maximum Version"), launcherMachine};
}

std::string RuntimeFault(const fs::path& folder, const RuntimeDemands& demands) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return "is not a folder";
  // The launcher's choice: a server VM only for "JVM Type" server, else
  // either (client first).
  const bool serverOnly = demands.jvmType == "server";
  const char* found = nullptr;
  for (const char* library : {"bin/client/jvm.dll", "bin/server/jvm.dll"}) {
    if ((!serverOnly || std::string_view(library).find("server") != std::string_view::npos) &&
        fs::is_regular_file(folder / library, ec)) {
      found = library;
      break;
    }
  }
  if (found == nullptr) {
    return serverOnly ? "has no bin\\server\\jvm.dll (\"JVM Type\" is server)"
                      : "has no bin\\server\\jvm.dll or bin\\client\\jvm.dll";
  }
  std::string shown(found);
  for (char& c : shown) c = c == '/' ? '\\' : c;
  const std::uint16_t machine = ImageMachine(FileHeader(folder / found));
  if (machine == 0) return "holds " + shown + ", which is no Windows library";
  if (machine != demands.machine) {
    return "holds " + shown + " built for " + MachineName(machine) + ", but the launcher is built for " +
           MachineName(demands.machine) + " and cannot load it";
  }
  if (!fs::is_regular_file(folder / "bin/java.dll", ec)) {
    return "has no bin\\java.dll, which the virtual machine loads as it starts (a runtime made with jlink from a "
           "Windows JDK's jmods has it)";
  }
  const std::string version = ReleaseVersion(folder / "release");
  const auto parsed = runtime::ParseVersion(Widened(version), 0);
  if (version.empty() || !parsed.ok) return "has no release file naming its JAVA_VERSION (jlink writes one)";
  if (runtime::CompareVersions(parsed.version, runtime::MinimumVersionSetting(Widened(demands.minimumVersion))) < 0) {
    return "holds Java " + version + " (JAVA_VERSION of its release file), below \"Minimum Version\" " +
           demands.minimumVersion;
  }
  if (runtime::CompareVersions(parsed.version, runtime::MaximumVersionSetting(Widened(demands.maximumVersion))) > 0) {
    return "holds Java " + version + " (JAVA_VERSION of its release file), above \"Maximum Version\" " +
           demands.maximumVersion;
  }
  return "";
}

bool TakeBundledRuntime(const fs::path& descriptionPath, const fs::path& launcherPath, PackageDescription& d,
                        std::string& error) {
  if (d.runtime.empty()) return true;
  const std::string where = PathText(descriptionPath) + ":" + std::to_string(d.runtimeLine) + ": ";
  std::string text = d.runtime;
#ifndef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');
#endif
  const fs::path folder = descriptionPath.parent_path() / fs::path(std::u8string(text.begin(), text.end()));
  const std::uint16_t machine = ImageMachine(FileHeader(launcherPath));
  std::string fault = machine == 0 ? "" : RuntimeFault(folder, DemandsOf(d, machine));
  if (!fault.empty()) {
    error = where + "the runtime " + PathText(folder) + " " + fault;
    return false;
  }
  if (!d.installer) return true;
  if (auto unfit = UnfitInstallerText(d.runtime); !unfit.empty()) {
    error = where + "\"Runtime\" " + unfit;
    return false;
  }
  if (d.installer->filesLine == 0) d.installer->filesLine = d.runtimeLine;  // where a fault in its files is told
  d.installer->files.push_back(FilesEntry{d.runtime, std::string(kBundledRuntimeFolder)});
  return true;
}

}  // namespace package
