// The [Installer] section of a package description: what the Windows
// Installer package made beside the executable holds. Plain data and rules,
// no I/O.
//
//   File              the package's file name, in the output's folder
//   Install Folder    the folder under Program Files (or the user's programs)
//   Scope             machine (all users) or user (no elevation)
//   Files             ";"-separated files, folders and "folder\*.ext" patterns,
//                     each optionally "-> FOLDER" (its folder when installed)
//   Start Menu        yes or no: a Start menu shortcut
//   Desktop Shortcut  yes or no: a desktop shortcut
//   File Types        ";"-separated ".ext = Description": types of the
//                     application's own, whose default program it becomes
//   Open With         ";"-separated ".ext": types it is offered for in
//                     "Open with", whose default program stays as it was
// (description_keys.cpp holds the values and defaults of each.)
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

// One "Files" piece: `source` relative to the description, "\" or "/"
// between folders; `folder` the install folder's subfolder it goes into
// ("SOURCE -> FOLDER"), "." for the install folder itself; empty: the
// source's own path decides.
struct FilesEntry {
  std::string source;
  std::string folder;
  bool operator==(const FilesEntry&) const = default;
};

struct InstallerDescription {
  int line = 0;               // the section header's
  std::string file;           // empty: "<output base name>-<Product Version>.msi"
  std::string installFolder;  // empty: the product name, else the output's base name
  bool perUser = false;
  std::vector<FilesEntry> files;
  int filesLine = 0;
  bool startMenu = true;
  bool desktopShortcut = false;
  std::vector<DocumentType> documentTypes;
  std::vector<std::string> offeredTypes;  // ".txt"
};

inline constexpr std::string_view kInstallerSection = "Installer";

// The section's values, each key found at most once (`found` by key). An
// error names the line at fault.
std::optional<DescriptionError> ReadInstaller(std::map<std::string, const DescriptionEntry*>& found,
                                              InstallerDescription& installer);

// Whether `text` is a GUID in braces: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
bool IsBracedGuid(std::string_view text);

// A file or folder name Windows accepts: not empty, none of \ / : * ? " < > |
// or control characters, not ending in a dot or a space, not "." or "..",
// not a device's name (CON, nul.txt, com1.jar, ...), at most 255 characters.
bool IsPlainName(std::string_view name);

// Whether `path` names a folder below the description's: plain names
// (IsPlainName) joined by "\" or "/", no "..", drive or "*".
bool IsBelowDescription(std::string_view path);

// Why `name` is not such a name when it is a device's or too long ("is the
// name of a device on Windows (...)"); empty otherwise.
std::string NameFault(std::string_view name);

// Why `text` cannot go into the installer's source as it is ("holds ..."),
// or empty when it can: the build tool reads "$" as the start of a variable
// (there is no escape for it) and keeps only ASCII text.
std::string UnfitInstallerText(std::string_view text);

}  // namespace package
