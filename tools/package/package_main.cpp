// package-app: makes an application's executable from the launcher.
//
//   package-app <launcher.exe> <description> <output.exe> [--keep-wxs]
//   package-app --help | --version
//
// The description (see package_description.h and the README) names the icon,
// the version information, the DPI awareness and the settings to embed; the
// .ini beside the output is written when it asks for one, and an installer
// package after them when it has an [Installer] section; with [Signing] the
// programs and then the package are signed (signing.h). Every error is one
// line naming the file (and the description's line) with exit code 2, and
// nothing is written then. No output may be one of the inputs.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "tools/package/bundled_runtime.h"
#include "tools/package/description_keys.h"
#include "tools/package/file_io.h"
#include "tools/package/installer_build.h"
#include "tools/package/packager.h"
#include "tools/package/png_icon.h"
#include "tools/package/signing.h"

namespace {

constexpr char kTool[] = "package-app";
constexpr char kVersion[] = "1.1.0";

int Package(const std::filesystem::path& input, const std::filesystem::path& descriptionPath,
            const std::filesystem::path& output, bool keepWxs) {
  using package::PathText;
  package::Bytes descriptionBytes;
  if (!package::ReadWholeFile(descriptionPath, descriptionBytes)) {
    return package::Report(kTool, PathText(descriptionPath) + ": cannot read the package description");
  }
  auto parsed = package::ParsePackageDescription(
      std::string_view(reinterpret_cast<const char*>(descriptionBytes.data()), descriptionBytes.size()));
  if (!parsed.description) {
    return package::Report(kTool, PathText(descriptionPath) + ":" + std::to_string(parsed.error.line) + ": " +
                                      parsed.error.message);
  }
  package::PackageDescription& d = *parsed.description;
  // Windows opens a device for such a name: the executable could be neither
  // copied nor started there.
  if (auto fault = package::NameFault(PathText(output.filename())); !fault.empty()) {
    return package::Report(kTool, PathText(output) + ": the output's name " + fault);
  }
  package::InstallerPlan installer;
  std::string installerError;
  // A launcher that is no image is named as such below.
  if (!package::TakeBundledRuntime(descriptionPath, input, d, installerError)) {
    return package::Report(kTool, installerError);
  }
  if (d.installer && !package::PlanInstaller(descriptionPath, output, d, keepWxs, installer, installerError)) {
    return package::Report(kTool, installerError);
  }

  std::vector<package::IconImage> icons;
  std::filesystem::path icon;
  if (!d.icon.empty()) {
    std::u8string iconText(d.icon.begin(), d.icon.end());
    icon = descriptionPath.parent_path() / std::filesystem::path(iconText);
    std::string where = PathText(descriptionPath) + ":" + std::to_string(d.iconLine) + ": ";
    package::Bytes iconBytes;
    if (!package::ReadWholeFile(icon, iconBytes)) {
      return package::Report(kTool, where + "cannot read the icon " + PathText(icon));
    }
    std::string error;
    const bool made = package::IsPngFile(iconBytes) ? package::MakeIconFromPng(iconBytes, icons, error)
                                                    : package::ParseIcoFile(iconBytes, icons, error);
    if (!made) {
      return package::Report(kTool, where + PathText(icon) + ": " + error);
    }
  }

  package::Bytes launcher;
  if (!package::ReadWholeFile(input, launcher)) {
    return package::Report(kTool, PathText(input) + ": cannot read the launcher");
  }
  package::PackageOutput made;
  std::string error;
  if (!package::BuildPackage(launcher, d, icons, PathText(output.filename()), made, error)) {
    return package::Report(kTool, PathText(input) + ": " + error);
  }

  std::vector<std::pair<std::filesystem::path, package::Bytes>> files{{output, made.executable}};
  if (made.ini) {
    package::Bytes ini;
    for (char16_t c : *made.ini) package::Put16(ini, c);
    files.emplace_back(std::filesystem::path(output).replace_extension(".ini"), std::move(ini));
  }
  if (made.companion) {
    std::string extension = PathText(output.extension());
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (extension == ".com") {
      return package::Report(kTool, PathText(output) + ": the console companion (.com) would replace the output");
    }
    files.emplace_back(std::filesystem::path(output).replace_extension(".com"), std::move(*made.companion));
  }
  // Writing over an input would lose it: the description would become the
  // executable, for example.
  std::filesystem::path certificate = d.signing ? package::CertificatePath(descriptionPath, *d.signing) : "";
  const std::pair<std::filesystem::path, std::string> inputs[] = {
      {input, PathText(input) + ": the launcher is also an output"},
      {descriptionPath, PathText(descriptionPath) + ": the package description is also an output"},
      {icon, PathText(descriptionPath) + ":" + std::to_string(d.iconLine) + ": the icon " + PathText(icon) +
                 " is also an output"},
      {certificate, PathText(descriptionPath) + ":" + std::to_string(d.signing ? d.signing->certificateLine : 0) +
                        ": the certificate " + PathText(certificate) + " is also an output"},
  };
  // Two outputs at one path: the later would replace the earlier (the
  // package "File = App.exe" the executable, for example).
  std::vector<std::pair<std::filesystem::path, std::string>> named{{output, "the executable"}};
  if (made.ini) named.emplace_back(files[1].first, "the .ini");
  if (made.companion) named.emplace_back(files.back().first, "the console companion (.com)");
  if (d.installer && !installer.wxs.empty()) named.emplace_back(installer.wxs, "the kept WiX source");
  if (d.installer) named.emplace_back(installer.msi, "the installer package (\"File\" in [Installer])");
  for (std::size_t i = 0; i < named.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (package::SameFile(named[i].first, named[j].first)) {
        return package::Report(kTool, PathText(named[i].first) + ": " + named[i].second + " would replace " +
                                          named[j].second + " (two outputs cannot be one file)");
      }
    }
  }
  std::vector<std::filesystem::path> outputs;
  for (const auto& file : named) outputs.push_back(file.first);
  for (const auto& file : outputs) {
    std::error_code ec;
    for (const auto& [path, message] : inputs) {
      if (!path.empty() && std::filesystem::equivalent(file, path, ec)) return package::Report(kTool, message);
    }
    for (const auto& path : installer.inputs) {
      if (std::filesystem::equivalent(file, path, ec)) {
        return package::Report(kTool, PathText(descriptionPath) + ":" + std::to_string(d.installer->filesLine) +
                                          ": \"Files\" lists " + PathText(path) + ", which is also an output");
      }
    }
  }
  // The programs are signed with every resource in place, before the
  // installer takes them in; the installer is signed after it is built.
  std::unique_ptr<package::Signer> signer;
  if (d.signing) {
    std::string productName = PathText(output.stem());
    if (d.version) {
      for (const auto& [name, value] : d.version->strings) {
        if (name == "ProductName") productName = value;
      }
    }
    signer = package::Signer::Prepare(descriptionPath, d, productName, error);
    if (!signer) return package::Report(kTool, error);
    for (auto& [path, bytes] : files) {
      if (path.extension() == ".ini") continue;
      if (!signer->Sign(PathText(path.filename()), bytes, error)) return package::Report(kTool, error);
    }
  }
  if (d.installer) return package::BuildInstaller(kTool, installer, files, signer.get());
  std::filesystem::path failed;
  if (!package::WriteFilesOrNone(files, failed)) {
    return package::Report(kTool, PathText(failed) + ": cannot write the output");
  }
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(package::DescriptionHelp().c_str(), stdout);
    return 0;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::printf("%s %s\n", kTool, kVersion);
    return 0;
  }
  bool keepWxs = arguments.size() == 4 && arguments[3] == "--keep-wxs";
  if (arguments.size() != 3 && !keepWxs) {
    return package::Report(kTool, "usage: package-app <launcher.exe> <description> <output.exe> [--keep-wxs] "
                                  "(--help: the description's keys)");
  }
#ifdef __cpp_exceptions
  // What cannot be had (memory, for one) is an error like the others, and
  // the stack unwinds: the private folders are removed on the way.
  try {
    return Package(arguments[0], arguments[1], arguments[2], keepWxs);
  } catch (const std::exception& e) {
    return package::Report(kTool, package::PathText(arguments[1]) + ": " + e.what());
  }
#else
  return Package(arguments[0], arguments[1], arguments[2], keepWxs);
#endif
}
