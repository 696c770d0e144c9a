// Single-instance hand-over figures, against one primary: a copy of
// launcher.exe with "Single Instance" "yes" whose runtime is the test-double
// jvm.dll and whose main class test.SecondaryInt stays up and records every
// "secondaryMain" call (its int answer is the argument count + 100).
//
//   handover_bench burst [count]        (default 50, at most 50)
//     starts `count` secondaries suspended, resumes them all at once and
//     counts the argument lists that reached "secondaryMain" intact and once,
//     and the secondaries that ended with their own answer (secondary i sends
//     i + 1 arguments, so every answer differs); exit code 0 when all did.
//   handover_bench time [runs] [warm-ups]   (default 31 and 3)
//     a secondary's whole run (start to exit) against a bare windowed
//     program's, ratio of medians.
//
// launcher.exe, bench_bare_windowed.exe and double\jvm.dll are taken from the
// folder of this program (build/<preset>/bin).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "tests/bench/bench_support.h"
#include "tests/support/double_record.h"
#include "tests/support/test_files.h"

namespace {

using namespace benchsupport;

constexpr DWORD kTimeLimitMs = 120000;
constexpr int kMostSecondaries = 50;
constexpr char kUsage[] = "usage: handover_bench burst [1..50] | handover_bench time [runs >= 1] [warm-ups >= 0]";

struct Started {
  win::Handle process;
  win::Handle thread;
};

// `quietOutput`: the standard handles go to NUL (the primary's application
// prints every call).
Started Start(const std::wstring& exe, const std::wstring& arguments, DWORD flags = 0, HANDLE quietOutput = nullptr) {
  std::wstring commandLine = L"\"" + exe + L"\"" + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (quietOutput != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = quietOutput;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, quietOutput != nullptr, flags, nullptr,
                      nullptr, &startup, &info)) {
    throw SystemFailure(L"cannot start " + exe);
  }
  return {win::Handle(info.hProcess), win::Handle(info.hThread)};
}

DWORD WaitForExit(const Started& started) {
  if (WaitForSingleObject(started.process.get(), kTimeLimitMs) != WAIT_OBJECT_0) {
    TerminateProcess(started.process.get(), 1);
    throw Failure(L"a process did not end within " + std::to_wstring(kTimeLimitMs) + L" ms");
  }
  DWORD code = 0;
  GetExitCodeProcess(started.process.get(), &code);
  return code;
}

// The application folder and its primary, which is ended when this goes.
class Primary {
 public:
  Primary() {
    CopyInto(testsupport::BinFile(L"launcher.exe"), launcher());
    CopyInto(testsupport::BinFile(L"double\\jvm.dll"), app_ / L"runtime\\bin\\server\\jvm.dll");
    WriteUtf16File(app_ / L"app.ini", L"[Java Runtime Environment]\r\nMain Class=test.SecondaryInt\r\nJRE Path=" +
                                          (app_ / L"runtime") + L"\r\n[Class Path]\r\nClass Path=" + launcher() +
                                          L"\r\n[Application]\r\nSingle Instance=yes\r\n");
    SetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", record().c_str());
    SetEnvironmentVariableW(L"VORN_DOUBLE_LINGER_MS", L"3600000");
    SetEnvironmentVariableW(L"VORN_DOUBLE_CREATE_RESULT", nullptr);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    win::FileHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherited, OPEN_EXISTING, 0, nullptr));
    primary_ = Start(launcher(), L"", 0, nul.get());
    const ULONGLONG end = GetTickCount64() + kTimeLimitMs;
    while (testsupport::ReadDoubleRecord(record()).Main() == nullptr) {
      if (GetTickCount64() >= end) throw Failure(L"the primary's main never ran");
      Sleep(20);
    }
  }
  ~Primary() {
    TerminateProcess(primary_.process.get(), 0);
    WaitForSingleObject(primary_.process.get(), 10000);
  }
  Primary(const Primary&) = delete;
  Primary& operator=(const Primary&) = delete;

  std::wstring launcher() const { return app_ / L"app.exe"; }
  std::wstring record() const { return app_ / L"record.txt"; }

 private:
  testsupport::TempFolder app_;
  Started primary_;
};

std::vector<std::wstring> BurstArguments(int secondary) {
  std::vector<std::wstring> arguments;
  for (int k = 0; k <= secondary; ++k) arguments.push_back(L"b" + std::to_wstring(secondary) + L"." + std::to_wstring(k));
  return arguments;
}

int Burst(int count) {
  Primary primary;
  std::vector<Started> secondaries;
  for (int i = 0; i < count; ++i) {
    std::wstring text;
    for (const std::wstring& argument : BurstArguments(i)) text += L" " + argument;
    secondaries.push_back(Start(primary.launcher(), text, CREATE_SUSPENDED));
  }
  for (const Started& secondary : secondaries) ResumeThread(secondary.thread.get());
  int ownAnswers = 0;
  for (int i = 0; i < count; ++i) {
    if (WaitForExit(secondaries[i]) == static_cast<DWORD>(100 + i + 1)) ++ownAnswers;
  }

  const testsupport::DoubleRecord record = testsupport::ReadDoubleRecord(primary.record());
  int intactOnce = 0, calls = 0, unmatched = 0;
  std::vector<int> deliveries(count, 0);
  for (const auto& call : record.calls) {
    if (call.what != "secondaryMain") continue;
    ++calls;
    bool matched = false;
    for (int i = 0; i < count; ++i) {
      if (call.args == BurstArguments(i)) {
        ++deliveries[i];
        matched = true;
      }
    }
    if (!matched) ++unmatched;
  }
  for (int n : deliveries) intactOnce += n == 1 ? 1 : 0;
  std::printf("%d secondaries started at once against one primary\n", count);
  std::printf("argument lists delivered intact and once: %d of %d (goal %d of %d): %s\n", intactOnce, count, count,
              count, intactOnce == count ? "met" : "NOT met");
  std::printf("secondaries ending with their own answer: %d of %d\n", ownAnswers, count);
  std::printf("secondaryMain calls: %d, of them with a list no secondary sent: %d\n", calls, unmatched);
  return intactOnce == count && ownAnswers == count && unmatched == 0 ? 0 : 1;
}

double TimeRun(const std::wstring& exe, const std::wstring& arguments, DWORD expectedCode) {
  const double begin = Now();
  Started started = Start(exe, arguments);
  const DWORD code = WaitForExit(started);
  const double elapsed = Now() - begin;
  if (code != expectedCode) throw Failure(exe + L" ended with exit code " + std::to_wstring(code));
  return elapsed;
}

int Time(int runs, int warmUps) {
  Primary primary;
  // The bare program sets this event and ends with 0.
  win::Handle started(CreateEventW(nullptr, TRUE, FALSE, L"vorn-handover-bench-bare"));
  SetEnvironmentVariableW(L"VORN_DOUBLE_STARTED_EVENT", L"vorn-handover-bench-bare");
  const std::wstring bare = testsupport::BinFile(L"bench_bare_windowed.exe");
  for (int i = 0; i < warmUps; ++i) {
    TimeRun(bare, L"", 0);
    TimeRun(primary.launcher(), L" warm", 101);
  }
  std::vector<double> bareTimes, handOverTimes;
  for (int i = 0; i < runs; ++i) {
    bool bareFirst = i % 2 == 0;
    if (bareFirst) bareTimes.push_back(TimeRun(bare, L"", 0));
    handOverTimes.push_back(TimeRun(primary.launcher(), L" one", 101));
    if (!bareFirst) bareTimes.push_back(TimeRun(bare, L"", 0));
  }
  Figures b = Summarise(bareTimes), h = Summarise(handOverTimes);
  std::printf("Hand-over, %d runs each after %d warm-ups (milliseconds, start to exit)\n", runs, warmUps);
  std::printf("%-48s %9s %9s %9s\n", "", "min", "median", "max");
  PrintRow("bare windowed program (user32)", b);
  PrintRow("secondary launcher, whole hand-over", h);
  const double ratio = h.median / b.median;
  std::printf("ratio of medians (secondary / bare windowed): %.3f, goal <= 1.10: %s\n", ratio,
              ratio <= 1.10 ? "met" : "NOT met");
  return 0;
}

int Count(int argc, wchar_t** argv, int index, int fallback, int least, int most) {
  if (argc <= index) return fallback;
  int value = _wtoi(argv[index]);
  if (value < least || value > most) {
    throw std::runtime_error(kUsage);
  }
  return value;
}

int Bench(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"burst") return Burst(Count(argc, argv, 2, kMostSecondaries, 1, kMostSecondaries));
  if (mode == L"time") return Time(Count(argc, argv, 2, 31, 1, 100000), Count(argc, argv, 3, 3, 0, 100000));
  throw std::runtime_error(kUsage);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Bench(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "handover_bench: %s\n", e.what());
    return 1;
  }
}
