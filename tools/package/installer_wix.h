// The WiX source of an application's Windows Installer package: a rule over
// plain data. `wixl` (Linux) or the WiX toolset (Windows) turns it into the
// .msi.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/package/installer_description.h"

namespace package {

struct InstalledFile {
  std::string source;  // as the WiX tools read it: relative to the .wxs's folder
  std::string target;  // below the install folder, "\" between folders: "lib\a.jar"
};

// The executable installed as a service: started at install when `start` is
// "auto", stopped before an upgrade or removal, removed with the product.
struct WixService {
  std::string name, displayName, description;
  std::string start;    // auto, demand or disabled
  std::string account;  // as the manager takes it: "NT AUTHORITY\LocalService"
};

struct WixProduct {
  std::string name;          // the product's name (Programs and Features, shortcuts)
  std::string manufacturer;
  std::string version;       // "1.2.0.0"
  std::string upgradeCode;   // a braced GUID
  std::string installFolder;
  std::string progIdBase;    // document types are "<progIdBase>.<extension>"
  bool perUser = false;
  bool startMenu = true;
  bool desktopShortcut = false;
  std::vector<InstalledFile> files;  // the first is the application's executable
  std::vector<DocumentType> documentTypes;  // taken: the application is their default program
  std::vector<std::string> offeredTypes;     // only offered in "Open with"
  std::optional<WixService> service;         // the executable (files[0]) as a service
};

// The .wxs text (UTF-8). Every build gets a new product code ("*"); a newer
// version replaces an older one, an older one is refused.
std::string ComposeWix(const WixProduct& product);

}  // namespace package
