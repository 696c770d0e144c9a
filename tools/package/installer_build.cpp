#include "tools/package/installer_build.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <unordered_set>

#include "tools/package/file_io.h"
#include "tools/package/signing.h"

#ifndef _WIN32
#include "tools/package/run_tool.h"
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

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  return out;
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

// The first link among the folders and the file of `relative` below `base`
// that leads out of `base`: what it names is no part of the application,
// wherever the path goes after it. False with `error` naming the link.
bool StaysInside(const fs::path& base, const fs::path& relative, std::string& error) {
  std::error_code ec;
  fs::path realBase = fs::weakly_canonical(base, ec);
  fs::path path = base;
  for (const auto& part : relative) {
    path /= part;
    if (!fs::is_symlink(path, ec)) continue;
    fs::path target = fs::weakly_canonical(path, ec);
    if (ec || !IsInside(target, realBase)) {
      error = PathText(path) + " is a link to " + PathText(target) + ", outside the description's folder " +
              PathText(realBase);
      return false;
    }
  }
  return true;
}

// The files found for one "Files" piece. A link among them must lead inside
// `realRoot`, the listed folder (the description's for a named file); one to
// a folder there is walked as that folder, under the link's name, unless it
// holds the link (a loop).
class Finder {
 public:
  Finder(fs::path realRoot, std::string& error) : realRoot_(std::move(realRoot)), error_(error) {}

  // `entry` as a file, or with `descend` as a folder with all below it.
  bool Take(const fs::directory_entry& entry, bool descend) {
    std::error_code e;
    std::string name = PathText(entry.path());
    bool link = entry.is_symlink(e);
    fs::path real = link ? fs::weakly_canonical(entry.path(), e) : fs::path();
    if (link && (e || !fs::exists(real, e))) {
      error_ = name + " is a link to " + PathText(fs::read_symlink(entry.path(), e)) + ", which does not exist";
      return false;
    }
    if (link && !IsInside(real, realRoot_)) {
      error_ = name + " is a link to " + PathText(real) + ", outside the listed folder " + PathText(realRoot_);
      return false;
    }
    fs::file_status status = entry.status(e);
    if (fs::is_regular_file(status)) {
      files.push_back(entry.path());
      return true;
    }
    if (!fs::is_directory(status)) {
      error_ = name + " is neither a file nor a folder";
      return false;
    }
    if (!descend) return true;
    if (link && std::find(open_.begin(), open_.end(), real) != open_.end()) {
      error_ = name + " is a link to " + PathText(real) + ", a folder that holds the link";
      return false;
    }
    return Walk(entry.path(), link ? real : open_.back() / entry.path().filename());
  }

  // The folder `path`, whose real path is `real`.
  bool Walk(const fs::path& path, const fs::path& real) {
    open_.push_back(real);
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (!Take(*it, true)) return false;
    }
    if (ec) {
      error_ = PathText(path) + ": the folder cannot be read";
      return false;
    }
    open_.pop_back();
    return true;
  }

  std::vector<fs::path> files;

 private:
  fs::path realRoot_;
  std::string& error_;
  std::vector<fs::path> open_;  // the real paths of the folders being walked, outermost first
};

// The files a "Files" piece names, below `base`, sorted. A link on the way
// that leads out of the description's folder, or one among them that leads
// out of the listed folder, is refused: its target is no part of the
// application.
bool Expand(const fs::path& base, const std::string& piece, std::vector<fs::path>& found, std::string& error) {
  fs::path relative = FromText(piece);
  fs::path path = base / relative;
  std::error_code ec;
  std::string name = PathText(path.filename());
  bool pattern = name.find('*') != std::string::npos;
  if (!StaysInside(base, pattern ? relative.parent_path() : relative, error)) return false;
  bool folder = !pattern && fs::is_directory(path, ec);
  fs::path realRoot = fs::weakly_canonical(pattern ? path.parent_path() : folder ? path : base, ec);
  Finder finder(realRoot, error);
  if (pattern) {
    // A pattern picks files: folders it matches are passed over.
    for (fs::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
      if (MatchesPattern(name, PathText(it->path().filename())) && !finder.Take(*it, false)) return false;
    }
  } else if (folder) {
    if (!finder.Walk(path, realRoot)) return false;
  } else if (fs::symlink_status(path, ec).type() != fs::file_type::not_found &&
             !finder.Take(fs::directory_entry(path, ec), false)) {
    return false;
  }
  if (ec || finder.files.empty()) return false;
  std::sort(finder.files.begin(), finder.files.end());
  found.insert(found.end(), finder.files.begin(), finder.files.end());
  return true;
}

// Windows' form of a relative path: "\" between its parts, each a plain name.
// False with why a part is not one.
bool TargetOf(const fs::path& relative, std::string& target, std::string& why) {
  target.clear();
  for (const auto& part : relative) {
    std::string name = PathText(part);
    if (!IsPlainName(name)) {
      std::string fault = NameFault(name);
      why = fault.empty() ? "the name cannot be installed on Windows" : "\"" + name + "\" " + fault;
      return false;
    }
    target += (target.empty() ? "" : "\\") + name;
  }
  return !target.empty();
}

// Where `file`, found for `entry`, goes below the install folder: its path
// relative to the description; with a folder after "->", that folder and the
// file's path inside the listed folder (a file or a pattern's match: its name).
fs::path InstalledPath(const fs::path& base, const FilesEntry& entry, const fs::path& file) {
  if (entry.folder.empty()) return file.lexically_relative(base);
  fs::path listed = base / FromText(entry.source);
  std::error_code ec;
  fs::path inside = fs::is_directory(listed, ec) ? file.lexically_relative(listed) : file.filename();
  return entry.folder == "." ? inside : FromText(entry.folder) / inside;
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
  // The targets so far, in lower case: Windows reads names in any case.
  std::unordered_set<std::string> installed;
  for (const auto& file : p.files) installed.insert(Lowered(file.target));
  for (const FilesEntry& entry : installer.files) {
    const std::string& piece = entry.source;
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
      std::string why;
      if (!TargetOf(InstalledPath(base, entry, file), target, why)) {
        error = where + PathText(file) + ": " + why;
        return false;
      }
      if (auto unfit = UnfitInstallerText(target); !unfit.empty()) {
        error = where + PathText(file) + ": the name " + unfit;
        return false;
      }
      if (!installed.insert(Lowered(target)).second) {
        error = where + "\"Files\" installs " + target + " twice";
        return false;
      }
      add(file, target);
      plan.inputs.push_back(file);
    }
  }
  return true;
}

int BuildInstaller(const char* tool, const InstallerPlan& plan, const std::vector<std::pair<fs::path, Bytes>>& outputs,
                   Signer* signer) {
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
  ScratchFolder folder;
  if (!folder.Make(plan.msi.parent_path())) {
    return Report(tool, PathText(plan.msi.parent_path()) + ": cannot write the output");
  }
  const fs::path& scratch = folder.path();

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
    folder.EndIfAsked();
  }
  std::string wix = ComposeWix(product);
  if (!WriteFilesOrNone({{scratch / "package.wxs", Bytes(wix.begin(), wix.end())}}, failed)) {
    return Report(tool, PathText(failed) + ": cannot write the output");
  }
  ToolRun wixl = RunTool(folder, {"wixl", "-a", "x64", "-o", "package.msi", "package.wxs"});
  if (!wixl.started) {
    return Report(tool, "wixl was not found on PATH: it makes the installer (Debian package \"wixl\")");
  }
  const std::string& text = wixl.said;
  if (!wixl.succeeded) {
    return Report(tool, PathText(plan.msi) + ": wixl failed (" + wixl.how + "); no installer was written. wixl said:\n" +
                            (text.empty() ? "(nothing)" : text));
  }
  if (!text.empty()) std::fprintf(stderr, "%s\n", text.c_str());
  // The package holds the signed programs already; now it is signed itself.
  std::string made = "package.msi";
  if (signer != nullptr) {
    std::string error;
    if (!signer->SignFile(scratch / made, scratch / "signed.msi", PathText(plan.msi.filename()), error)) {
      return Report(tool, error);
    }
    made = "signed.msi";
  }
  folder.EndIfAsked();
  if (!WriteFilesOrNone(outputs, failed)) return Report(tool, PathText(failed) + ": cannot write the output");
  fs::rename(scratch / made, plan.msi, ec);
  if (ec) return Report(tool, PathText(plan.msi) + ": cannot write the output");
  return 0;
#endif
}

}  // namespace package
