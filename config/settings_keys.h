// Every section and key the launcher reads, letter for letter as stored.
#pragma once

namespace config::keys {

// Sections.
inline constexpr wchar_t kApplication[] = L"Application";
inline constexpr wchar_t kJavaRuntime[] = L"Java Runtime Environment";
inline constexpr wchar_t kClassPathSection[] = L"Class Path";
inline constexpr wchar_t kProductInformation[] = L"Product Information";
inline constexpr wchar_t kDisplay[] = L"Display";

// [Application]
inline constexpr wchar_t kApplicationType[] = L"Application Type";
inline constexpr wchar_t kOmitServiceName[] = L"Omit Service Name";
inline constexpr wchar_t kSingleInstance[] = L"Single Instance";
inline constexpr wchar_t kFailureCheck[] = L"Failure Check";
inline constexpr wchar_t kOverrideWorkingDir[] = L"Override WorkingDir";
inline constexpr wchar_t kPairProduct[] = L"Pair Product";
inline constexpr wchar_t kPairReturnCode[] = L"Pair Return Code";
inline constexpr wchar_t kEmbeddedJar[] = L"Embedded Jar";
inline constexpr wchar_t kOutputFile[] = L"Output File";
inline constexpr wchar_t kErrorFile[] = L"Error File";
inline constexpr wchar_t kCmd[] = L"Cmd";

// [Java Runtime Environment]
inline constexpr wchar_t kMainClass[] = L"Main Class";
inline constexpr wchar_t kMainModule[] = L"Main Module";
inline constexpr wchar_t kJrePath[] = L"JRE Path";
inline constexpr wchar_t kMinimumVersion[] = L"Minimum Version";
inline constexpr wchar_t kMaximumVersion[] = L"Maximum Version";
inline constexpr wchar_t kPreferredVersions[] = L"Preferred versions";
inline constexpr wchar_t kJvmType[] = L"JVM Type";
inline constexpr wchar_t kJvmSource[] = L"JVM Source";
inline constexpr wchar_t kVmProvider[] = L"VM Provider";
inline constexpr wchar_t kSystemPath[] = L"System Path";
inline constexpr wchar_t kLibraryPath[] = L"Library Path";
inline constexpr wchar_t kVirtualMachineParameters[] = L"Virtual Machine Parameters";
inline constexpr wchar_t kSearchInstalledRuntimes[] = L"Search Installed Runtimes";
inline constexpr wchar_t kStartupCache[] = L"Startup Cache";
inline constexpr wchar_t kUserVmOptions[] = L"User VM Options";

// [Class Path]
inline constexpr wchar_t kClassPath[] = L"Class Path";
inline constexpr wchar_t kModulePath[] = L"Module Path";

// [Product Information]
inline constexpr wchar_t kProductName[] = L"Product Name";
inline constexpr wchar_t kProductCode[] = L"Product Code";
inline constexpr wchar_t kUpgradeCode[] = L"Upgrade Code";

// [Display]
inline constexpr wchar_t kSplashScreen[] = L"Splash Screen";
inline constexpr wchar_t kSplashScreenShadow[] = L"Splash Screen Shadow";
inline constexpr wchar_t kPreferNativeSplash[] = L"Preffer Native Splash Screen";

}  // namespace config::keys
