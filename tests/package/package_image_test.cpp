// Replacing the resources of a PE image: the image stays valid and keeps
// every byte that is not a resource.
#include <gtest/gtest.h>

#include "tests/package/test_image.h"
#include "tools/package/pe_image.h"

namespace {

using package::Bytes;
using package::ResourceId;
using namespace packagetest;

constexpr std::size_t kDirectories = kOptionalHeader + 112;
std::uint32_t At(const Bytes& b, std::size_t offset) { return package::Get32(b, offset); }

TEST(ResourceImage, ReplacingResourcesMovesWhatFollowsAndFixesTheHeaders) {
  const Bytes appended{'J', 'A', 'R', '!', 1, 2, 3};
  struct Case {
    const char* name;
    ImageLayout layout;
  };
  const Bytes afterSignature{'Z', 'I', 'P', 9, 8};
  for (const Case& c : {Case{"plain", {}}, Case{"appended data", {appended, 0, {}}}, Case{"signed", {appended, 24, {}}},
                        Case{"signed, with data after the signature", {appended, 24, afterSignature}}}) {
    SCOPED_TRACE(c.name);
    Bytes image = MakeImage(LauncherResources(), c.layout);
    package::ResourceTree bigger = LauncherResources();
    bigger.resources.push_back({ResourceId::Number(10), ResourceId{0, u"Named"}, 0, 0, Bytes(9000, 7)});
    Bytes out;
    std::string error;
    ASSERT_TRUE(package::ReplaceImageResources(image, bigger, out, error)) << error;

    package::ResourceTree read;
    ASSERT_TRUE(package::ReadImageResources(out, read, error)) << error;
    ASSERT_EQ(read.resources.size(), bigger.resources.size());
    for (const auto& r : bigger.resources) {
      const package::Resource* found = read.Find(r.type.number, r.name);
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(found->data, r.data);
      EXPECT_EQ(found->language, r.language);
    }
    // .rsrc grew by three pages: .reloc moved by as much, in the file and in memory.
    std::size_t relocHeader = kSectionTable + 80;
    std::uint32_t relocRva = At(out, relocHeader + 12);
    EXPECT_EQ(relocRva, 0x5000u);
    EXPECT_EQ(At(out, kDirectories + 8 * 5), relocRva) << "the relocation directory must follow its section";
    EXPECT_EQ(At(out, kOptionalHeader + 56), relocRva + 0x1000) << "SizeOfImage";
    std::uint32_t relocRaw = At(out, relocHeader + 20);
    EXPECT_EQ(At(out, relocRaw), 0x1000u) << "the relocation block must move with its section";
    EXPECT_EQ(Bytes(out.begin() + 0x400, out.begin() + 0x600), Bytes(image.begin() + 0x400, image.begin() + 0x600))
        << ".text must not change";
    EXPECT_EQ(At(out, kOptionalHeader + 64), package::PeChecksum(out, kOptionalHeader + 64));
    EXPECT_EQ(At(out, kDirectories + 8 * 4), 0u) << "a signature that no longer matches is dropped";
    // What follows the sections is kept, without the signature's bytes.
    ASSERT_GE(out.size(), relocRaw + 0x200);
    Bytes kept = c.layout.appended;
    kept.insert(kept.end(), c.layout.afterSignature.begin(), c.layout.afterSignature.end());
    EXPECT_EQ(Bytes(out.begin() + relocRaw + 0x200, out.end()), kept);
  }
}

TEST(ResourceImage, EitherLauncherMachineIsPackagedAndKept) {
  for (std::uint16_t machine : {0x8664, 0xAA64}) {
    Bytes image = MakeImage(LauncherResources());
    package::Set16(image, kFileHeader, machine);
    Bytes out;
    std::string error;
    ASSERT_TRUE(package::ReplaceImageResources(image, LauncherResources(), out, error)) << machine << ": " << error;
    ASSERT_TRUE(package::SetSubsystem(out, package::kSubsystemConsole, error)) << machine << ": " << error;
    EXPECT_EQ(package::Get16(out, kFileHeader), machine);
  }
}

TEST(ResourceImage, RefusesWhatIsNotA64BitImageOrIsDamaged) {
  const Bytes good = MakeImage(LauncherResources());
  auto patched = [&](std::size_t offset, std::uint32_t value, int width) {
    Bytes b = good;
    package::Set(b, offset, value, width);
    return b;
  };
  struct Case {
    const char* name;
    Bytes image;
    std::string error;
  };
  std::string text = "[Package]\nIcon=x.ico\n";
  const Case cases[] = {
      {"empty", {}, "not a PE image"},
      {"text", Bytes(text.begin(), text.end()), "not a PE image"},
      {"cut after the DOS header", Bytes(good.begin(), good.begin() + 0x50), "not a PE image"},
      {"32-bit", patched(kFileHeader, 0x14C, 2), "not a 64-bit Windows executable"},
      {"PE32 header", patched(kOptionalHeader, 0x10B, 2), "not a 64-bit Windows executable"},
      {"section beyond the end", patched(kSectionTable + 40 + 16, 0x100000, 4), "a section lies outside the file"},
      {"no resources", patched(kDirectories + 16, 0, 4), "the executable has no resource section"},
      {"resource entry pointing at itself", patched(0x600 + 20, 0x80000000u, 4), "damaged resource section"},
      {"resource type number out of range", patched(0x600 + 16, 0x7FFF0000u, 4), "damaged resource section"},
  };
  for (const auto& c : cases) {
    package::ResourceTree tree;
    std::string error;
    EXPECT_FALSE(package::ReadImageResources(c.image, tree, error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }

  // Directories whose entries all share one subdirectory: billions of paths
  // in a megabyte, refused at once rather than walked.
  constexpr std::size_t kEntries = 60000;
  std::size_t level1 = 16 + 8 * kEntries;
  std::size_t level2 = level1 + level1;
  Bytes shared(level2 + 16, 0);
  package::Set16(shared, 14, kEntries);
  package::Set16(shared, level1 + 14, kEntries);
  for (std::size_t i = 0; i < kEntries; ++i) {
    package::Set32(shared, 16 + 8 * i + 4, static_cast<std::uint32_t>(level1) | 0x80000000u);
    package::Set32(shared, level1 + 16 + 8 * i + 4, static_cast<std::uint32_t>(level2) | 0x80000000u);
  }
  EXPECT_FALSE(package::ResourceTree::Read(shared, 0x1000));
}

}  // namespace
