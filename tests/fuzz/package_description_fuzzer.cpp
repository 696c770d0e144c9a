// The package description: whatever the text, an error names a line of it,
// and a description's sections and entries name the lines they came from.
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_input.h"
#include "tools/package/package_description.h"

namespace {

int LineCount(std::string_view text) {
  if (text.empty()) return 0;
  int count = 0;
  for (char c : text) count += c == '\n';
  return count + (text.back() != '\n');
}

bool Trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return s.empty() || (!blank(s.front()) && !blank(s.back()));
}

void CheckSections(const std::vector<package::DescriptionSection>& sections, int lines) {
  int previous = 0;
  for (const auto& section : sections) {
    fuzz::Require(!section.name.empty() && Trimmed(section.name));
    fuzz::Require(section.line > previous && section.line <= lines);
    previous = section.line;
    int entryLine = section.line;
    for (const auto& entry : section.entries) {
      fuzz::Require(!entry.key.empty() && Trimmed(entry.key) && Trimmed(entry.value));
      fuzz::Require(entry.line > entryLine && entry.line <= lines);
      entryLine = entry.line;
    }
  }
}

void Check(const package::DescriptionResult& result, int lines) {
  if (!result.description) {
    fuzz::Require(result.error.line >= 1 && result.error.line <= lines);
    fuzz::Require(!result.error.message.empty());
    return;
  }
  const package::PackageDescription& d = *result.description;
  fuzz::Require(d.icon.empty() ? d.iconLine == 0 : d.iconLine >= 1 && d.iconLine <= lines);
  CheckSections(d.embedded, lines);
  CheckSections(d.ini, lines);
  if (!d.upgradeCode.empty()) fuzz::Require(!d.embedded.empty());
  if (d.installer) {
    fuzz::Require(package::IsBracedGuid(d.upgradeCode) && d.version.has_value());
    fuzz::Require(d.installer->line >= 1 && d.installer->line <= lines);
    for (const auto& type : d.installer->documentTypes) fuzz::Require(type.extension[0] == '.' && !type.description.empty());
  }
  if (d.version) {
    for (const auto& [name, value] : d.version->strings) fuzz::Require(!name.empty() && value.size() <= 1024);
  }
}

bool Same(const package::DescriptionResult& a, const package::DescriptionResult& b) {
  if (a.description.has_value() != b.description.has_value()) return false;
  if (!a.description) return a.error.line == b.error.line && a.error.message == b.error.message;
  const package::PackageDescription &x = *a.description, &y = *b.description;
  auto sameSections = [](const auto& p, const auto& q) {
    if (p.size() != q.size()) return false;
    for (std::size_t i = 0; i < p.size(); ++i) {
      if (p[i].name != q[i].name || p[i].line != q[i].line || p[i].entries.size() != q[i].entries.size()) return false;
      for (std::size_t j = 0; j < p[i].entries.size(); ++j) {
        const auto &e = p[i].entries[j], &f = q[i].entries[j];
        if (e.key != f.key || e.value != f.value || e.line != f.line) return false;
      }
    }
    return true;
  };
  return x.icon == y.icon && x.iconLine == y.iconLine && x.dpiAwareness == y.dpiAwareness &&
         x.upgradeCode == y.upgradeCode && x.version.has_value() == y.version.has_value() &&
         (!x.version || x.version->strings == y.version->strings) && sameSections(x.embedded, y.embedded) &&
         sameSections(x.ini, y.ini) && x.installer.has_value() == y.installer.has_value() &&
         (!x.installer || (x.installer->files == y.installer->files && x.installer->file == y.installer->file));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const package::DescriptionResult result = package::ParsePackageDescription(text);
  Check(result, LineCount(text));

  // Windows line ends, a byte-order mark, or a comment line added at the end
  // (after a last line that does not end in a lone "\r") read the same.
  if (text.find('\r') == std::string_view::npos) {
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    fuzz::Require(Same(package::ParsePackageDescription(crlf), result));
  }
  if (text.substr(0, 3) != "\xEF\xBB\xBF") {
    fuzz::Require(Same(package::ParsePackageDescription("\xEF\xBB\xBF" + std::string(text)), result));
  }
  if (text.empty() || text.back() != '\r') {
    fuzz::Require(Same(package::ParsePackageDescription(std::string(text) + "\n; the end\n"), result));
  }
  return 0;
}
