// A bundled runtime folder checked as the launcher would take it, and the
// "Runtime" key as the description gives it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "tools/package/bundled_runtime.h"

namespace {

namespace fs = std::filesystem;

// The first bytes of a PE image for `machine`.
void WriteLibrary(const fs::path& path, std::uint16_t machine) {
  fs::create_directories(path.parent_path());
  std::string bytes(0x86, '\0');
  bytes[0] = 'M', bytes[1] = 'Z', bytes[0x3C] = 0x80;
  bytes.replace(0x80, 4, std::string("PE\0\0", 4));
  bytes[0x84] = static_cast<char>(machine & 0xFF), bytes[0x85] = static_cast<char>(machine >> 8);
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(BundledRuntime, TheFirstReasonTheLauncherWouldRefuseTheFolder) {
  const fs::path root = fs::temp_directory_path() / ("package-bundled-runtime-" + std::to_string(getpid()));
  fs::remove_all(root);
  struct Case {
    const char* name;
    const char* library;  // below the folder; none: no jvm.dll
    std::uint16_t machine;
    bool javaDll;
    const char* release;  // none: no release file
    package::RuntimeDemands demands;
    std::string fault;
  };
  const package::RuntimeDemands x64{"", "17", "", 0x8664};
  const Case cases[] = {
      {"good", "bin/server/jvm.dll", 0x8664, true, "JAVA_VERSION=\"21.0.2\"\r\n", x64, ""},
      {"client", "bin/client/jvm.dll", 0x8664, true, "JAVA_VERSION=\"17\"", x64, ""},
      {"arm", "bin/server/jvm.dll", 0xAA64, true, "JAVA_VERSION=\"21\"", {"", "", "", 0xAA64}, ""},
      {"nolib", nullptr, 0, true, "JAVA_VERSION=\"21\"", x64, "has no bin\\server\\jvm.dll or bin\\client\\jvm.dll"},
      {"clientonly", "bin/client/jvm.dll", 0x8664, true, "JAVA_VERSION=\"21\"", {"server", "", "", 0x8664},
       "has no bin\\server\\jvm.dll (\"JVM Type\" is server)"},
      {"notpe", "bin/server/jvm.dll", 0, true, "JAVA_VERSION=\"21\"", x64,
       "holds bin\\server\\jvm.dll, which is no Windows library"},
      {"armlib", "bin/server/jvm.dll", 0xAA64, true, "JAVA_VERSION=\"21\"", x64,
       "holds bin\\server\\jvm.dll built for ARM64, but the launcher is built for x64 and cannot load it"},
      {"x86", "bin/client/jvm.dll", 0x14C, true, "JAVA_VERSION=\"21\"", x64,
       "holds bin\\client\\jvm.dll built for x86 (32-bit), but the launcher is built for x64 and cannot load it"},
      {"nojava", "bin/server/jvm.dll", 0x8664, false, "JAVA_VERSION=\"21\"", x64,
       "has no bin\\java.dll, which the virtual machine loads as it starts (a runtime made with jlink from a "
       "Windows JDK's jmods has it)"},
      {"norelease", "bin/server/jvm.dll", 0x8664, true, nullptr, x64,
       "has no release file naming its JAVA_VERSION (jlink writes one)"},
      {"old", "bin/server/jvm.dll", 0x8664, true, "IMPLEMENTOR=x\nJAVA_VERSION=\"11.0.22\"\n", x64,
       "holds Java 11.0.22 (JAVA_VERSION of its release file), below \"Minimum Version\" 17"},
      {"new", "bin/server/jvm.dll", 0x8664, true, "JAVA_VERSION=\"22.0.1\"", {"", "17", "21", 0x8664},
       "holds Java 22.0.1 (JAVA_VERSION of its release file), above \"Maximum Version\" 21"},
      {"max21", "bin/server/jvm.dll", 0x8664, true, "JAVA_VERSION=\"21.0.9\"", {"", "any", "21", 0x8664}, ""},
  };
  for (const Case& c : cases) {
    const fs::path folder = root / c.name;
    fs::create_directories(folder / "bin");
    if (c.library != nullptr) WriteLibrary(folder / c.library, c.machine);
    if (c.javaDll) std::ofstream(folder / "bin" / "java.dll") << "j";
    if (c.release != nullptr) std::ofstream(folder / "release") << c.release;
    EXPECT_EQ(package::RuntimeFault(folder, c.demands), c.fault) << c.name;
  }
  EXPECT_EQ(package::RuntimeFault(root / "missing", x64), "is not a folder");
  fs::remove_all(root);
}

TEST(BundledRuntime, SettingsAsTheLauncherReadsThemAndTheFolderBelowTheDescription) {
  auto result = package::ParsePackageDescription(
      "[Package]\nRuntime = build/image\n"
      "[Embedded: Java Runtime Environment]\nMain Class = a.B\nJVM Type = server\nMinimum Version = 17\n"
      "[Ini: java runtime environment]\nminimum version = 21\nMaximum Version =\n");
  ASSERT_TRUE(result.description) << result.error.message;
  EXPECT_EQ(result.description->runtime, "build/image");
  const auto demands = package::DemandsOf(*result.description, 0xAA64);
  EXPECT_EQ(demands.jvmType, "server");
  EXPECT_EQ(demands.minimumVersion, "21");
  EXPECT_EQ(demands.maximumVersion, "");
  EXPECT_EQ(demands.machine, 0xAA64);
  for (const char* refused : {"../jdk", "C:\\jdk", "/opt/jdk", "a/../../b", "jdk*", ""}) {
    auto bad = package::ParsePackageDescription(std::string("[Package]\nRuntime = ") + refused + "\n");
    ASSERT_FALSE(bad.description) << refused;
    EXPECT_EQ(bad.error.message,
              std::string("\"Runtime\" needs a folder below the description's folder, not \"") + refused + "\"");
  }
}

}  // namespace
