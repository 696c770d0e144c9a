#include "tests/package/test_image.h"

#include <algorithm>
#include <string>

namespace packagetest {

using package::Bytes;
using package::Resource;
using package::ResourceId;

namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;

void SectionHeader(Bytes& image, std::size_t index, const char* name, std::uint32_t va, std::uint32_t vsize,
                   std::uint32_t raw, std::uint32_t rawSize) {
  std::size_t at = kSectionTable + 40 * index;
  for (std::size_t i = 0; name[i] != 0; ++i) image[at + i] = static_cast<std::uint8_t>(name[i]);
  package::Set32(image, at + 8, vsize);
  package::Set32(image, at + 12, va);
  package::Set32(image, at + 16, rawSize);
  package::Set32(image, at + 20, raw);
  package::Set32(image, at + 36, 0x40000040);
}

}  // namespace

Bytes MakeImage(const package::ResourceTree& tree, const ImageLayout& layout) {
  using package::AlignUp;
  Bytes image(0x400, 0);
  image[0] = 'M';
  image[1] = 'Z';
  package::Set32(image, 0x3C, 0x40);
  image[0x40] = 'P';
  image[0x41] = 'E';
  package::Set16(image, kFileHeader, 0x8664);
  package::Set16(image, kFileHeader + 2, 3);
  package::Set16(image, kFileHeader + 16, 240);
  package::Set16(image, kOptionalHeader, 0x20B);
  package::Set32(image, kOptionalHeader + 32, kSectionAlignment);
  package::Set32(image, kOptionalHeader + 36, kFileAlignment);
  package::Set32(image, kOptionalHeader + 60, 0x400);
  package::Set32(image, kOptionalHeader + 108, 16);

  // .text: one page of code-like bytes.
  Bytes text(kFileAlignment, 0xC3);
  SectionHeader(image, 0, ".text", 0x1000, 0x100, 0x400, kFileAlignment);
  image.insert(image.end(), text.begin(), text.end());

  Bytes rsrc = tree.Write(0x2000);
  std::uint32_t rsrcRaw = AlignUp(static_cast<std::uint32_t>(rsrc.size()), kFileAlignment);
  SectionHeader(image, 1, ".rsrc", 0x2000, static_cast<std::uint32_t>(rsrc.size()), 0x600, rsrcRaw);
  rsrc.resize(rsrcRaw, 0);
  image.insert(image.end(), rsrc.begin(), rsrc.end());
  std::size_t directories = kOptionalHeader + 112;
  package::Set32(image, directories + 8 * 2, 0x2000);
  package::Set32(image, directories + 8 * 2 + 4, static_cast<std::uint32_t>(rsrc.size()));

  std::uint32_t relocVa = 0x2000 + AlignUp(static_cast<std::uint32_t>(rsrc.size()), kSectionAlignment);
  Bytes reloc(kFileAlignment, 0);
  package::Set32(reloc, 0, 0x1000);  // one block for the .text page
  package::Set32(reloc, 4, 12);
  package::Set16(reloc, 8, 0xA010);
  SectionHeader(image, 2, ".reloc", relocVa, 12, static_cast<std::uint32_t>(image.size()), kFileAlignment);
  image.insert(image.end(), reloc.begin(), reloc.end());
  package::Set32(image, directories + 8 * 5, relocVa);
  package::Set32(image, directories + 8 * 5 + 4, 12);
  package::Set32(image, kOptionalHeader + 56, relocVa + kSectionAlignment);

  image.insert(image.end(), layout.appended.begin(), layout.appended.end());
  if (layout.certificateSize != 0) {
    package::Set32(image, directories + 8 * 4, static_cast<std::uint32_t>(image.size()));
    package::Set32(image, directories + 8 * 4 + 4, layout.certificateSize);
    image.resize(image.size() + layout.certificateSize, 0x5A);
  }
  image.insert(image.end(), layout.afterSignature.begin(), layout.afterSignature.end());
  return image;
}

package::ResourceTree LauncherResources() {
  auto number = ResourceId::Number;
  std::string manifest =
      "<?xml version=\"1.0\"?>\n<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
      "  <assemblyIdentity type=\"win32\" name=\"Vorn.Launcher\" version=\"1.0.0.0\"/>\n"
      "</assembly>\n";
  package::ResourceTree tree;
  tree.resources = {
      Resource{number(6), number(13), 0x0409, 0, Bytes(64, 1)},
      Resource{number(5), number(231), 0x0409, 0, Bytes(32, 2)},
      Resource{number(24), number(1), 0x0409, 0, Bytes(manifest.begin(), manifest.end())},
      Resource{number(3), number(1), 0x0409, 0, Bytes(48, 3)},
      Resource{number(14), number(1), 0x0409, 0, Bytes(20, 4)},
  };
  return tree;
}

bool Contains(const Bytes& haystack, const std::u16string& text) {
  Bytes needle;
  for (char16_t c : text) package::Put16(needle, c);
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

}  // namespace packagetest
