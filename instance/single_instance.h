// Single-instance mode: which launcher of an executable path is the primary,
// the primary's listener, the secondary's wait for its answer, and the paired
// product that runs a 32-bit runtime instead.
#pragma once

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

#include "common/win_handles.h"

namespace instance {

// What the primary's hand-over threads call "secondaryMain" with.
struct PrimaryMain {
  std::wstring mainClass;
  // The calling thread stays attached for good (an IBM VM Provider).
  bool stayAttached = false;
  // Recorded by MainStarted; read only once the main-started event is set.
  JavaVM* javaVm = nullptr;
};

// The instance state. Filled by SetUpSingleInstance; the primary's listener
// reads it until Close.
struct InstanceState {
  // Reads "Single Instance" of `settingsFile` and settles the role: the
  // primary makes the block and starts its listener, a secondary sends its
  // arguments. A service never uses the mode. False when the launch cannot go on.
  bool SetUpSingleInstance(const std::wstring& executablePath, const std::wstring& settingsFile,
                           const std::wstring& upgradeCode, bool isService, const std::vector<std::wstring>& arguments,
                           PrimaryMain primary);
  // A secondary's exit code: the primary's answer, or its exit code.
  int WaitForPrimary() const;
  // Main is about to run in `vm`: the hand-overs may call into it.
  void MainStarted(JavaVM* vm);
  // Once the virtual machine is gone: stops the hand-overs (none uses the VM
  // any more) and the listener, waits for the hand-over threads, and releases
  // the block and the events.
  void Close();

  bool singleInstance = false;
  bool isPrimaryInstance = false;
  win::Handle instanceMapping;
  win::MappedView instanceBlock;
  win::Handle listenerThread;
  win::Handle mainStartedEvent;
  // Set by the listener once it has copied a secondary's arguments.
  win::Handle handOverCopiedEvent;
  PrimaryMain primaryMain;
};

// Starts the paired product instead of a VM (the chosen runtime is a 32-bit
// one); its exit code with `returnPairExitCode`, else 0.
int StartPairedProduct(const std::wstring& pairProduct, bool returnPairExitCode);

}  // namespace instance
