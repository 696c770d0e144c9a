#include "tools/package/installer_description.h"

#include <algorithm>

#include "tools/package/package_description.h"
#include "tools/package/utf.h"

namespace package {

namespace {

constexpr std::size_t kLongestName = 255;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The non-empty, trimmed pieces of a ";"-separated list.
std::vector<std::string_view> Pieces(std::string_view list) {
  std::vector<std::string_view> pieces;
  while (true) {
    std::size_t end = list.find(';');
    std::string_view piece = Trim(list.substr(0, end));
    if (!piece.empty()) pieces.push_back(piece);
    if (end == std::string_view::npos) return pieces;
    list.remove_prefix(end + 1);
  }
}

DescriptionError At(const DescriptionEntry* entry, const std::string& message) {
  return DescriptionError{entry->line, "\"" + entry->key + "\" " + message};
}

std::optional<DescriptionError> YesNo(const DescriptionEntry* entry, bool& value) {
  if (entry == nullptr) return std::nullopt;
  if (entry->value != "yes" && entry->value != "no") return At(entry, "must be yes or no, not \"" + entry->value + "\"");
  value = entry->value == "yes";
  return std::nullopt;
}

// A relative path whose folders stay below the description's folder; a "*"
// only in its last part.
bool IsInstallablePath(std::string_view path) {
  if (path.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (true) {
    std::size_t end = path.find_first_of("\\/", start);
    std::string_view part = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    bool last = end == std::string_view::npos;
    if (last && part.find('*') != std::string_view::npos) {
      std::string named(part);
      for (char& c : named) c = c == '*' ? 'x' : c;
      return IsPlainName(named);
    }
    if (!IsPlainName(part)) return false;
    if (last) return true;
    start = end + 1;
  }
}

// The first part of `path` that is a device's name or too long, and why:
// "\"con.txt\" is the name of a device ...".
std::string PartFault(std::string_view path) {
  while (true) {
    std::size_t end = path.find_first_of("\\/");
    std::string_view part = path.substr(0, end);
    if (auto fault = NameFault(part); !fault.empty()) return "\"" + std::string(part) + "\" " + fault;
    if (end == std::string_view::npos) return "";
    path.remove_prefix(end + 1);
  }
}

bool SameExtension(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  }
  return true;
}

// Types of programs, scripts and shell objects, and of the system's own
// files: an application that took one over would break every program (or the
// system) that opens them, or be started for what Windows runs as code.
constexpr std::string_view kProgramTypes[] = {
    ".exe", ".com", ".bat", ".cmd", ".lnk", ".pif", ".scr", ".msi", ".msp", ".mst", ".dll", ".sys", ".cpl",
    ".ps1", ".psm1", ".psd1", ".ps1xml", ".psc1", ".pssc", ".cdxml", ".vbs", ".vbe", ".vb", ".js", ".jse", ".wsf",
    ".wsh", ".wsc", ".ws", ".sct", ".scf", ".shb", ".shs", ".hta", ".msc", ".reg", ".inf", ".url", ".website",
    ".ocx", ".drv", ".jar", ".settingcontent-ms", ".library-ms", ".search-ms", ".searchconnector-ms",
    ".appref-ms", ".application", ".xbap", ".gadget", ".appinstaller", ".msix", ".msixbundle", ".appx",
    ".appxbundle", ".msu", ".diagcab", ".mof", ".ade", ".adp", ".mde"};
// Types Windows opens with programs of its own: an application may be offered
// for them ("Open With"), never take them.
constexpr std::string_view kWindowsTypes[] = {
    ".txt", ".log", ".ini", ".xml", ".htm", ".html", ".mht", ".mhtml", ".css", ".rtf", ".csv", ".pdf", ".xps",
    ".oxps", ".jpg", ".jpeg", ".png", ".gif", ".bmp", ".tif", ".tiff", ".ico", ".svg", ".webp", ".heic", ".wav",
    ".mp3", ".mp4", ".m4a", ".wma", ".wmv", ".avi", ".mkv", ".mov", ".flac", ".zip", ".cab", ".iso", ".img",
    ".vhd", ".vhdx", ".cer", ".crt", ".der", ".pem", ".p7b", ".p7c", ".p7s", ".p12", ".pfx", ".spc", ".sst",
    ".stl", ".crl", ".cat", ".ttf", ".otf", ".ttc", ".fon", ".fnt", ".rdp", ".chm", ".hlp", ".theme", ".themepack",
    ".deskthemepack", ".evtx", ".contact", ".group", ".nfo"};

template <std::size_t N>
bool IsOneOf(std::string_view extension, const std::string_view (&list)[N]) {
  for (std::string_view known : list) {
    if (SameExtension(known, extension)) return true;
  }
  return false;
}

// Windows opens these names as devices, whatever follows the first dot.
bool IsDeviceName(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$") {
    return true;
  }
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '0' && base[3] <= '9';
}

bool IsExtension(std::string_view text) {
  if (text.size() < 2 || text.size() > 32 || text[0] != '.') return false;
  for (char c : text.substr(1)) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

// A type named once in "File Types" and "Open With" together, and not a
// program's or system file's.
std::optional<DescriptionError> TakenOrOffered(const DescriptionEntry* entry, std::string_view extension,
                                               const InstallerDescription& installer) {
  if (IsOneOf(extension, kProgramTypes)) {
    return At(entry, "cannot name " + std::string(extension) + ": it is the type of programs or system files");
  }
  bool twice = std::any_of(installer.documentTypes.begin(), installer.documentTypes.end(),
                           [&](const DocumentType& t) { return SameExtension(t.extension, extension); }) ||
               std::any_of(installer.offeredTypes.begin(), installer.offeredTypes.end(),
                           [&](const std::string& t) { return SameExtension(t, extension); });
  if (twice) return At(entry, "names " + std::string(extension) + " twice");
  return std::nullopt;
}

}  // namespace

bool IsBracedGuid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    char c = text[i];
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

std::string NameFault(std::string_view name) {
  if (IsDeviceName(name)) {
    return "is the name of a device on Windows (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, with any extension "
           "and in any case), which no file or folder may have";
  }
  std::u16string wide;
  if (Utf8ToUtf16(name, wide) && wide.size() > kLongestName) {
    return "is longer than the 255 characters a Windows file or folder name may hold";
  }
  return "";
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ' ||
      !NameFault(name).empty()) {
    return false;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

bool IsBelowDescription(std::string_view path) {
  return path.find('*') == std::string_view::npos && IsInstallablePath(path);
}

std::string UnfitInstallerText(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c == '$') return "holds \"$\", which the installer's build tool (wixl) reads as the start of a variable";
    if (c >= 0x80) {
      std::size_t length = 1;
      while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) ++length;
      return "holds \"" + std::string(text.substr(i, length)) +
             "\": the installer's build tool (wixl) keeps only ASCII text in the package";
    }
  }
  return "";
}

std::optional<DescriptionError> ReadInstaller(std::map<std::string, const DescriptionEntry*>& found,
                                              InstallerDescription& installer) {
  if (auto file = found["File"]) {
    if (auto fault = NameFault(file->value); !fault.empty()) return At(file, "\"" + file->value + "\" " + fault);
    if (!IsPlainName(file->value)) {
      return At(file, "must be a file name (the package is made in the output's folder), not \"" + file->value + "\"");
    }
    if (auto unfit = UnfitInstallerText(file->value); !unfit.empty()) return At(file, unfit);
    installer.file = file->value;
  }
  if (auto folder = found["Install Folder"]) {
    if (auto fault = NameFault(folder->value); !fault.empty()) return At(folder, "\"" + folder->value + "\" " + fault);
    if (!IsPlainName(folder->value)) {
      return At(folder, "must be a folder name without \\ / : * ? \" < > |, not \"" + folder->value + "\"");
    }
    if (auto unfit = UnfitInstallerText(folder->value); !unfit.empty()) return At(folder, unfit);
    installer.installFolder = folder->value;
  }
  if (auto scope = found["Scope"]) {
    if (scope->value != "machine" && scope->value != "user") {
      return At(scope, "must be machine or user, not \"" + scope->value + "\"");
    }
    installer.perUser = scope->value == "user";
  }
  if (auto files = found["Files"]) {
    installer.filesLine = files->line;
    for (std::string_view written : Pieces(files->value)) {
      const std::size_t arrow = written.find("->");
      std::string_view piece = Trim(written.substr(0, arrow));
      std::string_view folder = arrow == std::string_view::npos ? "" : Trim(written.substr(arrow + 2));
      if (auto fault = PartFault(piece); !fault.empty()) return At(files, "names \"" + std::string(piece) + "\", whose " + fault);
      if (!IsInstallablePath(piece)) {
        return At(files, "needs paths below the description's folder, with \"*\" only in a file name, not \"" +
                             std::string(piece) + "\"");
      }
      if (arrow != std::string_view::npos && folder != ".") {
        if (auto fault = PartFault(folder); !fault.empty()) return At(files, "installs into \"" + std::string(folder) + "\", whose " + fault);
        if (folder.find('*') != std::string_view::npos || !IsInstallablePath(folder)) {
          return At(files, "needs a folder below the install folder after \"->\" (\".\" for the install folder "
                           "itself), not \"" + std::string(folder) + "\" in \"" + std::string(written) + "\"");
        }
      }
      if (auto unfit = UnfitInstallerText(written); !unfit.empty()) return At(files, unfit);
      installer.files.push_back(FilesEntry{std::string(piece), std::string(folder)});
    }
  }
  if (auto fault = YesNo(found["Start Menu"], installer.startMenu)) return fault;
  if (auto fault = YesNo(found["Desktop Shortcut"], installer.desktopShortcut)) return fault;
  if (auto types = found["File Types"]) {
    for (std::string_view piece : Pieces(types->value)) {
      std::size_t equals = piece.find('=');
      std::string_view extension = Trim(piece.substr(0, equals));
      std::string_view text = equals == std::string_view::npos ? "" : Trim(piece.substr(equals + 1));
      if (!IsExtension(extension) || text.empty()) {
        return At(types, "needs \".ext = Description\" pairs (letters, digits, _ and - after the dot), not \"" +
                             std::string(piece) + "\"");
      }
      if (auto fault = TakenOrOffered(types, extension, installer)) return fault;
      if (IsOneOf(extension, kWindowsTypes)) {
        return At(types, "cannot take " + std::string(extension) + ", a type Windows opens with a program of its own: "
                                                                    "offer the application for it with \"Open With\"");
      }
      if (auto unfit = UnfitInstallerText(text); !unfit.empty()) return At(types, unfit);
      installer.documentTypes.push_back(DocumentType{std::string(extension), std::string(text)});
    }
  }
  if (auto offered = found["Open With"]) {
    for (std::string_view extension : Pieces(offered->value)) {
      if (!IsExtension(extension)) {
        return At(offered, "needs \".ext\" types (letters, digits, _ and - after the dot), not \"" +
                               std::string(extension) + "\"");
      }
      if (auto fault = TakenOrOffered(offered, extension, installer)) return fault;
      installer.offeredTypes.emplace_back(extension);
    }
  }
  return std::nullopt;
}

}  // namespace package
