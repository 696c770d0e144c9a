// The Java side of a single-instance hand-over: on a thread of its own, attach
// to the virtual machine, call the main class's static "secondaryMain" with a
// later start's arguments, and answer that start. Platform-neutral; the
// answer goes out through HandOverHost.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace jvm {

class HandOverHost {
 public:
  // Sends the waiting start its exit code.
  virtual void Answer(jint code) = 0;

 protected:
  // Never deleted through this interface: no virtual destructor to carry.
  ~HandOverHost() = default;
};

// Attaches the calling thread to `vm`, finds `mainClass` (8-bit, slashes) and
// its "secondaryMain": the form returning nothing is answered with 0 before it
// runs, the form returning an int with its result after it returns. Without
// either form nothing is answered. A pending exception is described; the
// thread detaches unless `stayAttached`. True when the method was called.
bool CallSecondaryMain(JavaVM* vm, const std::string& mainClass, const std::vector<std::wstring>& arguments,
                       bool stayAttached, HandOverHost& host);

}  // namespace jvm
