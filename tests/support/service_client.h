// A small client of the Service Control Manager for the tests: a service of
// the test's own, started, stopped and read back with bounded waits.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testsupport {

// The status of the service `name`, none when the manager has no such service.
std::optional<SERVICE_STATUS_PROCESS> QueryServiceByName(const std::wstring& name);

// Waits up to `timeoutMs` until the service `name` is in `state` (polling);
// its last status, none when it was not found.
std::optional<SERVICE_STATUS_PROCESS> WaitForServiceState(const std::wstring& name, DWORD state, DWORD timeoutMs);

// A demand-start own-process service made for one test; stopped (its process
// killed when it will not stop) and deleted when it goes.
class TestService {
 public:
  TestService(const std::wstring& name, const std::wstring& commandLine);
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;

  bool created() const { return service_ != nullptr; }
  const std::wstring& name() const { return name_; }
  // StartServiceW's error, 0 when it succeeded.
  DWORD Start();
  // ControlService(SERVICE_CONTROL_STOP)'s error, 0 when it was accepted.
  DWORD Stop();
  std::optional<SERVICE_STATUS_PROCESS> WaitForState(DWORD state, DWORD timeoutMs = 30000) const {
    return WaitForServiceState(name_, state, timeoutMs);
  }

 private:
  std::wstring name_;
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

}  // namespace testsupport
