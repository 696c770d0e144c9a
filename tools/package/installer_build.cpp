#include "tools/package/installer_build.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "tools/package/file_io.h"

#ifndef _WIN32
#include <fcntl.h>
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

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Where `part` first stands in `name` from `from` on, letters compared without case.
std::size_t Find(std::string_view name, std::string_view part, std::size_t from) {
  for (std::size_t at = from; at + part.size() <= name.size(); ++at) {
    if (SameLetters(name.substr(at, part.size()), part)) return at;
  }
  return std::string_view::npos;
}

bool IsInside(const fs::path& path, const fs::path& folder) {
  fs::path relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

// The files a "Files" piece names, below `base`, sorted. A link among them
// that leads out of the listed folder (the description's for a named file)
// is refused: its target is no part of the application.
bool Expand(const fs::path& base, const std::string& piece, std::vector<fs::path>& found, std::string& error) {
  fs::path path = base / FromText(piece);
  std::error_code ec;
  std::vector<fs::path> files;
  std::string name = PathText(path.filename());
  bool pattern = name.find('*') != std::string::npos;
  bool folder = !pattern && fs::is_directory(path, ec);
  fs::path realRoot = fs::weakly_canonical(pattern ? path.parent_path() : folder ? path : base, ec);
  auto take = [&](const fs::directory_entry& entry) {
    std::error_code e;
    if (entry.is_symlink(e)) {
      fs::path target = fs::weakly_canonical(entry.path(), e);
      if (e || !IsInside(target, realRoot)) {
        error = PathText(entry.path()) + " is a link to " + PathText(target) + ", outside the listed folder " +
                PathText(realRoot);
        return false;
      }
    }
    if (entry.is_regular_file(e)) files.push_back(entry.path());
    return true;
  };
  if (pattern) {
    for (fs::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
      if (MatchesPattern(name, PathText(it->path().filename())) && !take(*it)) return false;
    }
  } else if (folder) {
    for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (!take(*it)) return false;
    }
  } else if (!take(fs::directory_entry(path, ec))) {
    return false;
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

// The pattern's literal parts in order, the first at the start and the last
// at the end: taking each at its first place from the left never misses a
// match, so the time grows with the lengths, not exponentially with the stars.
bool MatchesPattern(std::string_view pattern, std::string_view name) {
  std::size_t star = pattern.find('*');
  if (star == std::string_view::npos) return SameLetters(pattern, name);
  std::string_view head = pattern.substr(0, star);
  std::string_view rest = pattern.substr(star + 1);
  std::size_t last = rest.rfind('*');
  std::string_view tail = last == std::string_view::npos ? rest : rest.substr(last + 1);
  std::string_view middle = last == std::string_view::npos ? std::string_view() : rest.substr(0, last);
  if (name.size() < head.size() + tail.size() || !SameLetters(name.substr(0, head.size()), head) ||
      !SameLetters(name.substr(name.size() - tail.size()), tail)) {
    return false;
  }
  std::string_view inner = name.substr(head.size(), name.size() - head.size() - tail.size());
  std::size_t at = 0;
  while (!middle.empty()) {
    std::size_t end = middle.find('*');
    std::string_view part = middle.substr(0, end);
    if (!part.empty()) {
      at = Find(inner, part, at);
      if (at == std::string_view::npos) return false;
      at += part.size();
    }
    if (end == std::string_view::npos) break;
    middle.remove_prefix(end + 1);
  }
  return true;
}

bool PlanInstaller(const fs::path& descriptionPath, const fs::path& output, const PackageDescription& d,
                   bool keepWxs, InstallerPlan& plan, std::string& error) {
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
  p.offeredTypes = installer.offeredTypes;
  if (d.service) {
    const ServiceDescription& s = *d.service;
    const std::string productName = VersionString(d, "ProductName");
    p.service = WixService{s.name, !s.displayName.empty() ? s.displayName : !productName.empty() ? productName : s.name,
                           s.description, s.start, ServiceAccountName(s.account)};
  }

  plan.msi = outputFolder / FromText(installer.file.empty() ? stem + "-" + version + ".msi" : installer.file);
#ifdef _WIN32
  keepWxs = true;  // the WiX source is what this build hands over
#endif
  plan.wxs = keepWxs ? fs::path(plan.msi).replace_extension(".wxs") : fs::path();
  if (auto unfit = UnfitInstallerText(PathText(output.filename())); !unfit.empty()) {
    error = PathText(output) + ": the output's name " + unfit + " (it is installed under that name)";
    return false;
  }
  if (p.name.size() > 128) {
    error = PathText(output) + ": the output's name names the shortcuts without a \"Product Name\", and is longer "
                               "than the 128 characters they may hold";
    return false;
  }

  std::string where = PathText(descriptionPath) + ":" + std::to_string(installer.filesLine) + ": ";
  auto add = [&](const fs::path& source, const std::string& target) {
    p.files.push_back(InstalledFile{SourceFor(source, outputFolder), target});
    plan.sources.push_back(fs::absolute(source, ec));
  };
  add(outputFolder / output.filename(), PathText(output.filename()));
  add(outputFolder / (output.stem().u8string() + u8".ini"), stem + ".ini");
  if (d.console == ConsoleMode::Companion) add(outputFolder / (output.stem().u8string() + u8".com"), stem + ".com");
  for (const std::string& piece : installer.files) {
    std::vector<fs::path> found;
    std::string linkError;
    if (!Expand(base, piece, found, linkError)) {
      error = where + (linkError.empty() ? "\"Files\" names \"" + piece +
                                               "\", but there is no such file or folder (or no file matches)"
                                         : linkError);
      return false;
    }
    for (const fs::path& file : found) {
      std::string target;
      if (!TargetOf(file.lexically_relative(base), target)) {
        error = where + PathText(file) + ": the name cannot be installed on Windows";
        return false;
      }
      if (auto unfit = UnfitInstallerText(target); !unfit.empty()) {
        error = where + PathText(file) + ": the name " + unfit;
        return false;
      }
      for (const auto& known : p.files) {
        if (SameLetters(known.target, target)) {
          error = where + "\"Files\" installs " + target + " twice";
          return false;
        }
      }
      add(file, target);
      plan.inputs.push_back(file);
    }
  }
  return true;
}

int BuildInstaller(const char* tool, const InstallerPlan& plan,
                   const std::vector<std::pair<fs::path, Bytes>>& outputs) {
  fs::path failed;
#ifdef _WIN32
  if (!WriteFilesOrNone(outputs, failed)) return Report(tool, PathText(failed) + ": cannot write the output");
#endif
  if (!plan.wxs.empty()) {
    std::string kept = ComposeWix(plan.product);
    if (!WriteFilesOrNone({{plan.wxs, Bytes(kept.begin(), kept.end())}}, failed)) {
      return Report(tool, PathText(failed) + ": cannot write the output");
    }
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
  // wixl works in a new folder of our own beside the package (never through
  // whatever stands at a guessable name), so a failure leaves nothing behind.
  // The source it reads names each file by a link in that folder: no path of
  // the build machine reaches the WiX preprocessor, which would expand a "$".
  std::error_code ec;
  fs::path scratch;
  std::random_device random;
  for (int attempt = 0; attempt < 16 && scratch.empty(); ++attempt) {
    fs::path candidate = plan.msi.parent_path() / (".installer-" + std::to_string(random()));
    if (fs::create_directory(candidate, ec)) scratch = candidate;
  }
  if (scratch.empty()) return Report(tool, PathText(plan.msi.parent_path()) + ": cannot write the output");
  struct Removed {
    fs::path folder;
    ~Removed() {
      std::error_code e;
      fs::remove_all(folder, e);
    }
  } removed{scratch};

  // The outputs are not written yet: the package is made from copies here,
  // so that a failing wixl leaves every earlier output as it was.
  WixProduct product = plan.product;
  for (std::size_t i = 0; i < product.files.size(); ++i) {
    product.files[i].source = "f" + std::to_string(i);
    fs::path source = scratch / product.files[i].source;
    auto made = std::find_if(outputs.begin(), outputs.end(),
                             [&](const auto& output) { return fs::absolute(output.first, ec) == plan.sources[i]; });
    if (made != outputs.end() ? !WriteFilesOrNone({{source, made->second}}, failed)
                              : (fs::create_symlink(plan.sources[i], source, ec), bool(ec))) {
      return Report(tool, PathText(scratch) + ": cannot write the output");
    }
  }
  std::string wix = ComposeWix(product);
  if (!WriteFilesOrNone({{scratch / "package.wxs", Bytes(wix.begin(), wix.end())}}, failed)) {
    return Report(tool, PathText(failed) + ": cannot write the output");
  }
  std::string said = (scratch / "wixl.txt").string();
  const char* argv[] = {"wixl", "-a", "x64", "-o", "package.msi", "package.wxs", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, scratch.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  int spawned = posix_spawnp(&pid, "wixl", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  bool ran = spawned == 0 && waitpid(pid, &status, 0) == pid;
  if (spawned != 0) {
    return Report(tool, "wixl was not found on PATH: it makes the installer (Debian package \"wixl\")");
  }
  Bytes output;
  ReadWholeFile(said, output);
  std::string text(output.begin(), output.end());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string how = !ran                ? "could not be waited for"
                      : WIFSIGNALED(status) ? "stopped by signal " + std::to_string(WTERMSIG(status))
                                            : "exit code " + std::to_string(WEXITSTATUS(status));
    return Report(tool, PathText(plan.msi) + ": wixl failed (" + how + "); no installer was written. wixl said:\n" +
                            (text.empty() ? "(nothing)" : text));
  }
  if (!text.empty()) std::fprintf(stderr, "%s\n", text.c_str());
  if (!WriteFilesOrNone(outputs, failed)) return Report(tool, PathText(failed) + ": cannot write the output");
  fs::rename(scratch / "package.msi", plan.msi, ec);
  if (ec) return Report(tool, PathText(plan.msi) + ": cannot write the output");
  return 0;
#endif
}

}  // namespace package
