// Every section and key the launcher reads, letter for letter as stored: the
// literals themselves, so that one used twice ("Class Path") is stored once.
#pragma once

namespace config::keys {

// Sections.
inline constexpr const wchar_t* kApplication = L"Application";
inline constexpr const wchar_t* kJavaRuntime = L"Java Runtime Environment";
inline constexpr const wchar_t* kClassPathSection = L"Class Path";
inline constexpr const wchar_t* kProductInformation = L"Product Information";
inline constexpr const wchar_t* kDisplay = L"Display";

// [Application]
inline constexpr const wchar_t* kApplicationType = L"Application Type";
inline constexpr const wchar_t* kOmitServiceName = L"Omit Service Name";
inline constexpr const wchar_t* kSingleInstance = L"Single Instance";
inline constexpr const wchar_t* kFailureCheck = L"Failure Check";
inline constexpr const wchar_t* kOverrideWorkingDir = L"Override WorkingDir";
inline constexpr const wchar_t* kPairProduct = L"Pair Product";
inline constexpr const wchar_t* kPairReturnCode = L"Pair Return Code";
inline constexpr const wchar_t* kEmbeddedJar = L"Embedded Jar";
inline constexpr const wchar_t* kOutputFile = L"Output File";
inline constexpr const wchar_t* kErrorFile = L"Error File";
inline constexpr const wchar_t* kCmd = L"Cmd";
inline constexpr const wchar_t* kServiceStopTimeout = L"Service Stop Timeout";
inline constexpr const wchar_t* kRestartCode = L"Restart Code";
inline constexpr const wchar_t* kUpdateFolder = L"Update Folder";

// [Java Runtime Environment]
inline constexpr const wchar_t* kMainClass = L"Main Class";
inline constexpr const wchar_t* kMainModule = L"Main Module";
inline constexpr const wchar_t* kJrePath = L"JRE Path";
inline constexpr const wchar_t* kMinimumVersion = L"Minimum Version";
inline constexpr const wchar_t* kMaximumVersion = L"Maximum Version";
inline constexpr const wchar_t* kPreferredVersions = L"Preferred versions";
inline constexpr const wchar_t* kJvmType = L"JVM Type";
inline constexpr const wchar_t* kJvmSource = L"JVM Source";
inline constexpr const wchar_t* kVmProvider = L"VM Provider";
inline constexpr const wchar_t* kSystemPath = L"System Path";
inline constexpr const wchar_t* kLibraryPath = L"Library Path";
inline constexpr const wchar_t* kVirtualMachineParameters = L"Virtual Machine Parameters";
inline constexpr const wchar_t* kSearchInstalledRuntimes = L"Search Installed Runtimes";
inline constexpr const wchar_t* kStartupCache = L"Startup Cache";
inline constexpr const wchar_t* kUserVmOptions = L"User VM Options";
inline constexpr const wchar_t* kDownloadUrl = L"Download URL";

// [Class Path]
inline constexpr const wchar_t* kClassPath = L"Class Path";
inline constexpr const wchar_t* kModulePath = L"Module Path";

// [Product Information]
inline constexpr const wchar_t* kProductName = L"Product Name";
inline constexpr const wchar_t* kProductCode = L"Product Code";
inline constexpr const wchar_t* kUpgradeCode = L"Upgrade Code";

// [Display]
inline constexpr const wchar_t* kSplashScreen = L"Splash Screen";
inline constexpr const wchar_t* kSplashScreenShadow = L"Splash Screen Shadow";
inline constexpr const wchar_t* kPreferNativeSplash = L"Preffer Native Splash Screen";

}  // namespace config::keys
