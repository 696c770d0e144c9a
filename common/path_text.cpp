#include "common/path_text.h"

#include "common/splitting.h"

namespace text {

std::vector<std::wstring> PathElements(std::wstring_view path) {
  std::wstring prefix;
  std::wstring_view rest = path;
  if (rest.substr(0, 4) == L"\\\\?\\") {
    prefix = L"\\\\?\\";
    rest.remove_prefix(4);
  }
  bool network = rest.size() > 2 && rest[0] == L'\\' && rest[1] == L'\\' && rest[2] != L'?';
  size_t cut = rest.find(L'\\', network ? 2 : 0);
  std::wstring root = prefix + std::wstring(cut == std::wstring_view::npos ? rest : rest.substr(0, cut));
  std::vector<std::wstring> components;
  if (cut != std::wstring_view::npos) SplitBySeparator(components, rest.substr(cut + 1), L"\\");
  // A path that begins with a single "\" keeps an empty root, so its folders
  // are made from the root of the current drive, not from the current folder.
  std::vector<std::wstring> elements;
  elements.push_back(root);
  elements.insert(elements.end(), components.begin(), components.end());
  return elements;
}

std::wstring LongPathForm(std::wstring_view path) {
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  const bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
  if (drive) return L"\\\\?\\" + std::wstring(path);
  if (unc) return L"\\\\?\\UNC" + std::wstring(path.substr(1));
  return std::wstring(path);
}

}  // namespace text
