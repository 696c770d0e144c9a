// Temporary folders and files for tests, and where the built programs are.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under %TEMP%\vorn-tests, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }
  // path() + "\" + relative
  std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

 private:
  std::wstring path_;
};

enum class Encoding { Utf16Bom, Ansi };

// Writes a text file, creating its parent folders. Settings files must be
// UTF-16LE with a byte-order mark or ANSI: the forms Windows reads.
void WriteTextFile(const std::wstring& path, const std::wstring& content, Encoding encoding = Encoding::Utf16Bom);
void WriteBinaryFile(const std::wstring& path, const std::vector<unsigned char>& bytes);
// Reads UTF-16LE (with BOM), UTF-8 (with BOM) or ANSI text; empty when missing.
std::wstring ReadTextFile(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Copies a file, creating the target's parent folders.
void CopyFileTo(const std::wstring& from, const std::wstring& to);
void RemoveTree(const std::wstring& path);
// A symbolic link `link` to `target`, as another process of the user could
// plant it: Wine's own call makes none, so the Unix command does (a failed
// assertion when it cannot).
void MakeLink(const std::wstring& link, const std::wstring& target);

// The folder of the running test program: build/<preset>/bin, where the
// launcher, the tools and the test doubles are built.
std::wstring BinDir();
std::wstring BinFile(const std::wstring& name);  // BinDir() + "\" + name

}  // namespace testsupport
