// The edges of the runtime search: the file system, the registry views and the
// executable's folder, as the rules of runtime_rules.h consume them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/runtime_rules.h"

namespace runtime {

// Existence as FindFirstFileW sees it (the find handle is closed at once).
class DiskFileProbe : public FileProbe {
 public:
  bool Exists(const std::wstring& path) const override;
  std::vector<std::wstring> SubfolderNames(const std::wstring& folder) const override;
  std::string ReadStart(const std::wstring& path, std::size_t limit) const override;
  std::optional<std::uint16_t> LibraryMachine(const std::wstring& path) const override;
};

enum class RegistryView { Native, Bits32 };

// A registry root (HKEY_LOCAL_MACHINE unless given) read with KEY_READ, plus
// KEY_WOW64_32KEY for the 32-bit view. Every failure reads as an absence.
class RegistryViewReader : public RegistryReader {
 public:
  explicit RegistryViewReader(RegistryView view, HKEY root = HKEY_LOCAL_MACHINE);
  std::vector<std::wstring> SubkeyNames(const std::wstring& keyPath) override;
  std::optional<std::wstring> JavaHomeValue(const std::wstring& keyPath) override;
  std::optional<std::wstring> StringValue(const std::wstring& keyPath, const std::wstring& valueName) override;

  REGSAM access() const { return access_; }

 private:
  // The data of a value as UTF-16 text, not cut at its first NUL; none when
  // the key or value is missing or empty, and with `stringsOnly` when it is
  // not REG_SZ or longer than any path.
  std::optional<std::wstring> ValueText(const std::wstring& keyPath, const wchar_t* valueName, bool stringsOnly);

  REGSAM access_;
  HKEY root_;
};

}  // namespace runtime
