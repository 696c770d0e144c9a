// Class path composition, the library path, the new Path and the path rules.
#include "common/path_text.h"
#include "common/splitting.h"
#include "jvm/vm_options.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = fuzz::WideText(data, size);
  // A folder whose every search finds its "." and "..", one jar and one folder.
  const jvm::DirectoryLister list = [](const std::wstring& pattern) {
    if (pattern.find(L'*') == std::wstring::npos) return std::vector<std::wstring>{L"found.jar"};
    return std::vector<std::wstring>{L".", L"..", L"a.jar", L"sub"};
  };
  std::wstring classPath = jvm::ComposeClassPath(text, L"C:\\App\\", list);
  // The folder's "." and ".." never reach the class path.
  if (text.find(L'.') == std::wstring::npos) {
    for (const wchar_t* bad : {L"\\.;", L"/.;", L"\\..;", L"/..;"}) {
      fuzz::Require(classPath.find(bad) == std::wstring::npos);
    }
  }
  jvm::AppendEmbeddedJar(classPath, L"C:\\App\\app.exe");
  // The option's class path holds no empty element: the VM would read the current folder.
  const std::wstring option = jvm::WithoutEmptyElements(classPath);
  fuzz::Require(option.find(L";;") == std::wstring::npos && option.front() != L';' && option.back() != L';');

  const std::wstring home = jvm::RuntimeHome(text);
  // Nothing of the current folder in the library path, whatever the texts.
  const std::wstring libraryPath = jvm::ComposeLibraryPath(text, jvm::FolderWithSlash(text), text, home);
  std::vector<std::wstring> libraryElements;
  text::SplitBySeparator(libraryElements, libraryPath, L";");
  for (const std::wstring& element : libraryElements) fuzz::Require(text::IsFullPath(element));
  jvm::ComposeNewPath(text, text, jvm::RuntimeBinFolder(text));

  text::PathElements(text);
  text::LongPathForm(text);
  return 0;
}
