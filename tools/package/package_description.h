// The package description: a small INI-style text that says how an
// application's executable is made from the launcher.
//
//   [Package]                  Icon, DPI Awareness, Upgrade Code, Console,
//                              Runtime (bundled_runtime.h)
//   [Version]                  File Version, Product Version, Product Name,
//                              File Description, Company Name, Copyright,
//                              Original File Name, Internal Name
//   [Embedded: <section>]      settings embedded in the executable
//   [Ini: <section>]           settings written to the .ini beside it
//   [Installer]                a Windows Installer package (installer_description.h)
//   [Signing]                  Certificate, Password Variable, Timestamp URL,
//                              Description, URL
//   [Service]                  the executable is a Windows service (service_description.h)
//
// Lines are "[section]", "key = value" (both trimmed), blank, or comments
// starting with ";" or "#". The text is UTF-8. Parsing does no I/O.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/package/installer_description.h"
#include "tools/package/manifest_dpi.h"
#include "tools/package/service_description.h"
#include "tools/package/version_info.h"

namespace package {

struct DescriptionEntry {
  std::string key;
  std::string value;
  int line = 0;
};

struct DescriptionSection {
  std::string name;
  int line = 0;
  std::vector<DescriptionEntry> entries;
};

struct VersionDescription {
  FourPartVersion fileVersion{};
  FourPartVersion productVersion{};
  // Resource string names ("FileVersion", ...) and values, in a fixed order;
  // "OriginalFilename" and "InternalName" only when given.
  std::vector<std::pair<std::string, std::string>> strings;
};

// [Signing]: the outputs signed with a certificate file (see signing.h).
struct SigningDescription {
  int line = 0;              // the section header's
  std::string certificate;   // as written: relative paths are the caller's to resolve
  int certificateLine = 0;
  std::string passwordVariable;  // empty: the file has no password
  int passwordLine = 0;
  std::string timestampUrl;      // empty: no timestamp
  std::string description;       // empty: the Product Name, else the output's base name
  std::string url;               // empty: none
};

// Whether the output is a console program: `No` a windowed one, `Yes` a
// console one, `Companion` a windowed one with a console copy beside it
// (the same name with ".com").
enum class ConsoleMode { No, Yes, Companion };

struct PackageDescription {
  std::string icon;  // as written: relative paths are the caller's to resolve
  int iconLine = 0;
  std::optional<DpiAwareness> dpiAwareness;  // none: the manifest is left as it is
  std::string upgradeCode;                   // empty: embedded settings readable without an .ini
  std::string runtime;  // as written, below the description's folder; empty: none is shipped
  int runtimeLine = 0;
  ConsoleMode console = ConsoleMode::No;
  std::optional<VersionDescription> version;
  std::vector<DescriptionSection> embedded;  // none: the input's embedded settings stay
  std::vector<DescriptionSection> ini;       // none: no .ini is written (unless an Upgrade Code needs one)
  std::optional<InstallerDescription> installer;  // none: no installer package
  std::optional<SigningDescription> signing;      // none: nothing is signed
  // The executable is a service: "Application Type=service" (and its stop
  // timeout) are added to the embedded settings; an installer installs it.
  std::optional<ServiceDescription> service;
};

struct DescriptionError {
  int line = 0;  // 1-based
  std::string message;
};

struct DescriptionResult {
  std::optional<PackageDescription> description;
  DescriptionError error;  // when there is no description
};

DescriptionResult ParsePackageDescription(std::string_view text);

}  // namespace package
