// Start-up benchmark: how long a copy of launcher.exe takes from process start
// to its runtime's JNI_CreateJavaVM, against a bare windowed program's start to
// its entry point (bench_bare.exe).
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
#include "tests/support/test_files.h"

namespace {

constexpr wchar_t kEventVariable[] = L"VORN_DOUBLE_STARTED_EVENT";
constexpr DWORD kTimeLimitMs = 30000;

std::runtime_error Failure(const std::wstring& what) {
  std::string narrow;
  for (wchar_t c : what) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return std::runtime_error(narrow);
}

// A failed Windows call, with its error code.
std::runtime_error SystemFailure(const std::wstring& what) {
  DWORD error = GetLastError();
  return Failure(what + L" (error " + std::to_wstring(error) + L")");
}

void CreateParentFolders(const std::wstring& path) {
  for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1)) {
    CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
}

void CopyInto(const std::wstring& from, const std::wstring& to) {
  CreateParentFolders(to);
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw SystemFailure(L"cannot copy " + from + L" to " + to);
}

// Settings files are read as UTF-16LE with a byte-order mark.
void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  win::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw SystemFailure(L"cannot create " + path);
  std::wstring bytes = L"\xFEFF" + text;
  DWORD size = static_cast<DWORD>(bytes.size() * sizeof(wchar_t));
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), size, &written, nullptr) || written != size) {
    throw SystemFailure(L"cannot write " + path);
  }
}

double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerMs;
}

// Starts `exe` and returns the milliseconds until it sets the started event.
double TimeStart(const std::wstring& exe) {
  static unsigned serial = 0;
  std::wstring eventName =
      L"vorn-bench-started-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  win::Handle started(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
  if (!started) throw SystemFailure(L"cannot create the event " + eventName);
  SetEnvironmentVariableW(kEventVariable, eventName.c_str());

  std::wstring commandLine = L"\"" + exe + L"\"";
  std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  double begin = Now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &info)) {
    throw SystemFailure(L"cannot start " + exe);
  }
  win::Handle process(info.hProcess);
  win::Handle thread(info.hThread);
  HANDLE waits[] = {started.get(), process.get()};
  DWORD signalled = WaitForMultipleObjects(2, waits, FALSE, kTimeLimitMs);
  double elapsed = Now() - begin;

  if (WaitForSingleObject(process.get(), kTimeLimitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    throw Failure(exe + L" did not end within " + std::to_wstring(kTimeLimitMs) + L" ms");
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  if (signalled != WAIT_OBJECT_0) {
    throw Failure(exe + L" ended (exit code " + std::to_wstring(exitCode) + L") without setting the started event");
  }
  if (exitCode != 0) throw Failure(exe + L" ended with exit code " + std::to_wstring(exitCode));
  return elapsed;
}

struct Figures {
  double min, median, max;
};

Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  size_t n = times.size();
  double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  return {times.front(), median, times.back()};
}

void PrintRow(const char* name, const Figures& f) {
  std::printf("%-48s %9.2f %9.2f %9.2f\n", name, f.min, f.median, f.max);
}

int Count(int argc, wchar_t** argv, int index, int fallback, int least) {
  if (argc <= index) return fallback;
  int value = _wtoi(argv[index]);
  if (value < least) throw std::runtime_error("usage: startup_bench [runs >= 1] [warm-ups >= 0]");
  return value;
}

int Bench(int argc, wchar_t** argv) {
  const int runs = Count(argc, argv, 1, 31, 1);
  const int warmUps = Count(argc, argv, 2, 3, 0);

  // An application folder: app.exe (the launcher) with its settings and a
  // runtime folder whose bin\server\jvm.dll is the double.
  testsupport::TempFolder app;
  const std::wstring launcher = app / L"app.exe";
  CopyInto(testsupport::BinFile(L"launcher.exe"), launcher);
  CopyInto(testsupport::BinFile(L"double\\jvm.dll"), app / L"runtime\\bin\\server\\jvm.dll");
  WriteUtf16File(app / L"app.ini", L"[Java Runtime Environment]\r\nMain Class=test.Echo\r\nJRE Path=" +
                                       (app / L"runtime") + L"\r\n[Class Path]\r\nClass Path=" + launcher + L"\r\n");
  const std::wstring bare = testsupport::BinFile(L"bench_bare.exe");
  const std::wstring windowed = testsupport::BinFile(L"bench_bare_windowed.exe");

  // Nothing but the started event may steer the double.
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
    timeLogged();
  }
  std::vector<double> bareTimes, windowedTimes, launcherTimes, loggedTimes;
  for (int i = 0; i < runs; ++i) {
    // Rotate which goes first, so none always follows another.
    for (int k = 0; k < 4; ++k) {
      switch ((i + k) % 4) {
        case 0: bareTimes.push_back(TimeStart(bare)); break;
        case 1: windowedTimes.push_back(TimeStart(windowed)); break;
        case 2: loggedTimes.push_back(timeLogged()); break;
        default: launcherTimes.push_back(TimeStart(launcher)); break;
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
