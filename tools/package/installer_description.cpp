#include "tools/package/installer_description.h"

#include "tools/package/package_description.h"

namespace package {

const std::vector<std::string_view> kInstallerKeys = {"File",       "Install Folder",   "Scope",     "Files",
                                                      "Start Menu", "Desktop Shortcut", "File Types"};

namespace {

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

bool IsExtension(std::string_view text) {
  if (text.size() < 2 || text.size() > 32 || text[0] != '.') return false;
  for (char c : text.substr(1)) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
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

bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::optional<DescriptionError> ReadInstaller(std::map<std::string, const DescriptionEntry*>& found,
                                              InstallerDescription& installer) {
  if (auto file = found["File"]) {
    if (file->value.empty()) return At(file, "needs the path of the installer package");
    installer.file = file->value;
  }
  if (auto folder = found["Install Folder"]) {
    if (!IsPlainName(folder->value)) {
      return At(folder, "must be a folder name without \\ / : * ? \" < > |, not \"" + folder->value + "\"");
    }
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
    for (std::string_view piece : Pieces(files->value)) {
      if (!IsInstallablePath(piece)) {
        return At(files, "needs paths below the description's folder, with \"*\" only in a file name, not \"" +
                             std::string(piece) + "\"");
      }
      installer.files.emplace_back(piece);
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
      for (const auto& known : installer.documentTypes) {
        bool same = known.extension.size() == extension.size();
        for (std::size_t i = 0; same && i < extension.size(); ++i) {
          same = (known.extension[i] | 0x20) == (extension[i] | 0x20);
        }
        if (same) return At(types, "names " + std::string(extension) + " twice");
      }
      installer.documentTypes.push_back(DocumentType{std::string(extension), std::string(text)});
    }
  }
  return std::nullopt;
}

}  // namespace package
