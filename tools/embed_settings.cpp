// embed-settings: writes a settings text into a copy of the launcher, as the
// embedded layer beneath the .ini beside it, enciphered with the product's
// "Upgrade Code" (the same value must stand in [Product Information] of the
// .ini the launcher ships with; an empty code makes settings that are read
// without an .ini). A thin front of the packaging tool's rules: package-app
// does the same from a package description, with icon and version too.
//
//   embed-settings <launcher.exe> <settings.txt> <upgrade code>
//
// The settings text may be UTF-16LE with a byte-order mark, or UTF-8 (with or
// without one); bare line feeds become "\r\n", the line ends the launcher reads.
// Any other encoding is refused with exit code 2.
#include <string>

#include "tools/package/file_io.h"
#include "tools/package/packager.h"
#include "tools/package/pe_image.h"
#include "tools/package/utf.h"

namespace {

constexpr char kTool[] = "embed-settings";

// UTF-16LE with a byte-order mark, or UTF-8; anything else is refused rather
// than embedded as garbage the launcher would silently ignore.
bool Decode(const package::Bytes& bytes, std::u16string& text) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    if (bytes.size() % 2 != 0) return false;
    for (std::size_t i = 2; i < bytes.size(); i += 2) text += static_cast<char16_t>(package::Get16(bytes, i));
    return true;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return false;  // big-endian
  for (auto b : bytes) {
    if (b == 0) return false;  // UTF-16 without a byte-order mark
  }
  std::string_view utf8(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  return package::Utf8ToUtf16(utf8, text);
}

std::u16string WithCrLf(const std::u16string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
    out += text[i];
  }
  return out;
}

template <typename Char>
std::u16string Units(const Char* text) {
  std::u16string out;
  if constexpr (sizeof(Char) == 2) {
    for (; *text != 0; ++text) out += static_cast<char16_t>(*text);
  } else {
    package::Utf8ToUtf16(text, out);
  }
  return out;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 4) {
    package::Report(kTool, "usage: embed-settings <launcher.exe> <settings.txt> <upgrade code>");
    return 1;
  }
  std::filesystem::path exe(argv[1]);
  package::Bytes textBytes;
  if (!package::ReadWholeFile(argv[2], textBytes)) return package::Report(kTool, "cannot read the settings text");
  std::u16string decoded;
  if (!Decode(textBytes, decoded)) {
    return package::Report(kTool, "the settings text must be UTF-16LE with a byte-order mark, or UTF-8");
  }
  package::Bytes image;
  if (!package::ReadWholeFile(exe, image)) return package::Report(kTool, package::PathText(exe) + ": cannot read");
  package::ResourceTree tree;
  std::string error;
  if (!package::ReadImageResources(image, tree, error)) return package::Report(kTool, package::PathText(exe) + ": " + error);
  if (!package::IsLauncher(tree)) return package::Report(kTool, package::PathText(exe) + ": not the launcher");
  package::PutEmbeddedSettings(tree, WithCrLf(decoded), Units(argv[3]));
  package::Bytes out;
  if (!package::ReplaceImageResources(image, tree, out, error)) {
    return package::Report(kTool, package::PathText(exe) + ": " + error);
  }
  std::filesystem::path failed;
  if (!package::WriteFilesOrNone({{exe, out}}, failed)) {
    return package::Report(kTool, package::PathText(exe) + ": cannot write");
  }
  return 0;
}
