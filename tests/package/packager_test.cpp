// Making an application's executable: icon, version information, manifest,
// embedded settings and the .ini, and packaging an output again.
#include <gtest/gtest.h>

#include "config/settings_cipher.h"
#include "tests/package/test_image.h"
#include "tools/package/manifest_dpi.h"
#include "tools/package/packager.h"
#include "tools/package/pe_image.h"

namespace {

using package::Bytes;
using package::ResourceId;
using namespace packagetest;

Bytes IcoFile(const std::vector<std::pair<int, Bytes>>& images) {
  Bytes file;
  package::Put16(file, 0);
  package::Put16(file, 1);
  package::Put16(file, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const auto& [size, data] : images) {
    file.push_back(static_cast<std::uint8_t>(size));
    file.push_back(static_cast<std::uint8_t>(size));
    file.push_back(0), file.push_back(0);
    package::Put16(file, 1);
    package::Put16(file, 32);
    package::Put32(file, static_cast<std::uint32_t>(data.size()));
    package::Put32(file, offset);
    offset += static_cast<std::uint32_t>(data.size());
  }
  for (const auto& image : images) file.insert(file.end(), image.second.begin(), image.second.end());
  return file;
}

Bytes Bitmap(std::uint8_t fill) {
  Bytes b(40 + 64, fill);
  package::Set32(b, 0, 40);
  return b;
}

Bytes Png() { return Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0}; }

package::PackageDescription Describe(const std::string& text) {
  auto result = package::ParsePackageDescription(text);
  EXPECT_TRUE(result.description) << result.error.message;
  return result.description.value_or(package::PackageDescription{});
}

struct Made {
  package::PackageOutput output;
  package::ResourceTree tree;
};

Made Package(const Bytes& input, const std::string& description, const Bytes& ico) {
  std::vector<package::IconImage> icons;
  std::string error;
  EXPECT_TRUE(package::ParseIcoFile(ico, icons, error)) << error;
  Made made;
  EXPECT_TRUE(package::BuildPackage(input, Describe(description), icons, "hello.exe", made.output, error)) << error;
  EXPECT_TRUE(package::ReadImageResources(made.output.executable, made.tree, error)) << error;
  return made;
}

std::wstring Deciphered(const package::ResourceTree& tree, const std::wstring& code) {
  const package::Resource* block = tree.Find(10, ResourceId::Number(1));
  if (block == nullptr) return L"(no block)";
  return config::DecipherSettings(block->data.data(), block->data.size(), code).value_or(L"(unreadable)");
}

const std::string kFirst =
    "[Package]\nIcon = first.ico\nDPI Awareness = per-monitor\nUpgrade Code = {FIRST}\n"
    "[Version]\nFile Version = 1.2.3.4\nCompany Name = First Company\nProduct Name = First\n"
    "[Embedded: Java Runtime Environment]\nMain Class = first.Main\n"
    "[Ini: Product Information]\nProduct Name = First\n";
const std::string kSecond =
    "[Package]\nDPI Awareness = system\n"
    "[Version]\nFile Version = 5.6.7.8\nCompany Name = Second Firm\nOriginal File Name = other.exe\n"
    "[Embedded: Application]\nCmd = -x\n";

TEST(Packager, AppliesIconVersionManifestSettingsAndIni) {
  Made made = Package(MakeImage(LauncherResources()), kFirst, IcoFile({{16, Bitmap(1)}, {32, Bitmap(2)}, {0, Png()}}));
  const auto& tree = made.tree;

  const package::Resource* group = tree.Find(14, ResourceId::Number(1));
  ASSERT_NE(group, nullptr) << "the icon takes the launcher's own group";
  EXPECT_EQ(package::Get16(group->data, 4), 3u);
  EXPECT_EQ(group->language, 0x0409);
  EXPECT_EQ(tree.Find(3, ResourceId::Number(2))->data, Bitmap(2));
  EXPECT_EQ(tree.Find(3, ResourceId::Number(3))->data, Png());

  const package::Resource* version = tree.Find(16, ResourceId::Number(1));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(package::Get16(version->data, 0), version->data.size());
  for (const char16_t* text : {u"First Company", u"CompanyName", u"1.2.3.4", u"OriginalFilename", u"hello.exe",
                               u"InternalName", u"hello", u"Translation"}) {
    EXPECT_TRUE(Contains(version->data, text)) << std::string(text, text + std::char_traits<char16_t>::length(text));
  }

  const package::Resource* manifest = tree.Find(24, ResourceId::Number(1));
  std::string manifestText(manifest->data.begin(), manifest->data.end());
  EXPECT_NE(manifestText.find("PerMonitorV2"), std::string::npos) << manifestText;

  EXPECT_EQ(Deciphered(tree, L"{FIRST}"), L"[Java Runtime Environment]\r\nMain Class=first.Main\r\n");
  ASSERT_TRUE(made.output.ini);
  EXPECT_EQ(*made.output.ini, u"\uFEFF[Product Information]\r\nProduct Name=First\r\nUpgrade Code={FIRST}\r\n");
}

TEST(Packager, PackagingAgainLeavesNoTraceOfTheFirstValues) {
  Made first = Package(MakeImage(LauncherResources()), kFirst, IcoFile({{16, Bitmap(1)}, {32, Bitmap(2)}}));
  Made second = Package(first.output.executable, kSecond, IcoFile({{48, Bitmap(9)}}));
  const Bytes& out = second.output.executable;
  for (const char16_t* text : {u"First Company", u"1.2.3.4"}) EXPECT_FALSE(Contains(out, text));
  EXPECT_TRUE(Contains(out, u"Second Firm"));
  EXPECT_TRUE(Contains(out, u"other.exe"));
  std::string bytes(out.begin(), out.end());
  EXPECT_EQ(bytes.find("PerMonitor"), std::string::npos);
  EXPECT_EQ(bytes.find("<dpiAware"), bytes.rfind("<dpiAware")) << "one DPI declaration, not two";
  EXPECT_NE(bytes.find(">true</dpiAware>"), std::string::npos);
  EXPECT_EQ(second.tree.Find(3, ResourceId::Number(2)), nullptr) << "the first icon's second image must go";
  EXPECT_EQ(second.tree.Find(3, ResourceId::Number(1))->data, Bitmap(9));
  // Settings without an Upgrade Code are read with an empty key; no .ini is needed for them.
  EXPECT_EQ(Deciphered(second.tree, L""), L"[Application]\r\nCmd=-x\r\n");
  EXPECT_FALSE(second.output.ini);
  EXPECT_EQ(package::Get32(out, kOptionalHeader + 64), package::PeChecksum(out, kOptionalHeader + 64));
}

TEST(Packager, ConsoleChangesOnlyTheSubsystemAndTheChecksum) {
  // The input is a console program already: the default makes a windowed one again.
  Bytes input = MakeImage(LauncherResources());
  package::Set16(input, kOptionalHeader + 68, 3);
  auto build = [&](const std::string& description) {
    package::PackageOutput output;
    std::string error;
    EXPECT_TRUE(package::BuildPackage(input, Describe(description), {}, "x.exe", output, error)) << error;
    return output;
  };
  // Everything but the checksum and the subsystem, which each image must have right.
  auto rest = [](Bytes image, std::uint16_t subsystem, const char* what) {
    EXPECT_EQ(package::Get16(image, kOptionalHeader + 68), subsystem) << what;
    EXPECT_EQ(package::Get32(image, kOptionalHeader + 64), package::PeChecksum(image, kOptionalHeader + 64)) << what;
    package::Set32(image, kOptionalHeader + 64, 0);
    package::Set16(image, kOptionalHeader + 68, 0);
    return image;
  };
  const package::PackageOutput windowed = build("");
  EXPECT_FALSE(windowed.companion);
  const Bytes plain = rest(windowed.executable, 2, "default");
  const struct {
    const char* value;
    std::uint16_t subsystem;
    bool companion;
  } cases[] = {{"no", 2, false}, {"Yes", 3, false}, {"COMPANION", 2, true}};
  for (const auto& c : cases) {
    const package::PackageOutput made = build(std::string("[Package]\nConsole = ") + c.value + "\n");
    EXPECT_EQ(rest(made.executable, c.subsystem, c.value), plain) << c.value;
    ASSERT_EQ(made.companion.has_value(), c.companion) << c.value;
    if (made.companion) EXPECT_EQ(rest(*made.companion, 3, "the companion"), plain);
  }
}

TEST(Packager, RefusesBadIconsAndWhatIsNotTheLauncher) {
  struct Case {
    const char* name;
    Bytes ico;
    std::string error;
  };
  Bytes cut = IcoFile({{16, Bitmap(1)}});
  cut.resize(cut.size() - 10);
  Bytes noImage = IcoFile({});
  const Case cases[] = {
      {"empty", {}, "not an .ico file"},
      {"a cursor", [] { Bytes b = IcoFile({{16, Bitmap(1)}}); b[2] = 2; return b; }(), "not an .ico file"},
      {"no image", noImage, "the .ico file holds no image"},
      {"cut image", cut, "image 1 of the .ico file is cut off"},
      {"cut directory", Bytes{0, 0, 1, 0, 2, 0, 16, 16}, "the .ico file is cut off"},
      {"not an image", IcoFile({{16, Bitmap(1)}, {32, Bytes(50, 'x')}}),
       "image 2 of the .ico file is neither PNG nor a bitmap"},
      {"entries sharing one block", [] {
         Bytes b = IcoFile(std::vector<std::pair<int, Bytes>>(65535, {16, Bytes{}}));
         Bytes block = Bitmap(1);
         block.resize(1 << 20);
         for (std::size_t i = 0; i < 65535; ++i) {
           package::Set32(b, 6 + i * 16 + 8, static_cast<std::uint32_t>(block.size()));
           package::Set32(b, 6 + i * 16 + 12, static_cast<std::uint32_t>(b.size()));
         }
         b.insert(b.end(), block.begin(), block.end());
         return b;
       }(),
       "the images of the .ico file overlap: together they are larger than the file"},
  };
  for (const auto& c : cases) {
    std::vector<package::IconImage> icons;
    std::string error;
    EXPECT_FALSE(package::ParseIcoFile(c.ico, icons, error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }

  package::ResourceTree other = LauncherResources();
  other.Remove(5);
  package::PackageOutput output;
  std::string error;
  EXPECT_FALSE(package::BuildPackage(MakeImage(other), Describe(kSecond), {}, "x.exe", output, error));
  EXPECT_EQ(error, "not the launcher: it lacks the launcher's manifest, message table or dialogs");
}

// The launcher's manifest declares long paths in the block the DPI
// declaration goes into: every DPI choice, packaged once or again, keeps it.
TEST(Packager, DpiAwarenessKeepsTheLongPathDeclaration) {
  const std::string launcher =
      "<assembly>\n  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n"
      "    <windowsSettings xmlns:ws2=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">\n"
      "      <ws2:longPathAware>true</ws2:longPathAware>\n    </windowsSettings>\n  </application>\n</assembly>\n";
  using package::DpiAwareness;
  for (DpiAwareness first : {DpiAwareness::None, DpiAwareness::System, DpiAwareness::PerMonitor}) {
    for (DpiAwareness again : {DpiAwareness::None, DpiAwareness::System, DpiAwareness::PerMonitor}) {
      std::string manifest = launcher;
      ASSERT_TRUE(package::SetDpiAwareness(manifest, first));
      ASSERT_TRUE(package::SetDpiAwareness(manifest, again));
      const std::size_t longPath = manifest.find("longPathAware");
      EXPECT_NE(longPath, std::string::npos) << manifest;
      EXPECT_NE(manifest.find(">true<", longPath), std::string::npos) << manifest;
      EXPECT_EQ(manifest.find("<application"), manifest.rfind("<application")) << manifest;
      EXPECT_EQ(manifest.find("<dpiAware") != std::string::npos, again != DpiAwareness::None) << manifest;
    }
  }
}

}  // namespace
