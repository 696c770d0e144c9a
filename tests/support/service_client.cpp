#include "tests/support/service_client.h"

namespace testsupport {

std::optional<SERVICE_STATUS_PROCESS> QueryServiceByName(const std::wstring& name) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return std::nullopt;
  SC_HANDLE service = OpenServiceW(manager, name.c_str(), SERVICE_QUERY_STATUS);
  std::optional<SERVICE_STATUS_PROCESS> result;
  if (service != nullptr) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                             &needed)) {
      result = status;
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return result;
}

std::optional<SERVICE_STATUS_PROCESS> WaitForServiceState(const std::wstring& name, DWORD state, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    auto status = QueryServiceByName(name);
    if (!status || status->dwCurrentState == state || GetTickCount64() >= end) return status;
    Sleep(20);  // a poll's interval, not a wait for the state
  }
}

TestService::TestService(const std::wstring& name, const std::wstring& commandLine) : name_(name) {
  manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager_ == nullptr) return;
  // One left by an earlier run that was killed.
  if (SC_HANDLE old = OpenServiceW(manager_, name.c_str(), DELETE)) {
    DeleteService(old);
    CloseServiceHandle(old);
  }
  service_ = CreateServiceW(manager_, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                            SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, commandLine.c_str(), nullptr, nullptr, nullptr,
                            nullptr, nullptr);
}

TestService::~TestService() {
  if (service_ != nullptr) {
    auto status = QueryServiceByName(name_);
    if (status && status->dwCurrentState != SERVICE_STOPPED) {
      Stop();
      status = WaitForState(SERVICE_STOPPED, 10000);
    }
    if (status && status->dwCurrentState != SERVICE_STOPPED && status->dwProcessId != 0) {
      if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status->dwProcessId)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
      }
    }
    DeleteService(service_);
    CloseServiceHandle(service_);
  }
  if (manager_ != nullptr) CloseServiceHandle(manager_);
}

DWORD TestService::Start() { return StartServiceW(service_, 0, nullptr) ? 0 : GetLastError(); }

DWORD TestService::Stop() {
  SERVICE_STATUS status{};
  return ControlService(service_, SERVICE_CONTROL_STOP, &status) ? 0 : GetLastError();
}

}  // namespace testsupport
