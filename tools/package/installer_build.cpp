#include "tools/package/installer_build.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "tools/package/file_io.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace package {
namespace {

namespace fs = std::filesystem;

std::string VersionText(const FourPartVersion& v) {
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

std::string VersionString(const PackageDescription& d, const std::string& name) {
  for (const auto& [key, value] : d.version->strings) {
    if (key == name) return value;
  }
  return "";
}

fs::path FromText(const std::string& text) {
  std::string native = text;
#ifndef _WIN32
  std::replace(native.begin(), native.end(), '\\', '/');
#endif
  return fs::path(std::u8string(native.begin(), native.end()));
}

// ASCII letters compared without case, "*" for any run of characters.
bool Matches(std::string_view pattern, std::string_view name) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip) {
      if (Matches(pattern.substr(1), name.substr(skip))) return true;
    }
    return false;
  }
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return !name.empty() && lower(pattern[0]) == lower(name[0]) && Matches(pattern.substr(1), name.substr(1));
}

// The files a "Files" piece names, below `base`, sorted.
bool Expand(const fs::path& base, const std::string& piece, std::vector<fs::path>& found) {
  fs::path path = base / FromText(piece);
  std::error_code ec;
  std::vector<fs::path> files;
  std::string name = PathText(path.filename());
  if (name.find('*') != std::string::npos) {
    for (fs::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec) && Matches(name, PathText(it->path().filename()))) files.push_back(it->path());
    }
  } else if (fs::is_directory(path, ec)) {
    for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec)) files.push_back(it->path());
    }
  } else if (fs::is_regular_file(path, ec)) {
    files.push_back(path);
  }
  if (ec || files.empty()) return false;
  std::sort(files.begin(), files.end());
  found.insert(found.end(), files.begin(), files.end());
  return true;
}

// Windows' form of a relative path: "\" between its parts, each a plain name.
bool TargetOf(const fs::path& relative, std::string& target) {
  target.clear();
  for (const auto& part : relative) {
    std::string name = PathText(part);
    if (!IsPlainName(name)) return false;
    target += (target.empty() ? "" : "\\") + name;
  }
  return !target.empty();
}

// The path the WiX tools read: relative to the .wxs's folder where it can be.
std::string SourceFor(const fs::path& file, const fs::path& wxsFolder) {
  std::error_code ec;
  fs::path relative = fs::relative(file, wxsFolder, ec);
  fs::path chosen = ec || relative.empty() ? fs::absolute(file, ec) : relative;
  return PathText(chosen.make_preferred());
}

}  // namespace

bool PlanInstaller(const fs::path& descriptionPath, const fs::path& output, const PackageDescription& d,
                   InstallerPlan& plan, std::string& error) {
  const InstallerDescription& installer = *d.installer;
  std::error_code ec;
  fs::path outputFolder = fs::absolute(output, ec).parent_path();
  fs::path base = fs::absolute(descriptionPath, ec).parent_path();
  std::string stem = PathText(output.stem());
  std::string version = VersionText(d.version->productVersion);

  WixProduct& p = plan.product;
  p.name = VersionString(d, "ProductName");
  if (p.name.empty()) p.name = stem;
  p.manufacturer = VersionString(d, "CompanyName");
  if (p.manufacturer.empty()) p.manufacturer = p.name;
  p.version = version;
  p.upgradeCode = d.upgradeCode;
  std::transform(p.upgradeCode.begin(), p.upgradeCode.end(), p.upgradeCode.begin(),
                 [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
  p.installFolder = !installer.installFolder.empty() ? installer.installFolder : IsPlainName(p.name) ? p.name : stem;
  for (char c : stem) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) p.progIdBase += c;
  }
  if (p.progIdBase.empty()) p.progIdBase = "Application";
  p.perUser = installer.perUser;
  p.startMenu = installer.startMenu;
  p.desktopShortcut = installer.desktopShortcut;
  p.documentTypes = installer.documentTypes;

  plan.wxs = outputFolder / (output.stem().u8string() + u8".wxs");
  plan.msi = outputFolder / FromText(installer.file.empty() ? stem + "-" + version + ".msi" : installer.file);

  std::string where = PathText(descriptionPath) + ":" + std::to_string(installer.filesLine) + ": ";
  p.files = {{SourceFor(outputFolder / output.filename(), outputFolder), PathText(output.filename())},
             {SourceFor(outputFolder / (output.stem().u8string() + u8".ini"), outputFolder), stem + ".ini"}};
  if (d.console == ConsoleMode::Companion) {
    p.files.push_back({SourceFor(outputFolder / (output.stem().u8string() + u8".com"), outputFolder), stem + ".com"});
  }
  for (const std::string& piece : installer.files) {
    std::vector<fs::path> found;
    if (!Expand(base, piece, found)) {
      error = where + "\"Files\" names \"" + piece + "\", but there is no such file or folder (or no file matches)";
      return false;
    }
    for (const fs::path& file : found) {
      std::string target;
      if (!TargetOf(file.lexically_relative(base), target)) {
        error = where + PathText(file) + ": the name cannot be installed on Windows";
        return false;
      }
      for (const auto& known : p.files) {
        if (Matches(known.target, target)) {  // no "*" in targets: equal without case
          error = where + "\"Files\" installs " + target + " twice";
          return false;
        }
      }
      p.files.push_back(InstalledFile{SourceFor(file, outputFolder), target});
    }
  }
  return true;
}

int BuildInstaller(const char* tool, const InstallerPlan& plan) {
  std::string wix = ComposeWix(plan.product);
  fs::path failed;
  if (!WriteFilesOrNone({{plan.wxs, Bytes(wix.begin(), wix.end())}}, failed)) {
    return Report(tool, PathText(failed) + ": cannot write the output");
  }
#ifdef _WIN32
  // A per-user package keeps its files' own key paths, which light's validation (ICE38) wants in HKCU.
  std::printf("%s: wrote %s; build the installer in that folder with the WiX toolset (v3):\n"
              "  candle -arch x64 \"%s\"\n  light%s -o \"%s\" \"%s\"\n",
              tool, PathText(plan.wxs).c_str(), PathText(plan.wxs.filename()).c_str(),
              plan.product.perUser ? " -sval" : "", PathText(plan.msi).c_str(),
              PathText(fs::path(plan.wxs).replace_extension(".wixobj").filename()).c_str());
  return 0;
#else
  // wixl writes into a new folder of our own beside the package (never through
  // whatever stands at a guessable name), so a failure leaves no package behind.
  std::error_code ec;
  fs::path scratch;
  std::random_device random;
  for (int attempt = 0; attempt < 16 && scratch.empty(); ++attempt) {
    fs::path candidate = plan.msi.parent_path() / (".installer-" + std::to_string(random()));
    if (fs::create_directory(candidate, ec)) scratch = candidate;
  }
  fs::path part = scratch / "package.msi";
  std::string wxs = plan.wxs.string();
  std::string out = part.string();
  const char* argv[] = {"wixl", "-a", "x64", "-o", out.c_str(), wxs.c_str(), nullptr};
  // wixl looks for relative sources in its current folder first: run it in the .wxs's.
  std::string folder = plan.wxs.parent_path().string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  int spawned = scratch.empty() ? EEXIST
                                : posix_spawnp(&pid, "wixl", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  bool ran = spawned == 0 && waitpid(pid, &status, 0) == pid;
  fs::remove(plan.wxs, ec);
  bool made = ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  bool moved = false;
  if (made) {
    fs::rename(part, plan.msi, ec);
    moved = !ec;
  }
  if (!scratch.empty()) fs::remove_all(scratch, ec);
  if (scratch.empty()) return Report(tool, PathText(plan.msi.parent_path()) + ": cannot write the output");
  if (spawned != 0) {
    return Report(tool, "wixl was not found on PATH: it makes the installer (Debian package \"wixl\")");
  }
  if (!made) return Report(tool, PathText(plan.msi) + ": wixl failed (see its message above); no installer was written");
  if (!moved) return Report(tool, PathText(plan.msi) + ": cannot write the output");
  return 0;
#endif
}

}  // namespace package
