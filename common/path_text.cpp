#include "common/path_text.h"

namespace text {

std::vector<std::wstring> PathElements(std::wstring_view path) {
  std::wstring_view rest = path;
  const bool prefixed = rest.substr(0, 4) == L"\\\\?\\";
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

}  // namespace text
