// The [Installer] section of a package description: what the Windows
// Installer package made beside the executable holds. Plain data and rules,
// no I/O.
//
//   File              the package's path, relative to the output's folder
//   Install Folder    the folder under Program Files (or the user's programs)
//   Scope             machine (all users) or user (no elevation)
//   Files             ";"-separated files, folders and "folder\*.ext" patterns
//   Start Menu        yes or no: a Start menu shortcut
//   Desktop Shortcut  yes or no: a desktop shortcut
//   File Types        ";"-separated ".ext = Description" document types
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace package {

struct DescriptionEntry;
struct DescriptionError;

struct DocumentType {
  std::string extension;  // with its dot: ".vdoc"
  std::string description;
};

struct InstallerDescription {
  int line = 0;               // the section header's
  std::string file;           // empty: "<output base name>-<Product Version>.msi"
  std::string installFolder;  // empty: the product name, else the output's base name
  bool perUser = false;
  std::vector<std::string> files;  // as written, "\" or "/" between folders
  int filesLine = 0;
  bool startMenu = true;
  bool desktopShortcut = false;
  std::vector<DocumentType> documentTypes;
};

inline constexpr std::string_view kInstallerSection = "Installer";
extern const std::vector<std::string_view> kInstallerKeys;

// The section's values, each key found at most once (`found` by key). An
// error names the line at fault.
std::optional<DescriptionError> ReadInstaller(std::map<std::string, const DescriptionEntry*>& found,
                                              InstallerDescription& installer);

// Whether `text` is a GUID in braces: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
bool IsBracedGuid(std::string_view text);

// A file or folder name Windows accepts: not empty, none of \ / : * ? " < > |
// or control characters, not ending in a dot or a space, not "." or "..".
bool IsPlainName(std::string_view name);

}  // namespace package
