// Single-instance mode end to end: a first start of a launcher copy runs the
// test-double runtime and stays up; later starts hand it their arguments and
// end with its answer. Every named object comes from the copy's own path in a
// temporary folder, so no two tests share one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/double_record.h"
#include "tests/support/launcher_app.h"
#include "tests/support/process_runner.h"

namespace {

using testsupport::DoubleApp;
using testsupport::Process;
using testsupport::Quoted;
using testsupport::Settings;
using Args = std::vector<std::wstring>;

constexpr DWORD kFailed = 0xFFFFFFFF;
constexpr wchar_t kLingerForever[] = L"600000";

// Polls until `condition` holds; false when it never did within the time.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 60000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

std::wstring UniqueName(const wchar_t* what) {
  static int counter = 0;
  return std::wstring(L"vorn-single-instance-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

// A manual-reset event the double waits for (its gate knobs).
class Gate {
 public:
  Gate() : name_(UniqueName(L"gate")), event_(CreateEventW(nullptr, TRUE, FALSE, name_.c_str())) {}
  ~Gate() { CloseHandle(event_); }
  const std::wstring& name() const { return name_; }
  void Open() const { SetEvent(event_); }

 private:
  std::wstring name_;
  HANDLE event_;
};

std::vector<const testsupport::DoubleCall*> CallsOf(const testsupport::DoubleRecord& record, const std::string& what) {
  std::vector<const testsupport::DoubleCall*> calls;
  for (const auto& call : record.calls) {
    if (call.what == what) calls.push_back(&call);
  }
  return calls;
}

// An application in single-instance mode whose first start stays up.
class SingleInstanceApp {
 public:
  explicit SingleInstanceApp(const std::wstring& mainClass = L"test.SecondaryInt",
                             const std::wstring& applicationLines = L"Single Instance=yes\r\n") {
    Settings s;
    s.mainClass = mainClass;
    s.applicationLines = applicationLines;
    app.Write(s);
  }

  // Starts the primary and waits until its main runs (unless `waitForMain` is off).
  void StartPrimary(std::map<std::wstring, std::optional<std::wstring>> environment = {}, bool waitForMain = true) {
    environment.emplace(L"VORN_DOUBLE_LINGER_MS", kLingerForever);
    primary = app.Start(L"", std::move(environment));
    ASSERT_TRUE(primary.started());
    if (waitForMain) {
      ASSERT_TRUE(Eventually([this] { return app.Record().Main() != nullptr; }))
          << "the primary's main never ran\n"
          << app.RecordText();
    }
  }

  // A later start with the exact argument text; its environment is the test's.
  Process StartSecondary(const std::wstring& arguments) const {
    return Process::Start(app.app.exe(), Quoted(app.app.exe()) + L" " + arguments);
  }
  testsupport::LauncherRun RunSecondary(const std::wstring& arguments) const { return app.app.Run(arguments); }

  DoubleApp app;
  Process primary;
};

TEST(SingleInstance, LaterStartsHandTheirArgumentsToTheFirstAndEndWithItsAnswer) {
  SingleInstanceApp si;
  si.StartPrimary();
  const std::wstring tooLong(519, L'x');  // 1042 bytes with its terminators
  const struct {
    std::wstring arguments;
    DWORD exitCode;
    std::optional<Args> received;  // none: nothing reaches the primary
  } cases[] = {
      {L"x \"two words\" Gr\u00fc\u00dfe\U0001D11E", 103, Args{L"x", L"two words", L"Gr\u00fc\u00dfe\U0001D11E"}},
      {L"", 101, Args{L""}},
      {L"a \"\" b", 101, Args{L"a"}},
      {tooLong, kFailed, std::nullopt},
      {L"after", 101, Args{L"after"}},
  };
  std::vector<Args> expected;
  for (const auto& c : cases) {
    auto run = si.RunSecondary(c.arguments);
    ASSERT_TRUE(run.result.finished) << "secondary with " << c.arguments.size() << " characters of arguments";
    EXPECT_EQ(run.result.exitCode, c.exitCode) << "the int form's answer is the argument count + 100";
    EXPECT_TRUE(run.boxes.empty());
    if (c.received) expected.push_back(*c.received);
  }
  // A hand-over thread detaches after its answer went out.
  EXPECT_TRUE(Eventually([&] {
    const auto r = si.app.Record();
    return r.attaches.size() == 1 + expected.size() && r.detaches.size() == r.attaches.size();
  })) << "one attached thread per hand-over, and every one detaches\n"
      << si.app.RecordText();
  const auto record = si.app.Record();
  std::vector<Args> received;
  for (const auto* call : CallsOf(record, "secondaryMain")) {
    EXPECT_EQ(call->className, "test/SecondaryInt");
    EXPECT_EQ(call->signature, "([Ljava/lang/String;)I");
    received.push_back(call->args);
  }
  EXPECT_EQ(received, expected) << si.app.RecordText();
  EXPECT_EQ(CallsOf(record, "main").size(), 1u) << "only the first start runs main";
  si.app.ExpectCleanJniUse();
}

TEST(SingleInstance, VoidFormAnswersBeforeTheMethodEndsIntFormAfter) {
  const struct {
    std::wstring mainClass;
    DWORD answer;
    bool answeredWhileHeld;
  } cases[] = {{L"test.SecondaryVoid", 0, true}, {L"test.SecondaryInt", 101, false}};
  for (const auto& c : cases) {
    SingleInstanceApp si(c.mainClass);
    Gate secondaryMain;
    si.StartPrimary({{L"VORN_DOUBLE_SECONDARY_GATE", secondaryMain.name()}});
    Process secondary = si.StartSecondary(L"held");
    ASSERT_TRUE(Eventually([&] { return CallsOf(si.app.Record(), "secondaryMain").size() == 1; }))
        << si.app.RecordText();
    if (c.answeredWhileHeld) {
      ASSERT_TRUE(secondary.Wait(30000)) << "the void form is answered before it runs";
    } else {
      EXPECT_FALSE(secondary.Wait(2000)) << "the int form is answered only when it returns";
    }
    secondaryMain.Open();
    ASSERT_TRUE(secondary.Wait(30000));
    EXPECT_EQ(secondary.ExitCode(), c.answer);
  }
}

TEST(SingleInstance, SecondaryStartedBeforeMainIsAnsweredAfterMainStarted) {
  SingleInstanceApp si;
  Gate creation;
  si.StartPrimary({{L"VORN_DOUBLE_CREATE_GATE", creation.name()}}, false);
  ASSERT_TRUE(Eventually([&] { return si.app.Record().createCalls == 1; })) << si.app.RecordText();
  Process secondary = si.StartSecondary(L"early");
  EXPECT_FALSE(secondary.Wait(3000)) << "no answer while the primary's main has not run";
  creation.Open();
  ASSERT_TRUE(secondary.Wait(60000));
  EXPECT_EQ(secondary.ExitCode(), 101u);
  // The hand-over may run beside main once main is about to start: both are
  // recorded, in either order.
  const auto record = si.app.Record();
  EXPECT_EQ(CallsOf(record, "main").size(), 1u) << si.app.RecordText();
  const auto handedOver = CallsOf(record, "secondaryMain");
  ASSERT_EQ(handedOver.size(), 1u) << si.app.RecordText();
  EXPECT_EQ(handedOver[0]->args, Args{L"early"});
}

TEST(SingleInstance, WithoutSecondaryMainTheSecondaryEndsWithThePrimary) {
  SingleInstanceApp si(L"test.ThreadLinger");
  si.StartPrimary();
  Process secondary = si.StartSecondary(L"unheard");
  ASSERT_TRUE(Eventually([&] { return !si.app.Record().described.empty(); }))
      << "the missing method's NoSuchMethodError is described\n"
      << si.app.RecordText();
  EXPECT_NE(si.app.Record().described[0].find(L"NoSuchMethodError"), std::wstring::npos) << si.app.RecordText();
  EXPECT_FALSE(secondary.Wait(500)) << "no answer is sent";
  TerminateProcess(si.primary.handle(), 77);
  ASSERT_TRUE(secondary.Wait(30000));
  EXPECT_EQ(secondary.ExitCode(), 77u) << "the primary's exit code";
  si.app.ExpectCleanJniUse();
}

// This test plays a primary that is still starting: it makes the block named
// after the copy's path and fills it only later, with this thread as the
// listener, so it also sees the secondary's side of the protocol.
TEST(SingleInstance, SecondaryWaitsBoundedlyForAPrimaryStillStarting) {
  SingleInstanceApp si;
  std::wstring name = si.app.app.exe();
  std::replace(name.begin(), name.end(), L'\\', L'_');
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092, name.c_str());
  ASSERT_NE(mapping, nullptr);
  auto* block = static_cast<std::uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(block, nullptr);

  Process unserved = si.StartSecondary(L"never");
  EXPECT_FALSE(unserved.Wait(1500)) << "a secondary waits for a primary that is still starting";
  ASSERT_TRUE(unserved.Wait(30000));
  EXPECT_EQ(unserved.ExitCode(), kFailed) << "but not for ever";

  Process secondary = si.StartSecondary(L"waiting");
  EXPECT_FALSE(secondary.Wait(1500));
  const UINT notification = RegisterWindowMessageW(name.c_str());
  HANDLE copied = CreateEventW(nullptr, FALSE, FALSE, (name + L"_upr_ack").c_str());
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue
  const DWORD fields[] = {GetCurrentThreadId(), GetCurrentProcessId(), notification};
  std::memcpy(block, fields, sizeof fields);
  ASSERT_TRUE(Eventually([&] { return PeekMessageW(&message, nullptr, notification, notification, PM_REMOVE) != 0; }))
      << "the secondary notifies the listener once the block is filled";
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(block + 12), 9), std::wstring(L"waiting\0\0", 9));
  SetEvent(copied);
  PostThreadMessageW(static_cast<DWORD>(message.wParam), notification, 55, 0);
  ASSERT_TRUE(secondary.Wait(30000));
  EXPECT_EQ(secondary.ExitCode(), 55u) << "the answer's first parameter";
  CloseHandle(copied);
  UnmapViewOfFile(block);
  CloseHandle(mapping);
}

TEST(SingleInstance, OnlyLowerCaseYesForTheSamePathOutsideServicesMakesASecondary) {
  const struct {
    std::wstring applicationLines;
    bool otherFolder;
    const char* why;
  } cases[] = {
      {L"Single Instance=Yes\r\n", false, "\"Yes\" with a capital Y leaves the mode off"},
      {L"Single Instance=yes\r\n", true, "a copy in another folder has another instance name"},
      {L"Application Type=service\r\nSingle Instance=yes\r\n", false, "a service never uses the mode"},
  };
  for (const auto& c : cases) {
    SingleInstanceApp first(L"test.SecondaryInt", c.applicationLines);
    first.StartPrimary();
    std::optional<SingleInstanceApp> other;
    if (c.otherFolder) other.emplace(L"test.SecondaryInt", c.applicationLines);
    const DoubleApp& second = c.otherFolder ? other->app : first.app;
    // Appends to the record the first start keeps writing when both are one copy.
    testsupport::RunOptions options;
    options.environment = {{L"VORN_DOUBLE_RECORD", second.recordFile()}, {L"VORN_DOUBLE_LINGER_MS", L"0"}};
    auto run = second.app.Run(L"second", options);
    ASSERT_TRUE(run.result.finished) << c.why;
    EXPECT_EQ(run.result.exitCode, 0u) << c.why;
    const auto record = second.Record();
    const auto calls = CallsOf(record, "main");
    ASSERT_FALSE(calls.empty()) << c.why << "\n" << second.RecordText();
    EXPECT_EQ(calls.back()->args, Args{L"second"}) << c.why;
    EXPECT_TRUE(CallsOf(first.app.Record(), "secondaryMain").empty()) << c.why;
  }
}

}  // namespace
