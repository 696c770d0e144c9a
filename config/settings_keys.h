// Every section and key the launcher reads, letter for letter as stored. The
// views end at the literal's own terminating zero.
#pragma once

#include <string_view>

namespace config::keys {

// Sections.
inline constexpr std::wstring_view kApplication = L"Application";
inline constexpr std::wstring_view kJavaRuntime = L"Java Runtime Environment";
inline constexpr std::wstring_view kClassPathSection = L"Class Path";
inline constexpr std::wstring_view kProductInformation = L"Product Information";
inline constexpr std::wstring_view kDisplay = L"Display";

// [Application]
inline constexpr std::wstring_view kApplicationType = L"Application Type";
inline constexpr std::wstring_view kOmitServiceName = L"Omit Service Name";
inline constexpr std::wstring_view kSingleInstance = L"Single Instance";
inline constexpr std::wstring_view kFailureCheck = L"Failure Check";
inline constexpr std::wstring_view kOverrideWorkingDir = L"Override WorkingDir";
inline constexpr std::wstring_view kPairProduct = L"Pair Product";
inline constexpr std::wstring_view kPairReturnCode = L"Pair Return Code";
inline constexpr std::wstring_view kEmbeddedJar = L"Embedded Jar";
inline constexpr std::wstring_view kOutputFile = L"Output File";
inline constexpr std::wstring_view kErrorFile = L"Error File";
inline constexpr std::wstring_view kCmd = L"Cmd";
inline constexpr std::wstring_view kServiceStopTimeout = L"Service Stop Timeout";
inline constexpr std::wstring_view kRestartCode = L"Restart Code";

// [Java Runtime Environment]
inline constexpr std::wstring_view kMainClass = L"Main Class";
inline constexpr std::wstring_view kMainModule = L"Main Module";
inline constexpr std::wstring_view kJrePath = L"JRE Path";
inline constexpr std::wstring_view kMinimumVersion = L"Minimum Version";
inline constexpr std::wstring_view kMaximumVersion = L"Maximum Version";
inline constexpr std::wstring_view kPreferredVersions = L"Preferred versions";
inline constexpr std::wstring_view kJvmType = L"JVM Type";
inline constexpr std::wstring_view kJvmSource = L"JVM Source";
inline constexpr std::wstring_view kVmProvider = L"VM Provider";
inline constexpr std::wstring_view kSystemPath = L"System Path";
inline constexpr std::wstring_view kLibraryPath = L"Library Path";
inline constexpr std::wstring_view kVirtualMachineParameters = L"Virtual Machine Parameters";
inline constexpr std::wstring_view kSearchInstalledRuntimes = L"Search Installed Runtimes";
inline constexpr std::wstring_view kStartupCache = L"Startup Cache";
inline constexpr std::wstring_view kUserVmOptions = L"User VM Options";
inline constexpr std::wstring_view kDownloadUrl = L"Download URL";

// [Class Path]
inline constexpr std::wstring_view kClassPath = L"Class Path";
inline constexpr std::wstring_view kModulePath = L"Module Path";

// [Product Information]
inline constexpr std::wstring_view kProductName = L"Product Name";
inline constexpr std::wstring_view kProductCode = L"Product Code";
inline constexpr std::wstring_view kUpgradeCode = L"Upgrade Code";

// [Display]
inline constexpr std::wstring_view kSplashScreen = L"Splash Screen";
inline constexpr std::wstring_view kSplashScreenShadow = L"Splash Screen Shadow";
inline constexpr std::wstring_view kPreferNativeSplash = L"Preffer Native Splash Screen";

}  // namespace config::keys
