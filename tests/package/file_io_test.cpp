// Writing the outputs: every file is made new under a fresh name, so nothing
// planted in the output's folder is written through, and the targets change
// all together or not at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "tools/package/file_io.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

package::Bytes Bytes(const std::string& text) { return package::Bytes(text.begin(), text.end()); }

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

class FileIo : public testing::Test {
 protected:
  void SetUp() override {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / ("package-file-io-" + std::to_string(getpid()) + "-" + test->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    Write(folder_ / "victim.txt", "victim");
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST_F(FileIo, ANewFileNeverOpensWhatStandsAtItsPath) {
  struct Case {
    const char* name;
    void (*plant)(const fs::path& at, const fs::path& victim);
    bool made;
  };
  const Case cases[] = {
      {"nothing", [](const fs::path&, const fs::path&) {}, true},
      {"a file", [](const fs::path& at, const fs::path&) { Write(at, "there"); }, false},
      {"a link to a file", [](const fs::path& at, const fs::path& victim) { fs::create_symlink(victim, at); }, false},
      {"a dangling link",
       [](const fs::path& at, const fs::path& victim) { fs::create_symlink(victim.string() + ".new", at); }, false},
      {"a folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); }, false},
  };
  const fs::path victim = folder_ / "victim.txt";
  for (const auto& c : cases) {
    const fs::path at = folder_ / (std::string("new-") + c.name);
    c.plant(at, victim);
    bool taken = false;
    EXPECT_EQ(package::WriteNewFile(at, Bytes("written"), taken), c.made) << c.name;
    EXPECT_EQ(taken, !c.made) << c.name;
    if (c.made) {
      EXPECT_EQ(Read(at), "written") << c.name;
    }
    EXPECT_EQ(Read(victim), "victim") << c.name << ": written through";
    EXPECT_FALSE(fs::exists(victim.string() + ".new")) << c.name << ": made where the link points";
  }
}

TEST_F(FileIo, OutputsNeverWriteThroughALinkPlantedAtATemporaryName) {
  Write(folder_ / "App.exe", "old executable");
  for (const char* planted : {"App.exe.partial", "App.ini.partial"}) {
    fs::create_symlink(folder_ / "victim.txt", folder_ / planted);
  }
  const auto before = Names(folder_);
  fs::path failed;
  ASSERT_TRUE(package::WriteFilesOrNone(
      {{folder_ / "App.exe", Bytes("new executable")}, {folder_ / "App.ini", Bytes("new ini")}}, failed));
  EXPECT_EQ(Read(folder_ / "victim.txt"), "victim");
  EXPECT_EQ(Read(folder_ / "App.exe"), "new executable");
  EXPECT_EQ(Read(folder_ / "App.ini"), "new ini");
  EXPECT_FALSE(fs::is_symlink(folder_ / "App.exe"));
  auto expected = before;
  expected.insert("App.ini");
  EXPECT_EQ(Names(folder_), expected) << "temporary and previous files must be gone";
}

TEST_F(FileIo, WhenOneTargetCannotBeReplacedTheOthersArePutBack) {
  struct Case {
    const char* name;
    void (*make)(const fs::path& ini);
  };
  const Case cases[] = {
      {"a folder", [](const fs::path& ini) { fs::create_directory(ini); }},
      {"a write-protected file",
       [](const fs::path& ini) {
         Write(ini, "old ini");
         fs::permissions(ini, fs::perms::owner_read);
       }},
  };
  for (const auto& c : cases) {
    const fs::path exe = folder_ / c.name / "App.exe";
    const fs::path ini = folder_ / c.name / "App.ini";
    fs::create_directory(exe.parent_path());
    Write(exe, "old executable");
    c.make(ini);
    const auto before = Names(exe.parent_path());
    fs::path failed;
    EXPECT_FALSE(package::WriteFilesOrNone({{exe, Bytes("new executable")}, {ini, Bytes("new ini")}}, failed))
        << c.name;
    EXPECT_EQ(failed, ini) << c.name;
    EXPECT_EQ(Read(exe), "old executable") << c.name;
    EXPECT_EQ(Names(exe.parent_path()), before) << c.name << ": temporary and previous files must be gone";
  }
  EXPECT_EQ(Read(folder_ / "a write-protected file" / "App.ini"), "old ini");
}

}  // namespace
