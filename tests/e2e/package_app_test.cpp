// The packaging tool (cross-built, run under Wine) makes an application's
// executable from the launcher; Windows reads back what it wrote, and the
// packaged launcher runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <imagehlp.h>

#include <algorithm>
#include <filesystem>

#include "common/win_handles.h"

#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"

namespace {

using testsupport::AppFolder;
using testsupport::BinFile;
using testsupport::Quoted;
using testsupport::RunProcess;

// An .ico file of 32-bit bitmaps, one per (size, colour).
std::vector<unsigned char> IcoFile(const std::vector<std::pair<int, COLORREF>>& images) {
  std::vector<unsigned char> file;
  auto put = [&](std::vector<unsigned char>& b, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  std::vector<std::vector<unsigned char>> bitmaps;
  for (const auto& [size, colour] : images) {
    std::vector<unsigned char> b;
    unsigned maskRow = (static_cast<unsigned>(size) + 31) / 32 * 4;
    for (unsigned v : {40u, unsigned(size), unsigned(size * 2)}) put(b, v, 4);
    put(b, 1, 2), put(b, 32, 2);
    for (int i = 0; i < 6; ++i) put(b, 0, 4);
    for (int i = 0; i < size * size; ++i) {
      b.push_back(GetBValue(colour)), b.push_back(GetGValue(colour)), b.push_back(GetRValue(colour)), b.push_back(255);
    }
    b.resize(b.size() + maskRow * static_cast<unsigned>(size), 0);
    bitmaps.push_back(std::move(b));
  }
  put(file, 0, 2), put(file, 1, 2), put(file, static_cast<unsigned>(images.size()), 2);
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<unsigned char>(images[i].first)), file.push_back(static_cast<unsigned char>(images[i].first));
    put(file, 0, 2), put(file, 1, 2), put(file, 32, 2);
    put(file, static_cast<unsigned>(bitmaps[i].size()), 4), put(file, offset, 4);
    offset += static_cast<unsigned>(bitmaps[i].size());
  }
  for (const auto& b : bitmaps) file.insert(file.end(), b.begin(), b.end());
  return file;
}

struct ToolRun {
  DWORD exitCode = 0;
  std::wstring error;  // what it printed on standard error
};

ToolRun Package(const AppFolder& app, const std::wstring& input, const std::string& description,
                const std::wstring& output, const std::wstring& descriptionName = L"app.package") {
  std::wstring descriptionFile = app.path(descriptionName);
  testsupport::WriteBinaryFile(descriptionFile, std::vector<unsigned char>(description.begin(), description.end()));
  std::wstring tool = BinFile(L"package-app.exe");
  testsupport::RunOptions options;
  options.stderrFile = app.path(L"package-errors.txt");
  auto result = RunProcess(tool, Quoted(tool) + L" " + Quoted(input) + L" " + Quoted(descriptionFile) + L" " +
                                     Quoted(output), options, 60000);
  EXPECT_TRUE(result.finished);
  return ToolRun{result.exitCode, testsupport::ReadTextFile(options.stderrFile)};
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The temporary and previous files the tool left in `folder`: none, when it ends.
std::vector<std::wstring> Leftovers(const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::wstring name = entry.path().filename().wstring();
    if (name.find(L".partial") != std::wstring::npos || name.find(L".previous") != std::wstring::npos) {
      names.push_back(name);
    }
  }
  return names;
}

std::wstring VersionString(const std::vector<unsigned char>& info, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"(none)";
  return static_cast<const wchar_t*>(value);
}

// The colour in the middle of the icon Windows loads from `module` at `size`.
COLORREF IconColour(HMODULE module, int size) {
  HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
  if (icon == nullptr) return CLR_INVALID;
  ICONINFO info{};
  GetIconInfo(icon, &info);
  BITMAPINFO header{};
  header.bmiHeader = {sizeof(BITMAPINFOHEADER), size, size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<unsigned char> pixels(static_cast<size_t>(size * size * 4));
  HDC dc = GetDC(nullptr);
  int lines = GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(size), pixels.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  if (lines != size) return CLR_INVALID;
  size_t middle = static_cast<size_t>((size / 2 * size + size / 2) * 4);
  return RGB(pixels[middle + 2], pixels[middle + 1], pixels[middle]);
}

// The icon's name and the copyright are not ASCII: the description is UTF-8.
const wchar_t kIconName[] = L"\u00EFc\u00F4ne.ico";

std::string Description(const testsupport::DoubleApp& app, const std::string& upgradeCode) {
  std::wstring jre = app.jre();
  return "[Package]\nIcon = \xC3\xAF" "c\xC3\xB4" "ne.ico\nDPI Awareness = per-monitor\nUpgrade Code = " + upgradeCode +
         "\n"
         "[Version]\nFile Version = 2.5.0.17\nProduct Version = 2.5.0.0\nProduct Name = Packaged Example\n"
         "File Description = An example application\nCompany Name = Example Company\n"
         "Copyright = \xC2\xA9 2026 Example Company\nOriginal File Name = app.exe\nInternal Name = example\n"
         "[Embedded: Java Runtime Environment]\nMain Class = test.Echo\nJRE Path = " + Narrow(jre) +
         "\n"
         "[Embedded: Class Path]\nClass Path = C:\\app\\classes.jar\n"
         "[Embedded: Application]\nCmd = --from-embedded\n";
}

TEST(PackagedApp, WindowsReadsBackVersionAndIconAndTheLauncherUsesTheEmbeddedSettings) {
  testsupport::DoubleApp app;
  testsupport::WriteBinaryFile(app.app.path(kIconName), IcoFile({{16, RGB(255, 0, 0)}, {32, RGB(0, 0, 255)}}));
  ToolRun run = Package(app.app, BinFile(L"launcher.exe"), Description(app, "{UC-PACKAGED}"), app.app.exe());
  ASSERT_EQ(run.exitCode, 0u) << Narrow(run.error);
  EXPECT_NE(testsupport::ReadTextFile(app.app.ini()).find(L"Upgrade Code={UC-PACKAGED}"), std::wstring::npos)
      << "the .ini beside the executable must carry the code";

  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(app.app.exe().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<unsigned char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(app.app.exe().c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020005u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000011u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00020005u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  const std::pair<const wchar_t*, const wchar_t*> strings[] = {
      {L"FileVersion", L"2.5.0.17"},          {L"ProductVersion", L"2.5.0.0"},
      {L"ProductName", L"Packaged Example"},  {L"FileDescription", L"An example application"},
      {L"CompanyName", L"Example Company"},   {L"LegalCopyright", L"\u00A9 2026 Example Company"},
      {L"OriginalFilename", L"app.exe"},      {L"InternalName", L"example"},
  };
  for (const auto& [name, value] : strings) EXPECT_EQ(VersionString(info, name), value) << Narrow(name);
  DWORD headerSum = 0;
  DWORD computedSum = 0;
  ASSERT_EQ(MapFileAndCheckSumW(app.app.exe().c_str(), &headerSum, &computedSum), 0u);
  EXPECT_EQ(headerSum, computedSum) << "the image's checksum must be fixed";

  HMODULE module = LoadLibraryExW(app.app.exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(IconColour(module, 16), RGB(255, 0, 0));
  EXPECT_EQ(IconColour(module, 32), RGB(0, 0, 255));
  FreeLibrary(module);

  auto launched = app.Run(L"a");
  EXPECT_TRUE(launched.boxes.empty()) << Narrow(launched.BoxTexts().empty() ? L"" : launched.BoxTexts()[0]);
  EXPECT_EQ(launched.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(app.MainArguments(), (std::vector<std::wstring>{L"a", L"--from-embedded"})) << app.RecordText();

  // An .ini that lost its "Upgrade Code" cannot open the embedded settings;
  // the run fails on their missing main class, and the log says why.
  testsupport::WriteTextFile(app.app.ini(), L"[Product Information]\r\nProduct Name=Packaged Example\r\n");
  const std::wstring logFile = app.app.path(L"run.log");
  launched = app.Run(L"", {{L"VORN_LAUNCHER_LOG", logFile}});
  EXPECT_NE(testsupport::ReadTextFile(logFile).find(
                L"embedded settings skipped: the .ini's \"Upgrade Code\" is not theirs"),
            std::wstring::npos)
      << Narrow(testsupport::ReadTextFile(logFile));
}

TEST(PackagedApp, SettingsWithoutUpgradeCodeRunWithNoIniBesideTheExecutable) {
  testsupport::DoubleApp app;
  testsupport::WriteBinaryFile(app.app.path(kIconName), IcoFile({{16, RGB(0, 128, 0)}}));
  ToolRun run = Package(app.app, BinFile(L"launcher.exe"), Description(app, ""), app.app.exe());
  ASSERT_EQ(run.exitCode, 0u) << Narrow(run.error);
  ASSERT_FALSE(testsupport::FileExists(app.app.ini()));
  auto launched = app.Run(L"b");
  EXPECT_TRUE(launched.boxes.empty());
  EXPECT_EQ(launched.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(app.MainArguments(), (std::vector<std::wstring>{L"b", L"--from-embedded"})) << app.RecordText();
}

// Packaged twice, the second time from the first output.
TEST(PackagedApp, PackagedAgainRunsExactlyAsTheUnpackagedLauncherWithNoTraceOfTheFirstValues) {
  testsupport::Settings settings;
  settings.applicationLines = L"Cmd=--flag \"two words\"\r\n";
  settings.runtimeLines = L"Virtual Machine Parameters=-Xmx64m -Dx=y\r\n";
  testsupport::DoubleApp plain;
  testsupport::DoubleApp packaged;
  plain.Write(settings);
  packaged.Write(settings);
  testsupport::WriteBinaryFile(packaged.app.path(L"app.ico"), IcoFile({{32, RGB(1, 2, 3)}}));
  const std::wstring first = packaged.app.path(L"first.exe");
  ToolRun run = Package(packaged.app, BinFile(L"launcher.exe"),
                        "[Package]\nIcon = app.ico\nDPI Awareness = per-monitor\n[Version]\nFile Version = 1.0.0.0\n"
                        "Company Name = First Values Company\n[Embedded: Application]\nCmd = --first\n",
                        first);
  ASSERT_EQ(run.exitCode, 0u) << Narrow(run.error);
  run = Package(packaged.app, first,
                "[Package]\nDPI Awareness = none\n[Version]\nFile Version = 2.0.0.0\n[Embedded: Application]\n",
                packaged.app.exe());
  ASSERT_EQ(run.exitCode, 0u) << Narrow(run.error);
  std::string bytes = testsupport::ReadBytes(packaged.app.exe());
  for (const std::string& first : {std::string("PerMonitor"), std::string("dpiAware")}) {
    EXPECT_EQ(bytes.find(first), std::string::npos) << first;
  }
  std::string company;
  for (char c : std::string("First Values Company")) company += {c, '\0'};
  EXPECT_EQ(bytes.find(company), std::string::npos);
  auto before = plain.Run(L"x \"y z\"");
  auto after = packaged.Run(L"x \"y z\"");
  EXPECT_EQ(after.result.exitCode, before.result.exitCode);
  EXPECT_EQ(after.BoxTexts(), before.BoxTexts());
  EXPECT_EQ(packaged.MainArguments(), plain.MainArguments());
  auto withoutPaths = [](std::vector<std::string> options, const testsupport::DoubleApp& app) {
    std::string folder = Narrow(app.app.folder().path());
    for (auto& o : options) {
      for (size_t at; (at = o.find(folder)) != std::string::npos;) o.replace(at, folder.size(), "<app>");
    }
    return options;
  };
  EXPECT_EQ(withoutPaths(packaged.Options(), packaged), withoutPaths(plain.Options(), plain)) << packaged.RecordText();
}

TEST(PackagedApp, BadInputGetsAClearErrorAndNoOutput) {
  AppFolder app;
  testsupport::WriteBinaryFile(app.path(L"good.ico"), IcoFile({{16, RGB(9, 9, 9)}}));
  testsupport::WriteBinaryFile(app.path(L"corrupt.ico"), {0, 0, 1, 0, 3, 0, 16, 16, 0});
  testsupport::WriteTextFile(app.path(L"text.txt"), L"not an executable", testsupport::Encoding::Ansi);
  testsupport::WriteBinaryFile(app.path(L"logo.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
  const std::wstring launcher = BinFile(L"launcher.exe");
  // An executable with the launcher's resources but another program's manifest.
  const std::wstring notLauncher = app.path(L"other.exe");
  testsupport::CopyFileTo(launcher, notLauncher);
  char manifest[] = "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
                    "<assemblyIdentity type=\"win32\" name=\"Other.Program\" version=\"1.0.0.0\"/></assembly>";
  HANDLE update = BeginUpdateResourceW(notLauncher.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(UpdateResourceW(update, RT_MANIFEST, MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                              manifest, sizeof manifest - 1));
  ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
  const std::wstring output = app.path(L"out.exe");
  const std::string good = "[Package]\nIcon = good.ico\n";
  struct Case {
    const char* name;
    std::wstring input;
    std::string description;
    std::wstring output;
    std::string error;  // what standard error must contain
  };
  const Case cases[] = {
      {"missing icon", launcher, "[Package]\nIcon = missing.ico\n", output, "app.package:2: cannot read the icon"},
      {"corrupt icon", launcher, "\n[Package]\nIcon = corrupt.ico\n", output,
       "app.package:3: " + Narrow(app.path(L"corrupt.ico")) + ": the .ico file is cut off"},
      // This build has no PNG decoder: the Linux tool makes icons from PNGs.
      {"PNG icon", launcher, "[Package]\nIcon = logo.png\n", output,
       "app.package:2: " + Narrow(app.path(L"logo.png")) + ": is a PNG: package-app.exe makes icons from .ico files "
       "only; make the executable with the Linux package-app"},
      {"three-part version", launcher, "[Version]\nFile Version = 1.2.3\n", output,
       "app.package:2: \"File Version\" must be four numbers"},
      {"unknown key", launcher, "[Package]\nIcon = good.ico\nColour = red\n", output,
       "app.package:3: unknown key \"Colour\" in [Package]"},
      {"not a PE image", app.path(L"text.txt"), good, output, "text.txt: not a PE image"},
      {"not the launcher", notLauncher, good, output,
       "other.exe: not the launcher: it lacks the launcher's manifest, message table or dialogs"},
      {"unwritable output", launcher, good, app.path(L"no\\such\\folder\\out.exe"), "out.exe: cannot write the output"},
      {"signing without signtool", launcher, good + "[Signing]\nCertificate = good.ico\n", output,
       "app.package:4: signtool was not found on PATH: it signs the outputs on Windows (Windows SDK)"},
  };
  for (const auto& c : cases) {
    ToolRun run = Package(app, c.input, c.description, c.output);
    EXPECT_EQ(run.exitCode, 2u) << c.name;
    EXPECT_NE(Narrow(run.error).find(c.error), std::string::npos) << c.name << ": " << Narrow(run.error);
    EXPECT_FALSE(testsupport::FileExists(c.output)) << c.name;
    EXPECT_TRUE(Leftovers(app.folder().path()).empty()) << c.name;
  }
}

TEST(PackagedApp, AnOutputThatIsAnInputIsRefusedAndNothingIsWritten) {
  AppFolder app;
  testsupport::WriteBinaryFile(app.path(L"good.ico"), IcoFile({{16, RGB(9, 9, 9)}}));
  testsupport::WriteBinaryFile(app.path(L"icon.ini"), IcoFile({{16, RGB(8, 8, 8)}}));
  const std::string ini = "[Ini: Product Information]\nProduct Name = Refused\n";
  struct Case {
    const char* name;
    std::wstring input;
    std::string description;
    std::wstring descriptionName;
    std::wstring output;
    std::wstring changed;  // the input that would be written over
    std::string error;
  };
  const Case cases[] = {
      {"the launcher", app.exe(), "[Version]\nFile Version = 1.0.0.0\n", L"app.package", app.exe(), app.exe(),
       "app.exe: the launcher is also an output"},
      {"the description", app.exe(), "[Version]\nFile Version = 1.0.0.0\n", L"app.package", app.path(L"app.package"),
       app.path(L"app.package"), "app.package: the package description is also an output"},
      {"the icon", app.exe(), "\n[Package]\nIcon = good.ico\n", L"app.package", app.path(L"good.ico"),
       app.path(L"good.ico"), "app.package:3: the icon " + Narrow(app.path(L"good.ico")) + " is also an output"},
      {"the description, as the .ini", app.exe(), ini, L"out.ini", app.path(L"out.exe"), app.path(L"out.ini"),
       "out.ini: the package description is also an output"},
      {"the icon, as the .ini", app.exe(), "[Package]\nIcon = icon.ini\n" + ini, L"app.package",
       app.path(L"icon.exe"), app.path(L"icon.ini"),
       "app.package:2: the icon " + Narrow(app.path(L"icon.ini")) + " is also an output"},
  };
  for (const auto& c : cases) {
    testsupport::WriteBinaryFile(app.path(c.descriptionName),
                                 std::vector<unsigned char>(c.description.begin(), c.description.end()));
    const std::string before = testsupport::ReadBytes(c.changed);
    ToolRun run = Package(app, c.input, c.description, c.output, c.descriptionName);
    EXPECT_EQ(run.exitCode, 2u) << c.name;
    EXPECT_NE(Narrow(run.error).find(c.error), std::string::npos) << c.name << ": " << Narrow(run.error);
    EXPECT_EQ(testsupport::ReadBytes(c.changed), before) << c.name << ": the input was written over";
    EXPECT_TRUE(Leftovers(app.folder().path()).empty()) << c.name;
  }
  EXPECT_FALSE(testsupport::FileExists(app.path(L"out.exe")));
  EXPECT_FALSE(testsupport::FileExists(app.path(L"icon.exe")));
}

// With [Signing], package-app.exe runs the signtool it finds on PATH (here a
// stand-in that fails as a signtool would for a bad certificate) and tells
// its words in one line, writing nothing; a password it refuses, since
// signtool takes one only on its command line.
TEST(PackagedApp, SigningRunsSigntoolFromPathAndRefusesAPasswordForItsCommandLine) {
  AppFolder app;
  CreateDirectoryW(app.path(L"tools").c_str(), nullptr);
  testsupport::CopyFileTo(L"C:\\windows\\system32\\hostname.exe", app.path(L"tools\\signtool.exe"));
  testsupport::WriteBinaryFile(app.path(L"signer.pfx"), {'p', 'f', 'x'});
  const std::string signing = "[Version]\nFile Version = 1.0.0.0\n[Signing]\nCertificate = signer.pfx\n";
  const std::wstring output = app.path(L"signed.exe");
  std::wstring path(32768, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  auto run = [&](const std::string& description) {
    testsupport::WriteBinaryFile(app.path(L"app.package"), std::vector<unsigned char>(description.begin(), description.end()));
    std::wstring tool = BinFile(L"package-app.exe");
    testsupport::RunOptions options;
    options.stderrFile = app.path(L"package-errors.txt");
    options.environment[L"PATH"] = app.path(L"tools") + L";" + path;
    options.environment[L"PACKAGE_TEST_PFX_PASSWORD"] = L"pw";
    auto result = RunProcess(tool, Quoted(tool) + L" " + Quoted(BinFile(L"launcher.exe")) + L" " +
                                       Quoted(app.path(L"app.package")) + L" " + Quoted(output), options, 60000);
    EXPECT_TRUE(result.finished);
    return ToolRun{result.exitCode, testsupport::ReadTextFile(options.stderrFile)};
  };
  ToolRun failed = run(signing);
  EXPECT_EQ(failed.exitCode, 2u);
  EXPECT_NE(Narrow(failed.error).find("app.package:4: signtool could not sign signed.exe (exit code 1; "),
            std::string::npos) << Narrow(failed.error);
  EXPECT_NE(Narrow(failed.error).find("hostname"), std::string::npos) << Narrow(failed.error);
  EXPECT_EQ(std::count(failed.error.begin(), failed.error.end(), L'\n'), 1) << Narrow(failed.error);
  EXPECT_FALSE(testsupport::FileExists(output));
  ToolRun refused = run(signing + "Password Variable = PACKAGE_TEST_PFX_PASSWORD\n");
  EXPECT_EQ(refused.exitCode, 2u);
  EXPECT_NE(Narrow(refused.error).find("app.package:5: signtool takes a password only on its command line"),
            std::string::npos) << Narrow(refused.error);
  EXPECT_FALSE(testsupport::FileExists(output));
  EXPECT_TRUE(Leftovers(app.folder().path()).empty());
}

// An output that cannot be replaced (here an .ini another program holds
// open) leaves every output as it was, the executable included.
TEST(PackagedApp, WhenOneOutputCannotBeReplacedNoneIs) {
  AppFolder app;
  app.WriteIni(L"[Product Information]\r\nProduct Name=Before\r\n");
  const std::string exeBefore = testsupport::ReadBytes(app.exe());
  const std::string iniBefore = testsupport::ReadBytes(app.ini());
  win::FileHandle held(CreateFileW(app.ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  ToolRun run = Package(app, BinFile(L"launcher.exe"),
                        "[Version]\nFile Version = 3.0.0.0\n[Ini: Product Information]\nProduct Name = After\n",
                        app.exe());
  held.reset();
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(Narrow(run.error).find("app.ini: cannot write the output"), std::string::npos) << Narrow(run.error);
  EXPECT_EQ(testsupport::ReadBytes(app.exe()), exeBefore) << "the executable was replaced without its .ini";
  EXPECT_EQ(testsupport::ReadBytes(app.ini()), iniBefore);
  EXPECT_TRUE(Leftovers(app.folder().path()).empty());
}

}  // namespace
