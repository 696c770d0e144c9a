// What "Files" finds on disk: links on the way and inside listed folders,
// and many files at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "tools/package/installer_build.h"
#include "tools/package/installer_wix.h"
#include "tools/package/package_description.h"

namespace {

namespace fs = std::filesystem;

const std::string kHead =
    "[Package]\nUpgrade Code = {0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}\n"
    "[Version]\nFile Version = 2.1.0.0\n"
    "[Embedded: Application]\nSingle Instance = yes\n[Installer]\n";

class InstallerFiles : public testing::Test {
 protected:
  void SetUp() override {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / ("package-installer-files-" + std::to_string(getpid()) + "-" + test->name());
    fs::remove_all(root_);
    fs::create_directories(project() / "out");
    fs::create_directories(outside());
    std::ofstream(outside() / "secret.txt") << "key";
    root_ = fs::canonical(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path project() const { return root_ / "project"; }
  fs::path outside() const { return root_ / "outside"; }

  // PlanInstaller's error for these "Files" ("" when it plans), and the plan.
  std::string Plan(const std::string& files, package::InstallerPlan& plan) {
    auto parsed = package::ParsePackageDescription(kHead + "Files = " + files + "\n");
    plan = {};
    if (!parsed.description) return "description: " + parsed.error.message;
    std::string error;
    package::PlanInstaller(project() / "app.package", project() / "out" / "App.exe", *parsed.description, false, plan,
                           error);
    return error;
  }

  std::string At(int line) const { return (project() / "app.package").string() + ":" + std::to_string(line) + ": "; }

  fs::path root_;
};

TEST_F(InstallerFiles, ALinkOnTheWayOutOfTheDescriptionsFolderIsRefusedByName) {
  fs::create_directories(project() / "lk");
  fs::create_directory_symlink(outside(), project() / "lk" / "linkdir");
  const std::string refused = At(8) + (project() / "lk" / "linkdir").string() + " is a link to " +
                              outside().string() + ", outside the description's folder " + project().string();
  for (const char* files : {"lk/linkdir", "lk/linkdir/secret.txt", "lk\\linkdir\\*.txt"}) {
    package::InstallerPlan plan;
    EXPECT_EQ(Plan(files, plan), refused) << files;
  }
}

// A link to a folder inside the listed one is installed as that folder, under
// its own name; a loop or a link to nothing is refused by name.
TEST_F(InstallerFiles, ALinkToAFolderInsideIsInstalledAsThatFolder) {
  fs::create_directories(project() / "lib" / "v2");
  std::ofstream(project() / "lib" / "v2" / "a.jar") << "a";
  fs::create_directory_symlink("v2", project() / "lib" / "current");
  package::InstallerPlan plan;
  ASSERT_EQ(Plan("lib", plan), "");
  std::vector<std::string> targets;
  for (const auto& file : plan.product.files) targets.push_back(file.target);
  EXPECT_EQ(targets, (std::vector<std::string>{"App.exe", "App.ini", "lib\\current\\a.jar", "lib\\v2\\a.jar"}));

  fs::create_directory_symlink("..", project() / "lib" / "v2" / "up");
  EXPECT_EQ(Plan("lib", plan), At(8) + (project() / "lib" / "v2" / "up").string() + " is a link to " +
                                   (project() / "lib").string() + ", a folder that holds the link");
  fs::remove(project() / "lib" / "v2" / "up");
  fs::create_symlink("gone.jar", project() / "lib" / "v2" / "old.jar");
  EXPECT_EQ(Plan("lib", plan), At(8) + (project() / "lib" / "v2" / "old.jar").string() +
                                   " is a link to gone.jar, which does not exist");
}

// "SOURCE -> FOLDER": a file or a pattern's match goes into the folder under
// its name, a listed folder's contents below it; "." is the install folder.
TEST_F(InstallerFiles, ATargetFolderTakesTheFilesOrTheFoldersContents) {
  fs::create_directories(project() / "build" / "libs");
  fs::create_directories(project() / "build" / "image" / "bin");
  std::ofstream(project() / "build" / "libs" / "a.jar") << "a";
  std::ofstream(project() / "build" / "libs" / "b.jar") << "b";
  std::ofstream(project() / "build" / "image" / "bin" / "java.dll") << "j";
  std::ofstream(project() / "build" / "notes.txt") << "n";
  package::InstallerPlan plan;
  ASSERT_EQ(Plan("build/libs/*.jar -> lib; build/image -> runtime; build/notes.txt -> .; build/libs/a.jar -> x/y",
                 plan),
            "");
  std::vector<std::string> targets;
  for (const auto& file : plan.product.files) targets.push_back(file.target);
  EXPECT_EQ(targets, (std::vector<std::string>{"App.exe", "App.ini", "lib\\a.jar", "lib\\b.jar",
                                               "runtime\\bin\\java.dll", "notes.txt", "x\\y\\a.jar"}));
  EXPECT_EQ(Plan("build/libs/a.jar -> lib; build/libs/*.jar -> lib", plan), At(8) + "\"Files\" installs lib\\a.jar twice");
}

// Many files are planned in time that grows with their number: 20,000 in
// folders of their own took over a minute when every target was compared
// with every other.
TEST_F(InstallerFiles, TwentyThousandFilesArePlannedInSeconds) {
  for (int folder = 0; folder < 200; ++folder) {
    fs::path path = project() / "data" / ("f" + std::to_string(folder));
    fs::create_directories(path);
    for (int i = 0; i < 100; ++i) std::ofstream(path / ("item-" + std::to_string(i) + ".txt"));
  }
  auto start = std::chrono::steady_clock::now();
  package::InstallerPlan plan;
  ASSERT_EQ(Plan("data", plan), "");
  std::string wix = package::ComposeWix(plan.product);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(plan.product.files.size(), 20002u);
  EXPECT_NE(wix.find("data/f199/item-99.txt"), std::string::npos);
}

}  // namespace
