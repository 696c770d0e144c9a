#include "common/path_text.h"

namespace text {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// What a path rooted at "\" is on: "C:" of "C:\App\x.exe", "\\server\share"
// of a UNC path, "\\?\C:" of a long one.
std::wstring_view RootOf(std::wstring_view path) {
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  if (path.size() < 2 || !IsSlash(path[0]) || !IsSlash(path[1])) return {};
  // Two more parts: the server and share (or "?" and the drive).
  size_t end = 2;
  for (int part = 0; part < 2 && end != std::wstring_view::npos; ++part) {
    end = path.find_first_of(L"\\/", end + (part == 0 ? 0 : 1));
  }
  return end == std::wstring_view::npos ? path : path.substr(0, end);
}

}  // namespace

bool IsFullPath(std::wstring_view path) {
  if (path.size() > 1 && IsSlash(path[0])) return IsSlash(path[1]);
  return path.size() > 2 && path[1] == L':' && IsSlash(path[2]);
}

std::wstring ResolveFromExecutableFolder(std::wstring_view path, std::wstring_view executablePath) {
  std::wstring out(path);
  if (path.empty() || (path.size() >= 2 && path[1] == L':')) return out;
  if (IsSlash(path[0])) {
    // "\\server\share\..." names its own root; "\jre" is on the executable's.
    if (path.size() < 2 || !IsSlash(path[1])) out.insert(0, RootOf(executablePath));
    return out;
  }
  out.insert(0, executablePath.substr(0, executablePath.rfind(L'\\') + 1));
  return out;
}

std::vector<std::wstring> PathElements(std::wstring_view path) {
  std::wstring_view rest = path;
  const bool prefixed = rest.substr(0, 4) == L"\\\\?\\"sv;
  if (prefixed) rest.remove_prefix(4);
  bool network = rest.size() > 2 && rest[0] == L'\\' && rest[1] == L'\\' && rest[2] != L'?';
  size_t cut = rest.find(L'\\', network ? 2 : 0);
  // The root keeps the long-path prefix. A path that begins with a single "\"
  // keeps an empty root, so its folders are made from the root of the current
  // drive, not from the current folder.
  const size_t rootEnd = cut == std::wstring_view::npos ? path.size() : path.size() - rest.size() + cut;
  std::vector<std::wstring> elements;
  elements.emplace_back(path.substr(0, rootEnd));
  // The components; empty ones between two separators count, a final separator adds none.
  for (size_t start = cut + 1; cut != std::wstring_view::npos && start < rest.size(); start = cut + 1) {
    cut = rest.find(L'\\', start);
    elements.emplace_back(rest.substr(start, cut - start));
  }
  return elements;
}

std::wstring LongPathForm(std::wstring_view path) {
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  const bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
  std::wstring result;
  if (drive) result = L"\\\\?\\";
  if (unc) {
    result = L"\\\\?\\UNC";
    path.remove_prefix(1);
  }
  result += path;
  return result;
}

std::wstring DropLastComponents(std::wstring_view path, int count) {
  std::wstring_view rest = path;
  // Without a "\" the cut at npos keeps all.
  for (int i = 0; i < count; ++i) rest = rest.substr(0, rest.rfind(L'\\'));
  return std::wstring(rest);
}

}  // namespace text
