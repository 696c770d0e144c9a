#include "jvm/vm_options.h"

#include <limits>

#include "common/path_text.h"
#include "common/splitting.h"
#include "common/text.h"
#include "jvm/module_options.h"

namespace jvm {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > kMax64 / a) return kMax64;
  return a * b;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return b > kMax64 - a ? kMax64 : a + b; }

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// End of the quoted section that starts at `open`, or npos when the quote has
// no partner (and so starts no section).
size_t QuotedSectionEnd(std::wstring_view text, size_t open) {
  size_t close = text.find(L'"', open + 1);
  if (close == std::wstring_view::npos) return close;
  if (close + 1 < text.size() && text[close + 1] == L'"') return close + 1;
  return close;
}

}  // namespace

std::vector<std::wstring> SplitVmParameters(std::wstring_view text) {
  std::vector<std::wstring> tokens;
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != L' ') {
      if (text[p] == L'"') {
        size_t end = QuotedSectionEnd(text, p);
        if (end != std::wstring_view::npos) p = end;
      }
      ++p;
    }
    if (p > start) tokens.emplace_back(text.substr(start, p - start));
    while (p < text.size() && text[p] == L' ') ++p;
  }
  return tokens;
}

std::wstring StripQuotes(std::wstring_view token) {
  std::wstring out;
  size_t p = 0;
  while (p < token.size()) {
    size_t open = token.find(L'"', p);
    if (open == std::wstring_view::npos) break;
    size_t close = QuotedSectionEnd(token, open);
    if (close == std::wstring_view::npos) break;
    out.append(token.substr(p, open - p));
    out.append(token.substr(open + 1, close - open - 1));
    p = close + 1;
  }
  if (p < token.size()) out.append(token.substr(p));
  return out;
}

SizeNumbers ParseSizeNumbers(std::wstring_view token) {
  SizeNumbers result;
  size_t start = 0;
  while (start < token.size() && !IsDigit(token[start]) && token[start] != L':') ++start;
  result.prefix.assign(token.substr(0, start));
  if (start == token.size()) return result;
  result.numbers.push_back(0);
  for (size_t i = start; i < token.size(); ++i) {
    wchar_t c = token[i];
    if (c == L':') {
      result.numbers.push_back(0);
    } else if (IsDigit(c)) {
      std::uint64_t& n = result.numbers.back();
      n = SaturatingAdd(SaturatingMultiply(n, 10), static_cast<std::uint64_t>(c - L'0'));
    }
  }
  return result;
}

bool IsMemoryDirective(std::wstring_view token) {
  for (std::wstring_view prefix : {L"-Xms", L"-Xmx", L"-Xss"}) {
    if (!text::StartsWith(token, prefix)) continue;
    const wchar_t last = token.back();
    return last == L'P' || last == L'p' || last == L'T' || last == L't';
  }
  return false;
}

std::wstring ExpandMemoryDirective(std::wstring_view token, const MemoryFigures& memory) {
  SizeNumbers parsed = ParseSizeNumbers(token);
  auto number = [&](size_t i) -> std::uint64_t { return i < parsed.numbers.size() ? parsed.numbers[i] : 0; };
  const std::uint64_t percentage = number(0), minimum = number(1), maximum = number(2);
  const wchar_t last = token.empty() ? L'\0' : token.back();
  const std::uint64_t base = ((last == L'T' || last == L't') ? memory.availableVirtual : memory.totalPhysical) >> 10;

  const double wanted = static_cast<double>(base) * (static_cast<double>(percentage) / 100.0);
  // 2^64 as a double: anything at or above it cannot be held.
  std::uint64_t size = wanted >= 18446744073709551616.0 ? kMax64 : static_cast<std::uint64_t>(wanted);
  if (maximum != 0 && size > SaturatingMultiply(maximum, 1024)) size = SaturatingMultiply(maximum, 1024);
  if (SaturatingMultiply(minimum, 1024) > size) size = SaturatingMultiply(minimum, 1024);

  std::wstring out = parsed.prefix;
  out += text::DecimalText(static_cast<std::uint64_t>(size));
  out += L'K';
  return out;
}

std::uint64_t SizeUnitMultiplier(wchar_t unit) {
  switch (unit) {
    case L'G':
    case L'g':
      return 1073741824ull;
    case L'M':
    case L'm':
      return 1048576ull;
    case L'K':
    case L'k':
      return 1024ull;
    default:
      return 1;
  }
}

std::uint64_t StackSizeFromXss(std::wstring_view token) {
  if (token.size() <= 4) return 0;
  std::wstring_view rest = token.substr(4);
  if (!IsDigit(rest.front())) return 0;
  SizeNumbers parsed = ParseSizeNumbers(rest);
  if (parsed.numbers.size() != 1) return 0;
  return SaturatingMultiply(parsed.numbers[0], SizeUnitMultiplier(rest.back()));
}

std::wstring RuntimeHome(std::wstring_view jvmLibraryPath) { return text::DropLastComponents(jvmLibraryPath, 3); }

std::wstring RuntimeBinFolder(std::wstring_view jvmLibraryPath) { return text::DropLastComponents(jvmLibraryPath, 2); }

std::wstring FolderWithSlash(std::wstring_view executablePath) {
  size_t slash = executablePath.rfind(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return std::wstring(executablePath.substr(0, slash + 1));
}

std::wstring ComposeLibraryPath(std::wstring_view expandedSetting, std::wstring_view executableFolderWithSlash,
                                std::wstring_view path, std::wstring_view runtimeHome) {
  std::wstring out;
  // An element with a ";" in it (a folder named so) cannot be carried: the
  // list would cut it in two, and its second half would be relative.
  auto add = [&out](std::wstring_view element) {
    if (!text::IsFullPath(element) || element.find(L';') != std::wstring_view::npos) return;
    if (!out.empty()) out += L';';
    out += element;
  };
  std::vector<std::wstring> elements;
  text::SplitBySeparator(elements, expandedSetting, L";"sv);
  for (const std::wstring& element : elements) {
    if (!element.empty() && element != L"."sv) add(text::ResolveFromExecutableFolder(element, executableFolderWithSlash));
  }
  add(executableFolderWithSlash);
  elements.clear();
  text::SplitBySeparator(elements, path, L";"sv);
  for (const std::wstring& element : elements) add(element);
  add(std::wstring(runtimeHome) + L"\\lib");
  return out;
}

std::wstring ComposeNewPath(std::wstring_view expandedSystemPath, std::wstring_view oldPath,
                            std::wstring_view runtimeBinFolder) {
  std::wstring out;
  if (!expandedSystemPath.empty()) {
    out = expandedSystemPath;
    if (!text::EndsWith(out, L";"sv)) out += L';';
  }
  if (!oldPath.empty()) {
    out += oldPath;
    out += L';';
  }
  out += runtimeBinFolder;
  return out;
}

bool IsRelativeEntry(std::wstring_view entry) {
  if (entry.size() < 2) return true;
  const bool driveQualified = entry[1] == L':';
  const bool unc = entry[0] == L'\\' && entry[1] == L'\\';
  return !driveQualified && !unc;
}

bool NeedsResolving(std::wstring_view entry) {
  return entry.find(L'*') != std::wstring_view::npos || IsRelativeEntry(entry);
}

void ResolveClassPathEntry(std::wstring& classPath, std::wstring_view entry,
                           std::wstring_view executableFolderWithSlash, DirectoryLister list) {
  if (entry.empty()) return;
  const size_t lastSlash = entry.find_last_of(L"\\/");
  std::wstring pattern, prefix;
  if (IsRelativeEntry(entry)) {
    pattern.assign(executableFolderWithSlash);
    pattern += entry;
    prefix.assign(executableFolderWithSlash);
    if (lastSlash != std::wstring_view::npos && lastSlash != 0) prefix += entry.substr(0, lastSlash + 1);
  } else {
    pattern.assign(entry);
    if (lastSlash != std::wstring_view::npos) prefix.assign(entry.substr(0, lastSlash + 1));
  }
  for (const std::wstring& name : list(pattern)) {
    // A folder's entries for itself and its parent are no class path entries.
    if (name == L"."sv || name == L".."sv) continue;
    classPath += prefix;
    classPath += name;
    classPath += L';';
  }
}

std::wstring ComposeClassPath(std::wstring_view classPathSetting, std::wstring_view executableFolderWithSlash,
                              DirectoryLister list) {
  std::vector<std::wstring> entries;
  text::SplitBySeparator(entries, classPathSetting, L";"sv);
  std::wstring classPath;
  for (const std::wstring& entry : entries) {
    if (NeedsResolving(entry)) {
      ResolveClassPathEntry(classPath, entry, executableFolderWithSlash, list);
    } else {
      classPath += entry;
      classPath += L';';
    }
  }
  return classPath;
}

void AppendEmbeddedJar(std::wstring& classPath, std::wstring_view executablePath) {
  if (!classPath.empty() && classPath.back() != L';') classPath += L';';
  classPath += executablePath;
}

std::wstring WithoutEmptyElements(std::wstring_view classPath) {
  std::wstring out;
  // A ";" is kept only after an element; the one at the end goes afterwards.
  for (const wchar_t c : classPath) {
    if (c != L';' || (!out.empty() && out.back() != L';')) out += c;
  }
  if (!out.empty() && out.back() == L';') out.pop_back();
  return out;
}

std::wstring ClassPathForVm(std::wstring_view classPath, bool hasMainModule, std::wstring_view executableFolderWithSlash) {
  std::wstring elements = WithoutEmptyElements(classPath);
  if (!elements.empty() || hasMainModule) return elements;
  std::wstring_view folder = executableFolderWithSlash;
  // "C:\" keeps its "\": "C:" alone would be drive C's current folder.
  if (folder.size() > 3 && folder.back() == L'\\') folder.remove_suffix(1);
  return std::wstring(folder);
}

std::vector<std::wstring> ComposeVmOptionTexts(std::wstring_view classPath, const std::wstring& modulePath,
                                               const std::wstring& mainModule, std::wstring_view vmParameters,
                                               const MemoryFigures& memory, std::uint64_t& stackSize) {
  std::vector<std::wstring> texts;
  // With no element the VM would still read the current folder; a main module
  // then takes the class path's place, as with "java -m".
  std::wstring elements = WithoutEmptyElements(classPath);
  const bool asModule = elements.empty() && !mainModule.empty();
  texts.push_back((asModule ? L"-Djdk.module.main=" : L"-Djava.class.path=") + (asModule ? mainModule : elements));
  if (!modulePath.empty()) texts.push_back(L"--module-path=" + modulePath);
  if (!mainModule.empty()) texts.push_back(L"--add-modules=" + mainModule);
  const std::vector<std::wstring> tokens = SplitVmParameters(vmParameters);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    std::wstring token = StripQuotes(tokens[i]);
    if (IsTwoTokenModuleOption(token) && i + 1 < tokens.size()) {
      if (token == L"-p"sv) token = L"--module-path";
      token += L'=';
      token += StripQuotes(tokens[++i]);
    }
    AppendVmOption(texts, token, memory, stackSize);
  }
  return texts;
}

void AppendVmOption(std::vector<std::wstring>& texts, std::wstring& option, const MemoryFigures& memory,
                    std::uint64_t& stackSize) {
  if (IsMemoryDirective(option)) option = ExpandMemoryDirective(option, memory);
  if (text::StartsWith(option, L"-Xss"sv)) stackSize = StackSizeFromXss(option);
  texts.push_back(std::move(option));
}

}  // namespace jvm
