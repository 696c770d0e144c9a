// The few COM and OLE functions the splash picture needs, loaded from the
// system folder on first use: a launch without a splash never loads ole32 and
// oleaut32, which costs start-up time.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

namespace splash {

struct OleFunctions {
  decltype(&::CreateStreamOnHGlobal) createStreamOnHGlobal = nullptr;
  decltype(&::OleLoadPicture) oleLoadPicture = nullptr;
  decltype(&::CoInitializeEx) coInitializeEx = nullptr;
  decltype(&::CoUninitialize) coUninitialize = nullptr;
  decltype(&::CoCreateInstance) coCreateInstance = nullptr;
};

// The functions, or null when one of them cannot be had. The libraries stay
// loaded for the life of the process.
const OleFunctions* LoadOleFunctions();

}  // namespace splash
