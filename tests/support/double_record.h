// Reads the record the test-double jvm.dll writes (format: tests/jvm/double_record.h).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct DoubleCall {
  std::string what;       // "main", "secondaryMain" or "launch" (JavaFX)
  std::string className;  // "test/Echo"
  std::string signature;  // secondaryMain only
  bool nullArray = false;
  std::vector<std::wstring> args;
  std::vector<bool> nullArgs;
};

struct DoubleRecord {
  bool exists = false;
  std::vector<std::string> lines;  // every line as written

  // JNI_CreateJavaVM
  int createCalls = 0;
  unsigned version = 0;
  bool ignoreUnrecognized = false;
  int nOptions = -1;
  std::vector<std::string> options;  // exact bytes, hook options included
  bool exitHook = false;
  bool abortHook = false;
  std::map<std::wstring, std::optional<std::wstring>> env;  // nullopt: not set
  std::wstring cwd;
  std::string classPath;
  long long threadStack = -1;
  std::optional<int> createResult;  // of the last create
  std::optional<int> defaultArgsResult;
  unsigned defaultArgsVersion = 0;

  // what happened in the VM
  std::vector<std::string> findClasses;
  std::vector<DoubleCall> calls;  // main, secondaryMain and launch, in order
  std::vector<std::string> attaches;
  std::vector<std::string> detaches;
  std::vector<std::wstring> setOut;  // file paths or <stdout>/<stderr>/<buffer>/<null>
  std::vector<std::wstring> setErr;
  std::vector<std::wstring> thrown;     // "<class>: <message>"
  std::vector<std::wstring> described;  // "<class>: <message>"
  std::optional<int> exitCode;          // System.exit
  bool exitHookCalled = false;
  bool destroyCalled = false;
  std::optional<int> destroyResult;
  std::vector<std::string> unimplemented;  // slot names
  std::vector<std::string> misuse;
  std::vector<std::string> warnings;

  const DoubleCall* Main() const;  // the first main call, or null
  // Lines starting with `prefix`.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
};

DoubleRecord ReadDoubleRecord(const std::wstring& path);
DoubleRecord ParseDoubleRecord(const std::string& text);

// Helpers of the format, exposed for tests of the reader.
std::string UnescapeNarrow(const std::string& text);
std::wstring UnescapeWide(const std::string& text);
std::optional<std::wstring> HexToUtf16(const std::string& hex);

}  // namespace testsupport
