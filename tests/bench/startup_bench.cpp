// Start-up benchmark: how long a copy of launcher.exe takes from process start
// to its runtime's JNI_CreateJavaVM, against a bare windowed program's start to
// its entry point (bench_bare.exe); and how long it takes until its splash
// window is visible, against a bare program that shows a window
// (bench_bare_window.exe), found by polling the window list every millisecond.
//
// Both programs set the event named by VORN_DOUBLE_STARTED_EVENT: the launcher
// through the test-double jvm.dll, the bare program in wWinMain. A run is timed
// with QueryPerformanceCounter from just before CreateProcessW until that event
// is set; then the process is waited for and must end with 0. Runs of the two
// programs alternate, so both see the same machine load.
//
//   startup_bench [runs] [warm-ups]     (default 31 and 3)
//
// launcher.exe, bench_bare.exe and double\jvm.dll are taken from the folder of
// this program (build/<preset>/bin).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "tests/bench/bench_support.h"
#include "tests/support/test_files.h"

namespace {

using namespace benchsupport;

constexpr wchar_t kEventVariable[] = L"VORN_DOUBLE_STARTED_EVENT";
constexpr wchar_t kWaitEventVariable[] = L"VORN_DOUBLE_WAIT_EVENT";
constexpr wchar_t kSplashWindowClass[] = L"SplashScreenWindow";
constexpr wchar_t kBareWindowClass[] = L"VornBenchWindow";
constexpr DWORD kTimeLimitMs = 30000;


// A named manual-reset event, its name in the environment variable `variable`
// that the started programs inherit.
win::Handle EventNamedIn(const wchar_t* variable) {
  static unsigned serial = 0;
  std::wstring eventName =
      L"vorn-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  win::Handle event(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
  if (!event) throw SystemFailure(L"cannot create the event " + eventName);
  SetEnvironmentVariableW(variable, eventName.c_str());
  return event;
}

// Starts `exe` in its folder; `begin` is the time just before the start.
win::Handle StartProgram(const std::wstring& exe, double& begin) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  begin = Now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &info)) {
    throw SystemFailure(L"cannot start " + exe);
  }
  CloseHandle(info.hThread);
  return win::Handle(info.hProcess);
}

// Waits for the program's end; it must end with 0 after having reached the
// timed point.
void ExpectCleanEnd(const std::wstring& exe, HANDLE process, bool reached) {
  if (WaitForSingleObject(process, kTimeLimitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process, 1);
    throw Failure(exe + L" did not end within " + std::to_wstring(kTimeLimitMs) + L" ms");
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process, &exitCode);
  if (!reached) {
    throw Failure(exe + L" ended (exit code " + std::to_wstring(exitCode) + L") before the timed point");
  }
  if (exitCode != 0) throw Failure(exe + L" ended with exit code " + std::to_wstring(exitCode));
}

// Starts `exe` and returns the milliseconds until it sets the started event.
double TimeStart(const std::wstring& exe) {
  win::Handle started = EventNamedIn(kEventVariable);
  double begin = 0;
  win::Handle process = StartProgram(exe, begin);
  HANDLE waits[] = {started.get(), process.get()};
  DWORD signalled = WaitForMultipleObjects(2, waits, FALSE, kTimeLimitMs);
  double elapsed = Now() - begin;
  ExpectCleanEnd(exe, process.get(), signalled == WAIT_OBJECT_0);
  return elapsed;
}

// A visible top-level window of the class that belongs to the process.
bool ShowsWindow(DWORD processId, const wchar_t* className) {
  for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, className, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) return true;
  }
  return false;
}

// Starts `exe` and returns the milliseconds until it shows a window of the
// class; then lets it end through the event named by VORN_DOUBLE_WAIT_EVENT
// (the double's test/Wait main and the bare program both wait for it).
double TimeWindow(const std::wstring& exe, const wchar_t* className) {
  win::Handle mayEnd = EventNamedIn(kWaitEventVariable);
  double begin = 0;
  win::Handle process = StartProgram(exe, begin);
  const DWORD processId = GetProcessId(process.get());
  bool shown = false;
  while (!(shown = ShowsWindow(processId, className)) && Now() - begin < kTimeLimitMs &&
         WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
    Sleep(1);
  }
  double elapsed = Now() - begin;
  SetEvent(mayEnd.get());
  ExpectCleanEnd(exe, process.get(), shown);
  return elapsed;
}


int Count(int argc, wchar_t** argv, int index, int fallback, int least) {
  if (argc <= index) return fallback;
  int value = _wtoi(argv[index]);
  if (value < least) throw std::runtime_error("usage: startup_bench [runs >= 1] [warm-ups >= 0]");
  return value;
}

// An application folder: app.exe (the launcher) with its settings and a
// runtime folder whose bin\server\jvm.dll is the double.
std::wstring MakeApplication(const testsupport::TempFolder& app, const std::wstring& mainClass,
                             const std::wstring& moreSettings) {
  const std::wstring launcher = app / L"app.exe";
  CopyInto(testsupport::BinFile(L"launcher.exe"), launcher);
  CopyInto(testsupport::BinFile(L"double\\jvm.dll"), app / L"runtime\\bin\\server\\jvm.dll");
  WriteUtf16File(app / L"app.ini", L"[Java Runtime Environment]\r\nMain Class=" + mainClass + L"\r\nJRE Path=" +
                                       (app / L"runtime") + L"\r\n[Class Path]\r\nClass Path=" + launcher +
                                       L"\r\n" + moreSettings);
  return launcher;
}

int Bench(int argc, wchar_t** argv) {
  const int runs = Count(argc, argv, 1, 31, 1);
  const int warmUps = Count(argc, argv, 2, 3, 0);

  testsupport::TempFolder app, splashApp;
  const std::wstring launcher = MakeApplication(app, L"test.Echo", L"");
  const std::wstring splashLauncher = MakeApplication(
      splashApp, L"test.Wait", L"[Display]\r\nSplash Screen=" + testsupport::BinFile(L"pictures\\plain.bmp") + L"\r\n");
  const std::wstring bare = testsupport::BinFile(L"bench_bare.exe");
  const std::wstring windowed = testsupport::BinFile(L"bench_bare_windowed.exe");
  const std::wstring showing = testsupport::BinFile(L"bench_bare_window.exe");

  // Nothing but the events may steer the double.
  SetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", nullptr);
  SetEnvironmentVariableW(L"VORN_DOUBLE_CREATE_RESULT", nullptr);
  SetEnvironmentVariableW(L"VORN_LAUNCHER_LOG", nullptr);
  // The same launcher writing its diagnostics log.
  const std::wstring logFile = app / L"run.log";
  auto timeLogged = [&] {
    SetEnvironmentVariableW(L"VORN_LAUNCHER_LOG", logFile.c_str());
    double elapsed = TimeStart(launcher);
    SetEnvironmentVariableW(L"VORN_LAUNCHER_LOG", nullptr);
    return elapsed;
  };

  for (int i = 0; i < warmUps; ++i) {
    TimeStart(bare);
    TimeStart(windowed);
    TimeStart(launcher);
    TimeWindow(showing, kBareWindowClass);
    TimeWindow(splashLauncher, kSplashWindowClass);
    timeLogged();
  }
  std::vector<double> bareTimes, windowedTimes, launcherTimes, showingTimes, splashTimes, loggedTimes;
  for (int i = 0; i < runs; ++i) {
    // Rotate which goes first, so none always follows another.
    for (int k = 0; k < 6; ++k) {
      switch ((i + k) % 6) {
        case 0: bareTimes.push_back(TimeStart(bare)); break;
        case 1: windowedTimes.push_back(TimeStart(windowed)); break;
        case 2: launcherTimes.push_back(TimeStart(launcher)); break;
        case 3: showingTimes.push_back(TimeWindow(showing, kBareWindowClass)); break;
        case 4: loggedTimes.push_back(timeLogged()); break;
        default: splashTimes.push_back(TimeWindow(splashLauncher, kSplashWindowClass)); break;
      }
    }
  }

  Figures b = Summarise(bareTimes), w = Summarise(windowedTimes), l = Summarise(launcherTimes),
          g = Summarise(loggedTimes);
  std::printf("Start-up, %d runs each after %d warm-ups (milliseconds)\n", runs, warmUps);
  std::printf("%-48s %9s %9s %9s\n", "", "min", "median", "max");
  PrintRow("bare program (kernel32 only), start to entry", b);
  PrintRow("bare windowed program (user32), start to entry", w);
  PrintRow("launcher, start to JNI_CreateJavaVM", l);
  PrintRow("launcher writing VORN_LAUNCHER_LOG, the same", g);
  // Every windowed program loads user32; under Wine that load alone costs
  // tens of milliseconds, so both baselines are shown.
  double ratio = l.median / b.median, ratioWindowed = l.median / w.median;
  std::printf("ratio of medians (launcher / bare): %.3f, goal <= 1.10: %s\n", ratio,
              ratio <= 1.10 ? "met" : "NOT met");
  std::printf("ratio of medians (launcher / bare windowed): %.3f, goal <= 1.10: %s\n", ratioWindowed,
              ratioWindowed <= 1.10 ? "met" : "NOT met");

  Figures shown = Summarise(showingTimes), splash = Summarise(splashTimes);
  std::printf("\nFirst window, %d runs each (milliseconds, start until the window is visible)\n", runs);
  std::printf("%-48s %9s %9s %9s\n", "", "min", "median", "max");
  PrintRow("bare program showing a window", shown);
  PrintRow("launcher showing its splash (401 x 301 BMP)", splash);
  double splashRatio = splash.median / shown.median;
  std::printf("ratio of medians (splash / bare window): %.3f, goal <= 1.15: %s\n", splashRatio,
              splashRatio <= 1.15 ? "met" : "NOT met");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Bench(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    return 1;
  }
}
