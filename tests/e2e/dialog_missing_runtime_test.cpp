// The "JRE Not Found" dialog end to end: a launcher copy that finds no runtime
// asks for one. The tests read the dialog, drive the real folder browser and
// the link from outside, and check what the launch does with the answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "resources/resource_ids.h"
#include "tests/fixtures/runtime_registry.h"
#include "tests/support/double_app.h"
#include "tests/support/ui_driver.h"

namespace {

using testsupport::Process;
using testsupport::WindowInfo;

constexpr DWORD kFailed = exitcode::kLaunchFailedCode;
constexpr DWORD kWait = 30000;
const std::wstring kAddress = L"https://adoptium.net/";
constexpr COLORREF kBlue = RGB(0, 0, 255), kPurple = RGB(128, 0, 128), kGreen = RGB(0, 128, 0);

// The suite's wait for a condition: kWait unless a test says otherwise.
bool Eventually(const std::function<bool()>& done, DWORD timeoutMs = kWait) {
  return testsupport::Eventually(done, timeoutMs);
}

// Folders to browse to, in a folder of this process's own right under C:. The
// shared temporary folder is not used: the folder browser reads the folders on
// its way, and suites running alongside create and remove theirs there.
class BrowsedFolders {
 public:
  BrowsedFolders() {
    static int count = 0;
    root_ = L"C:\\VornMissingRuntime-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
    testsupport::RemoveTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  ~BrowsedFolders() { testsupport::RemoveTree(root_); }
  BrowsedFolders(const BrowsedFolders&) = delete;
  BrowsedFolders& operator=(const BrowsedFolders&) = delete;
  std::wstring operator/(const std::wstring& relative) const { return root_ + L"\\" + relative; }

 private:
  std::wstring root_;
};

// A launcher copy that finds no runtime: no "JRE Path", nothing beside it, no
// registration. The test double waits in a folder of its own for the user to
// pick it; the per-user files go to a folder of the test's own.
class NoRuntimeApp {
 public:
  // With `longAppData`, "APPDATA" names a folder whose path is longer than
  // the profile writer takes.
  explicit NoRuntimeApp(bool longAppData = false) : appDataPath_(appData_.path()) {
    testsupport::CopyFileTo(testsupport::BinFile(L"double\\jvm.dll"), jre() + L"\\bin\\server\\jvm.dll");
    while (longAppData && appDataPath_.size() < 290) {
      appDataPath_ += L"\\a folder of the roaming profile";
      CreateDirectoryW((L"\\\\?\\" + appDataPath_).c_str(), nullptr);
    }
  }

  void Write(const std::wstring& runtimeLines, const std::wstring& applicationLines = L"") const {
    double_.app.WriteIni(L"[Product Information]\r\nProduct Name=VornMissingRuntime\r\nProduct Code={MR-1}\r\n"
                         L"[Java Runtime Environment]\r\nMain Class=test.Echo\r\n" +
                         runtimeLines + L"[Class Path]\r\nClass Path=C:\\app\\classes.jar\r\n[Application]\r\n" +
                         applicationLines);
  }
  // Started in `workingDirectory` (empty: the launcher's folder).
  Process Start(const std::wstring& workingDirectory = L"") const {
    testsupport::RunOptions options = double_.Options({{L"APPDATA", appDataPath_}});
    options.workingDirectory = workingDirectory;
    return Process::Start(double_.app.exe(), testsupport::Quoted(double_.app.exe()), options);
  }
  // A whole run that closes boxes and cancels the dialog.
  // An ordinary start, without elevation: an elevated one (as every Wine
  // process is) never reads "JRE Path" from the per-user file.
  testsupport::LauncherRun Run() const {
    testsupport::RunOptions options = double_.Options({{L"APPDATA", appDataPath_}});
    options.unelevated = true;
    return double_.app.Run(L"", options);
  }
  std::wstring jre() const { return browsed_ / L"jre"; }
  // Another folder to browse to.
  std::wstring browsable(const std::wstring& name) const { return browsed_ / name; }
  std::wstring path(const std::wstring& relative) const { return double_.app.path(relative); }
  std::wstring ini() const { return double_.app.ini(); }
  std::wstring perUser(const std::wstring& name) const {
    return appDataPath_ + L"\\VornMissingRuntime\\{MR-1}\\" + name;
  }
  bool AppDataEmpty() const { return !testsupport::FileExists(appData_ / L"VornMissingRuntime"); }
  bool VmCreated() const { return testsupport::FileExists(double_.recordFile()); }
  const testsupport::DoubleApp& double_app() const { return double_; }

 private:
  runtimetest::VendorKeys keys_;
  testsupport::DoubleApp double_;
  testsupport::TempFolder appData_;
  std::wstring appDataPath_;
  BrowsedFolders browsed_;
};

std::optional<WindowInfo> WaitForRuntimeDialog(const Process& process) {
  return testsupport::WaitForWindow(process.id(), kWait, testsupport::IsMissingRuntimeDialog, process.handle());
}

bool OkEnabled(const WindowInfo& dialog) { return IsWindowEnabled(GetDlgItem(dialog.hwnd, IDOK)) != FALSE; }

std::wstring PathShown(const WindowInfo& dialog) {
  return testsupport::ReadWindow(dialog.hwnd).Control(IDC_JRE_PATH)->text;
}

// Browse... and pick `folder` in the real folder browser.
void BrowseTo(const Process& process, const WindowInfo& dialog, const std::wstring& folder) {
  testsupport::PressButton(dialog.hwnd, IDC_BROWSE);
  std::wstring shown;
  ASSERT_TRUE(testsupport::ChooseFolderInBrowser(process.handle(), process.id(), folder, kWait, &shown))
      << "the folder browser did not select " << testing::PrintToString(folder) << "; its tree shows "
      << testing::PrintToString(shown);
  ASSERT_TRUE(Eventually([&] { return _wcsicmp(PathShown(dialog).c_str(), folder.c_str()) == 0; }))
      << "control 201 shows " << testing::PrintToString(PathShown(dialog));
  // Returns once the dialog has handled the whole Browse... command.
  SendMessageW(dialog.hwnd, WM_NULL, 0, 0);
}

// Starts the launcher and waits for its dialog.
WindowInfo StartAndWaitForDialog(const NoRuntimeApp& app, Process& process) {
  process = app.Start();
  EXPECT_TRUE(process.started());
  auto dialog = WaitForRuntimeDialog(process);
  EXPECT_TRUE(dialog.has_value()) << "no \"JRE Not Found\" dialog appeared";
  return dialog.value_or(WindowInfo{});
}

DWORD CancelAndWait(Process& process, const WindowInfo& dialog) {
  testsupport::PressButton(dialog.hwnd, IDCANCEL);
  EXPECT_TRUE(process.Wait(kWait)) << "the launcher did not end";
  return process.ExitCode();
}

TEST(MissingRuntimeDialog, MessageNamesTheRuntimeThatIsNeeded) {
  const struct {
    const wchar_t* settings;
    const wchar_t* message;
  } cases[] = {
      {L"Minimum Version=1.6\r\nMaximum Version=any\r\nJVM Type=server\r\n",
       L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM "
       L"(minimum version 1.6) from:"},
      {L"Minimum Version=any\r\nMaximum Version=any\r\n",
       L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (latest version) from:"},
      {L"Minimum Version=any\r\nMaximum Version=any\r\nJVM Type=favor_server\r\n",
       L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (latest version) from:"},
  };
  for (const auto& c : cases) {
    NoRuntimeApp app;
    app.Write(c.settings);
    Process process;
    WindowInfo dialog = StartAndWaitForDialog(app, process);
    ASSERT_NE(dialog.hwnd, nullptr) << c.settings;
    ASSERT_NE(dialog.Control(IDC_MISSING_MESSAGE), nullptr);
    EXPECT_EQ(dialog.Control(IDC_MISSING_MESSAGE)->text, c.message) << c.settings;
    EXPECT_EQ(dialog.owner, nullptr) << "no window of the launcher is active to own it";
    EXPECT_FALSE(OkEnabled(dialog)) << "OK waits for a runtime folder";
    EXPECT_EQ(dialog.Control(IDC_JRE_PATH)->text, L"");
    EXPECT_EQ(dialog.Control(IDC_DOWNLOAD_LINK)->text, kAddress);
    EXPECT_EQ(CancelAndWait(process, dialog), kFailed);
  }
}

// "Download URL" replaces the address the link shows and opens; anything but
// an http or https address in one piece leaves the default. A longer address
// widens the link's control within its group box, so it shows whole.
TEST(MissingRuntimeDialog, TheLinkShowsTheDownloadUrlOrTheDefault) {
  const struct {
    const wchar_t* value;
    std::wstring shown;
  } cases[] = {
      {L"https://downloads.example.com/myapp/java", L"https://downloads.example.com/myapp/java"},
      {L"  HTTP://example.com/ ", L"HTTP://example.com/"},
      {L"ftp://example.com/jre", kAddress},
      {L"file:///C:/Windows/System32/calc.exe", kAddress},
      {L"https://example.com/a b", kAddress},
      {L"https://", kAddress},
  };
  LONG defaultWidth = 0;
  std::vector<LONG> longWidths;
  for (const auto& c : cases) {
    NoRuntimeApp app;
    app.Write(std::wstring(L"Download URL=") + c.value + L"\r\n");
    Process process;
    WindowInfo dialog = StartAndWaitForDialog(app, process);
    ASSERT_NE(dialog.hwnd, nullptr) << c.value;
    EXPECT_EQ(dialog.Control(IDC_DOWNLOAD_LINK)->text, c.shown) << c.value;
    const RECT link = dialog.Control(IDC_DOWNLOAD_LINK)->rect;
    const LONG width = link.right - link.left;
    if (c.shown == kAddress) {
      if (defaultWidth == 0) defaultWidth = width;
      EXPECT_EQ(width, defaultWidth) << c.value;
    }
    for (const testsupport::ControlInfo& control : dialog.controls) {
      if (control.text == L"Missing JRE") {
        EXPECT_LE(link.right, control.rect.right) << c.value << ": the link reaches out of its group box";
      }
    }
    if (c.shown.size() > kAddress.size() + 10) longWidths.push_back(width);
    EXPECT_EQ(CancelAndWait(process, dialog), kFailed);
  }
  ASSERT_EQ(longWidths.size(), 1u);
  EXPECT_GT(longWidths[0], defaultWidth * 3 / 2) << "a long address does not show whole";
}

TEST(MissingRuntimeDialog, CancelEscapeAndCloseBoxEndWithMinusOneAndWriteNothing) {
  for (int way = 0; way < 3; ++way) {
    NoRuntimeApp app;
    app.Write(L"", L"Pair Product=" + app.path(L"x86\\app32.exe") + L"\r\n");
    std::wstring settingsBefore = testsupport::ReadTextFile(app.ini());
    Process process;
    WindowInfo dialog = StartAndWaitForDialog(app, process);
    ASSERT_NE(dialog.hwnd, nullptr);
    BrowseTo(process, dialog, app.jre());  // a runtime picked but not confirmed
    ASSERT_TRUE(OkEnabled(dialog));
    if (way == 0) {
      testsupport::PressButton(dialog.hwnd, IDCANCEL);
    } else if (way == 1) {
      testsupport::SendKey(GetDlgItem(dialog.hwnd, IDC_BROWSE), VK_ESCAPE);
    } else {
      PostMessageW(dialog.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_TRUE(process.Wait(kWait)) << "way " << way;
    EXPECT_EQ(process.ExitCode(), kFailed) << "way " << way;
    EXPECT_FALSE(app.VmCreated()) << "way " << way << ": no virtual machine after the dialog was left";
    EXPECT_TRUE(app.AppDataEmpty()) << "way " << way;
    EXPECT_FALSE(testsupport::FileExists(app.path(L"x86\\app32.ini"))) << "way " << way;
    EXPECT_EQ(testsupport::ReadTextFile(app.ini()), settingsBefore) << "way " << way;
  }
}

TEST(MissingRuntimeDialog, OkIsAvailableExactlyWhileTheLastBrowsedFolderHoldsARuntime) {
  NoRuntimeApp app;
  app.Write(L"JVM Type=server\r\n");
  std::wstring empty = app.browsable(L"empty");
  CreateDirectoryW(empty.c_str(), nullptr);
  std::wstring clientOnly = app.browsable(L"client-jre");
  testsupport::CopyFileTo(testsupport::BinFile(L"double\\jvm.dll"), clientOnly + L"\\bin\\client\\jvm.dll");
  // Without a "Pair Product" nothing can run a 32-bit runtime.
  std::wstring x86 = app.browsable(L"x86-jre");
  testsupport::CopyFileTo(testsupport::BinFile(L"fixtures\\x86\\jvm.dll"), x86 + L"\\bin\\server\\jvm.dll");
  // Nor can it load one of another 64-bit machine.
  std::wstring otherMachine = app.browsable(L"other-machine-jre");
  testsupport::WriteOtherMachineLibrary(otherMachine + L"\\bin\\server\\jvm.dll");
  Process process;
  WindowInfo dialog = StartAndWaitForDialog(app, process);
  ASSERT_NE(dialog.hwnd, nullptr);
  const struct {
    std::wstring folder;
    bool enabled;
  } steps[] = {
      {app.jre(), true}, {app.jre() + L"\\bin", false}, {app.jre(), true}, {empty, false},
      {clientOnly, false},  // "server" takes only bin\server\jvm.dll
      {x86, false}, {app.jre(), true}, {otherMachine, false},
  };
  for (const auto& step : steps) {
    BrowseTo(process, dialog, step.folder);
    EXPECT_EQ(PathShown(dialog), step.folder) << "control 201 shows the browsed path unchanged";
    EXPECT_EQ(OkEnabled(dialog), step.enabled) << testing::PrintToString(step.folder);
  }
  // An OK command that arrives anyway, while no runtime is chosen, is ignored
  // (sent: handled when the call returns; a dialog that ends hides at once).
  SendMessageW(dialog.hwnd, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindowVisible(dialog.hwnd)) << "OK without a runtime ended the dialog";
  EXPECT_EQ(CancelAndWait(process, dialog), kFailed);
}

TEST(MissingRuntimeDialog, OkRunsTheChosenRuntimeAndRemembersItWhereTheSettingsSay) {
  enum Remembered { Nowhere, PerUserFiles, PairedProductsFile };
  const struct {
    const wchar_t* name;
    bool pairProduct;
    bool service;
    Remembered remembered;
    bool longAppData = false;
  } cases[] = {
      {L"no pair product", false, false, Nowhere},
      {L"pair product", true, false, PerUserFiles},
      {L"service with a pair product", true, true, PairedProductsFile},
      {L"pair product, APPDATA of 290 characters", true, false, PerUserFiles, true},
  };
  for (const auto& c : cases) {
    NoRuntimeApp app(c.longAppData);
    std::wstring application;
    if (c.pairProduct) {
      // Relative: taken from the executable's folder, whatever the current one.
      application += L"Pair Product=x86\\app32.exe\r\n";
      testsupport::WriteBinaryFile(app.path(L"x86\\app32.exe"), {'M', 'Z'});  // the paired product's folder
    }
    if (c.service) application += L"Application Type=service\r\n";
    app.Write(L"", application);
    std::wstring settingsBefore = testsupport::ReadTextFile(app.ini());

    testsupport::TempFolder current;
    Process process = app.Start(current.path());
    auto shown = WaitForRuntimeDialog(process);
    ASSERT_TRUE(shown.has_value()) << c.name << ": no \"JRE Not Found\" dialog appeared";
    WindowInfo dialog = *shown;
    BrowseTo(process, dialog, app.jre());
    ASSERT_TRUE(OkEnabled(dialog)) << c.name;
    testsupport::PressButton(dialog.hwnd, IDOK);
    ASSERT_TRUE(process.Wait(kWait)) << c.name;
    EXPECT_EQ(process.ExitCode(), 0u) << c.name << "\n" << app.double_app().RecordText();
    ASSERT_NE(app.double_app().Record().Main(), nullptr) << c.name << ": the application did not run";

    const std::wstring folder = app.jre() + L"\\";
    // The file's "JRE Path" line, read without the profile reader, which
    // cannot open long paths.
    auto jrePathIn = [](const std::wstring& file) {
      const std::wstring longForm = L"\\\\?\\" + file;
      if (!testsupport::FileExists(longForm)) return std::wstring(L"(no file)");
      const std::wstring text = testsupport::ReadTextFile(longForm);
      const size_t at = text.find(L"JRE Path=");
      if (at == std::wstring::npos) return L"(no value in " + text + L")";
      return text.substr(at + 9, text.find(L"\r\n", at) - at - 9);
    };
    EXPECT_EQ(jrePathIn(app.perUser(L"app.ini")), c.remembered == PerUserFiles ? folder : L"(no file)") << c.name;
    EXPECT_EQ(jrePathIn(app.perUser(L"app32.ini")), c.remembered == PerUserFiles ? folder : L"(no file)") << c.name;
    EXPECT_EQ(jrePathIn(app.path(L"x86\\app32.ini")), c.remembered == PairedProductsFile ? folder : L"(no file)")
        << c.name;
    EXPECT_EQ(jrePathIn(current / L"app32.ini"), L"(no file)") << c.name << ": nothing in the current folder";
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(jrePathIn(std::wstring(windows) + L"\\app32.ini"), L"(no file)") << c.name;
    EXPECT_EQ(testsupport::ReadTextFile(app.ini()), settingsBefore)
        << c.name << ": the settings file beside the executable is never written";

    // The next start: the remembered folder serves the application itself only
    // through its per-user file; otherwise it asks again.
    auto next = app.Run();
    EXPECT_EQ(next.runtimeDialogs.size(), c.remembered == PerUserFiles ? 0u : 1u) << c.name;
    EXPECT_EQ(next.result.exitCode, c.remembered == PerUserFiles ? 0u : kFailed) << c.name;
  }
}

TEST(MissingRuntimeDialog, ErrorBoxesBeforeTheRuntimeStageComeWithoutTheDialog) {
  NoRuntimeApp app;
  app.double_app().app.WriteIni(L"[Java Runtime Environment]\r\nJVM Type=server\r\n");
  auto run = app.Run();
  EXPECT_EQ(run.result.exitCode, kFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].StaticText(), L"Main class was not specified in INI file.");
  EXPECT_EQ(run.boxes[0].owner, nullptr);
  EXPECT_TRUE(run.runtimeDialogs.empty());
}

// The http and https open commands of the machine point at the marker program
// while this lives; what was there before is put back.
class UrlMarker {
 public:
  UrlMarker() {
    for (int i = 0; i < 2; ++i) {
      std::wstring key = std::wstring(kProtocols[i]) + L"\\shell\\open\\command";
      wchar_t value[1024] = {};
      DWORD size = sizeof(value);
      saved_[i] = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) ==
                          ERROR_SUCCESS
                      ? std::optional<std::wstring>(value)
                      : std::nullopt;
      std::wstring command = testsupport::Quoted(testsupport::BinFile(L"url_marker.exe")) + L" " +
                             testsupport::Quoted(record()) + L" \"%1\"";
      RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, command.c_str(),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
  }
  ~UrlMarker() {
    for (int i = 0; i < 2; ++i) {
      std::wstring key = std::wstring(kProtocols[i]) + L"\\shell\\open\\command";
      if (saved_[i]) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, saved_[i]->c_str(),
                        static_cast<DWORD>((saved_[i]->size() + 1) * sizeof(wchar_t)));
      } else {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProtocols[i]);
      }
    }
  }
  std::wstring record() const { return folder_ / L"opened.txt"; }
  // The addresses opened so far, one per line.
  int Opened() const {
    std::wstring text = testsupport::ReadTextFile(record());
    int lines = 0;
    for (size_t at = text.find(kAddress); at != std::wstring::npos; at = text.find(kAddress, at + 1)) ++lines;
    return lines;
  }

 private:
  static constexpr const wchar_t* kProtocols[2] = {L"http", L"https"};
  testsupport::TempFolder folder_;
  std::optional<std::wstring> saved_[2];
};

// The link's own colours, looked for on the screen.
int LinkPixels(HWND link, COLORREF colour) {
  RECT r;
  GetWindowRect(link, &r);
  return testsupport::CountScreenPixels(r, colour);
}

// Moves the mouse pointer as a user would (the windows under it see the
// move), and clicks there when asked.
void MovePointer(int x, int y, bool click = false) {
  INPUT input[3] = {};
  for (auto& i : input) {
    i.type = INPUT_MOUSE;
    i.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    i.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
  }
  input[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
  input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(click ? 3 : 1, input, sizeof(INPUT));
}

// Starts the launcher and moves its dialog to the top-left corner of the
// screen, away from the centred windows of suites that run side by side, so
// that what the screen shows there is the dialog's own.
WindowInfo StartAndMoveDialogAside(const NoRuntimeApp& app, Process& process) {
  WindowInfo dialog = StartAndWaitForDialog(app, process);
  if (dialog.hwnd == nullptr) return dialog;
  SetWindowPos(dialog.hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(Eventually([&] { return testsupport::ReadWindow(dialog.hwnd).rect.left == 0; }));
  return testsupport::ReadWindow(dialog.hwnd);
}

constexpr int kUnderlineAtLeast = 20;  // pixels: the underline alone is longer

TEST(MissingRuntimeLink, ClickEnterAndSpaceOpenTheAddressThroughTheShell) {
  UrlMarker marker;
  NoRuntimeApp app;
  app.Write(L"");
  Process process;
  WindowInfo dialog = StartAndMoveDialogAside(app, process);
  ASSERT_NE(dialog.hwnd, nullptr);
  HWND link = GetDlgItem(dialog.hwnd, IDC_DOWNLOAD_LINK);
  ASSERT_TRUE(Eventually([&] { return LinkPixels(link, kBlue) >= kUnderlineAtLeast; }))
      << "the link is not drawn in blue";

  // Sent, not posted: each press has been handled when the call returns.
  const LPARAM inside = MAKELPARAM(3, 3), outside = MAKELPARAM(static_cast<WORD>(-40), 40);
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(link, WM_LBUTTONUP, 0, outside);  // released outside: nothing opens
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(link, WM_LBUTTONUP, 0, inside);
  ASSERT_TRUE(Eventually([&] { return marker.Opened() >= 1; })) << "a click did not open the address";
  EXPECT_TRUE(Eventually([&] { return LinkPixels(link, kPurple) >= kUnderlineAtLeast; }))
      << "after the open the link is drawn in the visited colour";
  EXPECT_EQ(LinkPixels(link, kBlue), 0);

  // The click gave the link the focus: the keys reach it through the dialog.
  testsupport::SendKey(link, VK_RETURN);
  EXPECT_TRUE(Eventually([&] { return marker.Opened() >= 2; })) << "Enter did not open the address";
  testsupport::SendKey(link, VK_SPACE);
  EXPECT_TRUE(Eventually([&] { return marker.Opened() >= 3; })) << "Space did not open the address";

  // Pointing at the link of the active dialog shows the address in a
  // tooltip; keep a picture. A click on a plain text of the dialog makes it
  // active (one on the caption would start moving the dialog). A window of a
  // suite running beside this one may take the activation at any moment, and
  // the tooltip shows only for the active dialog: activating and pointing are
  // done again until the tooltip shows or the wait is over.
  const RECT hint = dialog.Control(IDC_BROWSE_HINT)->rect;
  RECT r;
  GetWindowRect(link, &r);
  std::optional<WindowInfo> tooltip;
  const ULONGLONG deadline = GetTickCount64() + kWait;
  for (int attempt = 0; !tooltip && GetTickCount64() < deadline; ++attempt) {
    MovePointer((hint.left + hint.right) / 2, (hint.top + hint.bottom) / 2, true);
    if (!Eventually([&] { return GetForegroundWindow() == dialog.hwnd; }, 5000)) continue;
    MovePointer(r.left + 5 + attempt % 4, (r.top + r.bottom) / 2);
    tooltip = testsupport::WaitForWindow(process.id(), 5000, [](const WindowInfo& w) {
      return w.className == L"tooltips_class32";
    });
  }
  EXPECT_TRUE(tooltip.has_value()) << "no tooltip appeared over the link of the active dialog";
  testsupport::SaveScreenshot(testsupport::BinFile(L"e2e-missing-runtime-dialog.png"));
  MovePointer(0, 0);

  EXPECT_EQ(CancelAndWait(process, dialog), kFailed);
  EXPECT_EQ(marker.Opened(), 3) << "press inside and release outside must open nothing";
}

TEST(MissingRuntimeLink, AnchorColorFromTheUserSettingsOrTheDefault) {
  const wchar_t* kKey = L"Software\\Microsoft\\Internet Explorer\\Settings";
  const DWORD dword = 0x008000;
  const struct {
    const wchar_t* name;
    DWORD type;  // REG_NONE: no key at all
    std::wstring text;
    COLORREF expected;
  } cases[] = {
      {L"text 0,128,0", REG_SZ, L"0,128,0", kGreen},
      {L"a REG_DWORD", REG_DWORD, L"", kBlue},
      {L"12 characters", REG_SZ, L"0,128,00000,", kBlue},
      {L"two parts", REG_SZ, L"12,34", kBlue},
      {L"no key", REG_NONE, L"", kBlue},
  };
  for (const auto& c : cases) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    if (c.type == REG_SZ) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Anchor Color", REG_SZ, c.text.c_str(),
                      static_cast<DWORD>((c.text.size() + 1) * sizeof(wchar_t)));
    } else if (c.type == REG_DWORD) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Anchor Color", REG_DWORD, &dword, sizeof(dword));
    }
    NoRuntimeApp app;
    app.Write(L"");
    Process process;
    WindowInfo dialog = StartAndMoveDialogAside(app, process);
    ASSERT_NE(dialog.hwnd, nullptr) << c.name;
    HWND link = GetDlgItem(dialog.hwnd, IDC_DOWNLOAD_LINK);
    EXPECT_TRUE(Eventually([&] { return LinkPixels(link, c.expected) >= kUnderlineAtLeast; })) << c.name;
    EXPECT_EQ(CancelAndWait(process, dialog), kFailed);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

}  // namespace
