// Making an application's executable from the launcher: the rules, over
// bytes, without I/O.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/package/bytes.h"
#include "tools/package/icon_file.h"
#include "tools/package/package_description.h"

namespace package {

struct PackageOutput {
  Bytes executable;
  std::optional<std::u16string> ini;  // the .ini beside it, when one is written
  std::optional<Bytes> companion;     // the console copy (".com") beside it, when asked for
};

// What `description` asks for, applied to the launcher image `launcher`.
// `icons` are the images of the description's icon (empty when it names
// none); `outputFileName` is the default original and internal name. False
// with `error` when the input is not a 64-bit PE image or not the launcher.
bool BuildPackage(const Bytes& launcher, const PackageDescription& description, const std::vector<IconImage>& icons,
                  std::string_view outputFileName, PackageOutput& output, std::string& error);

// The embedded settings block (RCDATA 1) of `tree` replaced by `settings`
// enciphered with `upgradeCode`.
void PutEmbeddedSettings(ResourceTree& tree, const std::u16string& settings, const std::u16string& upgradeCode);

// Whether `tree` is the launcher's: its manifest's assembly name, its message
// table and its dialogs.
bool IsLauncher(const ResourceTree& tree);

}  // namespace package
