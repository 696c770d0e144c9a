// Single-instance mode end to end: a first start of a launcher copy runs the
// test-double runtime and stays up; later starts hand it their arguments and
// end with its answer. Every named object comes from the copy's own path in a
// temporary folder, so no two tests share one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/exit_codes.h"
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

constexpr DWORD kFailed = exitcode::kLaunchFailedCode;
constexpr wchar_t kLingerForever[] = L"600000";

// Polls until `condition` holds; false when it never did within the time.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 60000) {
  return testsupport::Eventually(condition, timeoutMs);
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
  const std::wstring log = si.app.app.path(L"secondaries.log");
  for (const auto& c : cases) {
    auto run = si.app.app.Run(c.arguments, {.environment = {{L"VORN_LAUNCHER_LOG", log}}});
    ASSERT_TRUE(run.result.finished) << "secondary with " << c.arguments.size() << " characters of arguments";
    EXPECT_EQ(run.result.exitCode, c.exitCode) << "the int form's answer is the argument count + 100";
    if (c.received) expected.push_back(*c.received);
    // Arguments too long for the block are refused in words, never in silence.
    EXPECT_EQ(run.BoxTexts(), c.received ? std::vector<std::wstring>{}
                                         : std::vector<std::wstring>{
                                               L"The program is already running, but these arguments are too long "
                                               L"to hand over to it (1042 bytes; at most 1040). Start it with "
                                               L"shorter arguments.\n"});
  }
  // Each later start that was served says so in the diagnostics log.
  const std::wstring story = testsupport::ReadTextFile(log);
  EXPECT_NE(story.find(L"single instance: arguments too long to hand over (1042 bytes)"), std::wstring::npos) << story;
  const std::wstring handedOver = L"handed over to the running instance, pid " + std::to_wstring(si.primary.id());
  std::size_t told = 0;
  for (std::size_t at = story.find(handedOver); at != std::wstring::npos; at = story.find(handedOver, at + 1)) ++told;
  EXPECT_EQ(told, expected.size()) << story;
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

// A module application without "Main Class" runs its module's main class;
// later starts hand over to that class too.
TEST(SingleInstance, AModuleApplicationHandsOverToItsModulesMainClass) {
  SingleInstanceApp si(L"");
  testsupport::WriteTextFile(si.app.app.path(L"mods\\app.core.jar"), L"main-class=test.SecondaryInt",
                             testsupport::Encoding::Ansi);
  Settings s;
  s.mainClass = L"";
  s.classPath = L"\r\nModule Path=mods";
  s.runtimeLines = L"Main Module=app.core\r\n";
  s.applicationLines = L"Single Instance=yes\r\n";
  si.app.Write(s);
  si.StartPrimary();
  const auto run = si.RunSecondary(L"x");
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 101u) << si.app.RecordText();
  const auto calls = CallsOf(si.app.Record(), "secondaryMain");
  ASSERT_EQ(calls.size(), 1u) << si.app.RecordText();
  EXPECT_EQ(calls[0]->className, "test/SecondaryInt");
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

// The primary ends with 259, the value an exit code has while a process still
// runs: the secondary must notice the end all the same.
TEST(SingleInstance, WithoutSecondaryMainTheSecondaryEndsWithThePrimary) {
  SingleInstanceApp si(L"test.ThreadLinger");
  si.StartPrimary();
  Process secondary = si.StartSecondary(L"unheard");
  ASSERT_TRUE(Eventually([&] { return !si.app.Record().described.empty(); }))
      << "the missing method's NoSuchMethodError is described\n"
      << si.app.RecordText();
  EXPECT_NE(si.app.Record().described[0].find(L"NoSuchMethodError"), std::wstring::npos) << si.app.RecordText();
  EXPECT_FALSE(secondary.Wait(500)) << "no answer is sent";
  TerminateProcess(si.primary.handle(), STILL_ACTIVE);
  ASSERT_TRUE(secondary.Wait(30000)) << "a primary that ended with 259 left its later start waiting";
  EXPECT_EQ(secondary.ExitCode(), static_cast<DWORD>(STILL_ACTIVE)) << "the primary's exit code";
  si.app.ExpectCleanJniUse();
}

std::wstring PlainInstanceName(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'_');
  return path;
}

// The shared block of a running primary, as another process of the same
// session can map it.
class BlockView {
 public:
  explicit BlockView(const std::wstring& name)
      : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092, name.c_str())),
        bytes_(mapping_ ? static_cast<std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0)) : nullptr) {}
  ~BlockView() {
    if (bytes_) UnmapViewOfFile(bytes_);
    if (mapping_) CloseHandle(mapping_);
  }
  std::uint8_t* bytes() const { return bytes_; }
  DWORD Field(std::size_t offset) const {
    DWORD value;
    std::memcpy(&value, bytes_ + offset, sizeof value);
    return value;
  }

 private:
  HANDLE mapping_;
  std::uint8_t* bytes_;
};

// A block that no running launcher of the path serves (made by another
// process, or naming a process that is not this launcher) does not keep the
// application from starting: the later start runs as an ordinary one and its
// diagnostics log says so.
TEST(SingleInstance, ALaterStartThatFindsNoLivePrimaryRunsAsAnOrdinaryStart) {
  const struct {
    bool namesThisProcess;  // else the block stays all zeros
    const char* why;
  } cases[] = {{false, "a block whose primary never comes"}, {true, "a block naming another program's process"}};
  for (const auto& c : cases) {
    SingleInstanceApp si;
    const std::wstring name = PlainInstanceName(si.app.app.exe());
    BlockView block(name);
    ASSERT_NE(block.bytes(), nullptr);
    const UINT notification = RegisterWindowMessageW(name.c_str());
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue
    if (c.namesThisProcess) {
      const DWORD fields[] = {GetCurrentThreadId(), GetCurrentProcessId(), notification};
      std::memcpy(block.bytes(), fields, sizeof fields);
    }
    const std::wstring log = si.app.app.path(L"run.log");
    auto run = si.app.Run(L"ordinary", {{L"VORN_LAUNCHER_LOG", log}, {L"VORN_DOUBLE_LINGER_MS", L"0"}});
    ASSERT_TRUE(run.result.finished) << c.why;
    EXPECT_EQ(run.result.exitCode, 0u) << c.why;
    EXPECT_TRUE(run.boxes.empty()) << c.why;
    EXPECT_EQ(si.app.MainArguments(), Args{L"ordinary"}) << c.why << "\n" << si.app.RecordText();
    EXPECT_NE(testsupport::ReadTextFile(log).find(L"single instance: no primary; an ordinary start"),
              std::wstring::npos)
        << c.why;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, notification, notification, PM_REMOVE)) << c.why;
  }
}

// A primary that cannot serve later starts (here another program holds the
// name of its main-started event) lets the block go, so later starts become
// ordinary ones at once rather than finding a block nobody serves.
TEST(SingleInstance, APrimaryThatTurnsTheModeOffReleasesTheBlock) {
  SingleInstanceApp si;
  const std::wstring name = PlainInstanceName(si.app.app.exe());
  HANDLE squatter = CreateMutexW(nullptr, FALSE, (name + L"_upr_evt").c_str());
  ASSERT_NE(squatter, nullptr);
  si.StartPrimary();
  const std::wstring log = si.app.app.path(L"second.log");
  // Appends to the record the first start keeps writing.
  testsupport::RunOptions options;
  options.environment = {
      {L"VORN_DOUBLE_RECORD", si.app.recordFile()}, {L"VORN_DOUBLE_LINGER_MS", L"0"}, {L"VORN_LAUNCHER_LOG", log}};
  auto run = si.app.app.Run(L"second", si.app.app.WithOwnAppData(options));
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  const auto record = si.app.Record();
  const auto calls = CallsOf(record, "main");
  ASSERT_EQ(calls.size(), 2u) << si.app.RecordText();
  EXPECT_EQ(calls.back()->args, Args{L"second"});
  const std::wstring story = testsupport::ReadTextFile(log);
  EXPECT_NE(story.find(L"--- launcher started"), std::wstring::npos);
  EXPECT_EQ(story.find(L"no primary"), std::wstring::npos) << "it found no block left behind";
  CloseHandle(squatter);
}

// Any process of the session can post the registered message to the
// listener: only a later start that wrote its arguments for that very
// notification is handed over, and nothing answers the others.
TEST(SingleInstance, NotificationsThatNoLaterStartSentAreDropped) {
  SingleInstanceApp si;
  si.StartPrimary();
  BlockView block(PlainInstanceName(si.app.app.exe()));
  ASSERT_NE(block.bytes(), nullptr);
  const DWORD listener = block.Field(0);
  const UINT notification = block.Field(8);
  ASSERT_NE(listener, 0u);
  ASSERT_NE(notification, 0u);
  const wchar_t junk[] = L"junk\0\0";
  std::memcpy(block.bytes() + 12, junk, sizeof junk);
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue, for answers that must not come
  for (int i = 0; i < 3000; ++i) {
    ASSERT_TRUE(PostThreadMessageW(listener, notification, i % 2 ? GetCurrentThreadId() : i, 0)) << i;
  }
  // Taken after all of the above: the listener reads its queue in order.
  auto run = si.RunSecondary(L"real");
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 101u);
  const auto record = si.app.Record();
  const auto calls = CallsOf(record, "secondaryMain");
  ASSERT_EQ(calls.size(), 1u) << "only the real later start is handed over\n" << si.app.RecordText();
  EXPECT_EQ(calls[0]->args, Args{L"real"});
  EXPECT_FALSE(PeekMessageW(&message, nullptr, notification, notification, PM_REMOVE))
      << "no answer to a thread that never asked";
}

// A notification still in the listener's queue when the primary's virtual
// machine is gone is not handed over (the listener is held here, as a busy
// machine may hold it): nothing touches the destroyed VM, and the later start
// gets the primary's exit code.
TEST(SingleInstance, AHandOverCaughtByThePrimarysEndGetsItsExitCode) {
  SingleInstanceApp si;
  Gate creation;
  si.StartPrimary({{L"VORN_DOUBLE_CREATE_GATE", creation.name()}, {L"VORN_DOUBLE_LINGER_MS", L"0"}}, false);
  ASSERT_TRUE(Eventually([&] { return si.app.Record().createCalls == 1; })) << si.app.RecordText();
  BlockView block(PlainInstanceName(si.app.app.exe()));
  ASSERT_NE(block.bytes(), nullptr);
  HANDLE listener = OpenThread(THREAD_SUSPEND_RESUME, FALSE, block.Field(0));
  ASSERT_NE(listener, nullptr);
  ASSERT_NE(SuspendThread(listener), static_cast<DWORD>(-1));
  Process secondary = si.StartSecondary(L"late");
  // It writes its thread id beside its arguments just before it posts.
  ASSERT_TRUE(Eventually([&] { return block.Field(1052) != 0; })) << "the later start never wrote its arguments";
  creation.Open();
  ASSERT_TRUE(Eventually([&] { return !si.app.Record().LinesStartingWith("destroy-done").empty(); }))
      << si.app.RecordText();
  ResumeThread(listener);
  CloseHandle(listener);
  ASSERT_TRUE(si.primary.Wait(30000));
  ASSERT_TRUE(secondary.Wait(30000));
  EXPECT_EQ(si.primary.ExitCode(), 0u);
  EXPECT_EQ(secondary.ExitCode(), 0u) << "the primary's exit code";
  const auto record = si.app.Record();
  EXPECT_TRUE(CallsOf(record, "secondaryMain").empty()) << si.app.RecordText();
  si.app.ExpectCleanJniUse();
}

// A path too long for the names of the window message and the kernel objects
// still gives one instance, through a name derived from it.
TEST(SingleInstance, LongExecutablePathsStillHandOver) {
  SingleInstanceApp si;
  const std::wstring folder = si.app.app.path(L"");
  const std::wstring exe = folder + std::wstring(258 - folder.size() - 4, L'n') + L".exe";
  ASSERT_EQ(exe.size(), 258u);
  testsupport::CopyFileTo(si.app.app.exe(), exe);
  testsupport::CopyFileTo(si.app.app.ini(), exe.substr(0, exe.size() - 3) + L"ini");
  Process primary = Process::Start(exe, Quoted(exe), si.app.Options({{L"VORN_DOUBLE_LINGER_MS", kLingerForever}}));
  ASSERT_TRUE(primary.started());
  ASSERT_TRUE(Eventually([&] { return si.app.Record().Main() != nullptr; })) << si.app.RecordText();
  const auto run = testsupport::RunProcess(exe, Quoted(exe) + L" long");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 101u) << "the later start's answer";
  const auto record = si.app.Record();
  const auto calls = CallsOf(record, "secondaryMain");
  ASSERT_EQ(calls.size(), 1u) << si.app.RecordText();
  EXPECT_EQ(calls[0]->args, Args{L"long"});
}

// The system may report a running program under another spelling of its
// path than the one it was started with: a second drive letter for the same
// folder (here Y:, which the test prefix maps to drive C's folder, as SUBST
// does) under the real one, letter case as stored. Starts with one spelling
// still find each other. (Wine names a process's image after a mapping of
// the file that already exists: the test maps the program under its real
// path first, so Wine reports it there, as Windows does.)
TEST(SingleInstance, StartsThroughAnotherSpellingOfThePathFindTheirPrimary) {
  const struct {
    const char* what;
    std::wstring (*spell)(const std::wstring&);
  } cases[] = {
      {"another drive letter", [](const std::wstring& path) { return L"Y:" + path.substr(2); }},
      {"lower case", [](const std::wstring& path) {
         std::wstring lower = path;
         std::transform(lower.begin(), lower.end(), lower.begin(), towlower);
         return lower;
       }},
  };
  for (const auto& c : cases) {
    SingleInstanceApp si;
    const std::wstring exe = c.spell(si.app.app.exe());
    ASSERT_EQ(si.app.app.exe().substr(0, 3), L"C:\\");
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << c.what;
    HMODULE real = LoadLibraryExW(si.app.app.exe().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(real, nullptr);
    Process primary = Process::Start(exe, Quoted(exe), si.app.Options({{L"VORN_DOUBLE_LINGER_MS", kLingerForever}}));
    ASSERT_TRUE(primary.started()) << c.what;
    ASSERT_TRUE(Eventually([&] { return si.app.Record().Main() != nullptr; })) << c.what << "\n" << si.app.RecordText();
    const auto run = testsupport::RunProcess(exe, Quoted(exe) + L" spelled", {}, 30000);
    ASSERT_TRUE(run.finished) << c.what;
    EXPECT_EQ(run.exitCode, 101u) << c.what << ": the primary's answer";
    const auto record = si.app.Record();
    const auto calls = CallsOf(record, "secondaryMain");
    ASSERT_EQ(calls.size(), 1u) << c.what << "\n" << si.app.RecordText();
    EXPECT_EQ(calls[0]->args, Args{L"spelled"}) << c.what;
    FreeLibrary(real);
  }
}

// Stands in for a primary's listener whose pending hand-overs are at their
// bound: it refuses the first `refusals` offers as such a primary does (the
// copied event set, the offer left in the block), then takes one and answers 42.
class FullListener {
 public:
  FullListener(BlockView& block, const std::wstring& name, int refusals)
      : block_(block), copied_(OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L"_upr_ack").c_str())),
        refusals_(refusals), saved_(block.Field(0)), thread_(&FullListener::Listen, this) {
    EXPECT_NE(copied_, nullptr);
    EXPECT_TRUE(Eventually([this] { return block_.Field(0) != saved_; }));
  }
  ~FullListener() {
    PostThreadMessageW(block_.Field(0), WM_QUIT, 0, 0);
    thread_.join();
    std::memcpy(block_.bytes(), &saved_, sizeof saved_);
    CloseHandle(copied_);
  }
  int offers() const { return offers_; }

 private:
  void Listen() {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue before the id is published
    const DWORD self = GetCurrentThreadId();
    std::memcpy(block_.bytes(), &self, sizeof self);
    const UINT notification = block_.Field(8);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message != notification || block_.Field(1052) != message.wParam) continue;
      if (++offers_ > refusals_) {
        std::memset(block_.bytes() + 1052, 0, 4);
        PostThreadMessageW(static_cast<DWORD>(message.wParam), notification, 42, 0);
      }
      SetEvent(copied_);
    }
  }

  BlockView& block_;
  HANDLE copied_;
  const int refusals_;
  const DWORD saved_;
  std::atomic<int> offers_{0};
  std::thread thread_;
};

// A later start refused by a full primary offers its arguments again until
// they are taken; when they never are, it says so and ends with -1.
TEST(SingleInstance, ALaterStartRefusedByAFullPrimaryTriesAgainThenSaysSo) {
  SingleInstanceApp si;
  si.StartPrimary();
  const std::wstring name = PlainInstanceName(si.app.app.exe());
  BlockView block(name);
  ASSERT_NE(block.bytes(), nullptr);
  {
    FullListener listener(block, name, 3);
    const auto run = si.RunSecondary(L"again");
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, 42u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(listener.offers(), 4);
  }
  FullListener listener(block, name, std::numeric_limits<int>::max());
  testsupport::RunOptions options;
  options.environment = {{L"VORN_LAUNCHER_LOG", si.app.app.path(L"refused.log")}};
  const auto run = si.app.app.Run(L"never", options, 120000);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, kFailed);
  EXPECT_GT(listener.offers(), 1);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_NE(run.BoxTexts()[0].find(L"already running but did not take"), std::wstring::npos)
      << testing::PrintToString(run.BoxTexts()[0]) << " in a box captioned "
      << testing::PrintToString(run.boxes[0].caption);
  EXPECT_NE(testsupport::ReadTextFile(si.app.app.path(L"refused.log"))
                .find(L"single instance: arguments not taken"),
            std::wstring::npos);
  EXPECT_TRUE(CallsOf(si.app.Record(), "secondaryMain").empty()) << si.app.RecordText();
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
