// The [Service] section: its keys, the settings it adds to the executable,
// what it refuses, and the service in the installer's WiX text.
#include <gtest/gtest.h>

#include "tools/package/installer_wix.h"
#include "tools/package/package_description.h"

namespace {

using package::ParsePackageDescription;

const std::string kInstallerHead =
    "[Package]\nUpgrade Code = {0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}\n"
    "[Version]\nFile Version = 2.1.0.0\n";

// The embedded [Application] entries, "key=value;" each.
std::string EmbeddedApplication(const package::PackageDescription& d) {
  std::string text;
  for (const auto& s : d.embedded) {
    for (const auto& e : s.entries) {
      if (s.name == "Application") text += e.key + "=" + e.value + ";";
    }
  }
  return text;
}

TEST(ServiceDescription, ReadsEveryKeyAndMakesTheExecutableAService) {
  auto full = ParsePackageDescription("[Service]\nName = MySvc\nDisplay Name = My Service\nDescription = Serves\n"
                                      "Start = demand\nAccount = NetworkService\nStop Timeout = 12\n"
                                      "[Embedded: Application]\nSingle Instance = no\n");
  ASSERT_TRUE(full.description && full.description->service) << full.error.line << ": " << full.error.message;
  const auto& s = *full.description->service;
  EXPECT_EQ(s.name, "MySvc");
  EXPECT_EQ(s.displayName, "My Service");
  EXPECT_EQ(s.description, "Serves");
  EXPECT_EQ(s.start, "demand");
  EXPECT_EQ(s.account, "NetworkService");
  EXPECT_EQ(s.stopTimeout, 12u);
  EXPECT_EQ(EmbeddedApplication(*full.description),
            "Single Instance=no;Application Type=service;Service Stop Timeout=12;");

  auto defaults = ParsePackageDescription("[Service]\nName = Svc\n[Embedded: Application]\nApplication Type = service\n");
  ASSERT_TRUE(defaults.description && defaults.description->service) << defaults.error.message;
  EXPECT_EQ(defaults.description->service->start, "auto");
  EXPECT_EQ(defaults.description->service->account, "LocalService");
  EXPECT_FALSE(defaults.description->service->stopTimeout);
  EXPECT_EQ(EmbeddedApplication(*defaults.description), "Application Type=service;");
  EXPECT_EQ(package::ServiceAccountName("LocalService"), "NT AUTHORITY\\LocalService");
  EXPECT_EQ(package::ServiceAccountName("LocalSystem"), "LocalSystem");
}

TEST(ServiceDescription, BadDescriptionsNameTheirLine) {
  const struct {
    std::string text;
    int line;
    const char* says;
  } cases[] = {
      {"[Service]\nStart = auto\n", 1, "needs a \"Name\""},
      {"[Service]\nName = a\\b\n", 2, "without \\ or /"},
      {"[Service]\nName = " + std::string(257, 'n') + "\n", 2, "at most 256"},
      {"[Service]\nName = s\nStart = Auto\n", 3, "auto, demand or disabled"},
      {"[Service]\nName = s\nAccount = Administrator\n", 3, "LocalService, NetworkService or LocalSystem"},
      {"[Service]\nName = s\nStop Timeout = 86401\n", 3, "0 to 86400"},
      {"[Service]\nName = s\nStop Timeout = 1s\n", 3, "0 to 86400"},
      {"[Service]\nName = s\n[Service]\nName = t\n", 3, "appears twice"},
      {"[Service]\nName = s\n[Ini: Application]\nApplication Type = console\n", 4, "\"Application Type\" here"},
      {kInstallerHead + "[Service]\nName = s\n[Installer]\nScope = user\n", 7, "machine install"},
      {kInstallerHead + "[Service]\nName = s$x\n[Installer]\n", 5, "$"},
  };
  for (const auto& c : cases) {
    auto result = ParsePackageDescription(c.text);
    EXPECT_FALSE(result.description) << c.text;
    EXPECT_EQ(result.error.line, c.line) << c.text << " -> " << result.error.message;
    EXPECT_NE(result.error.message.find(c.says), std::string::npos) << result.error.message;
  }
}

TEST(ServiceDescription, InstallerInstallsStartsStopsAndRemovesTheService) {
  package::WixProduct p;
  p.name = "App";
  p.manufacturer = "Maker";
  p.version = "1.0.0.0";
  p.upgradeCode = "{0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}";
  p.installFolder = "App";
  p.progIdBase = "App";
  p.files = {{"App.exe", "App.exe"}, {"App.ini", "App.ini"}};
  p.service = package::WixService{"MySvc", "My <Service>", "", "auto", "NT AUTHORITY\\LocalService"};
  const std::string wix = package::ComposeWix(p);
  const std::string install =
      "<ServiceInstall Id=\"Service\" Name=\"MySvc\" DisplayName=\"My &lt;Service&gt;\" Type=\"ownProcess\" "
      "Start=\"auto\" ErrorControl=\"normal\" Account=\"NT AUTHORITY\\LocalService\" Vital=\"yes\"/>";
  const std::string control = "<ServiceControl Id=\"ServiceControl\" Name=\"MySvc\" Start=\"install\" Stop=\"both\" "
                              "Remove=\"uninstall\" Wait=\"yes\"/>";
  // Both in the executable's component, right after its file.
  const std::size_t file = wix.find("<File Id=\"F0\"");
  ASSERT_NE(file, std::string::npos) << wix;
  EXPECT_NE(wix.find(install, file), std::string::npos) << wix;
  EXPECT_NE(wix.find(control, file), std::string::npos) << wix;
  EXPECT_LT(wix.find(control, file), wix.find("</Component>", file)) << wix;

  p.service->start = "demand";
  EXPECT_EQ(package::ComposeWix(p).find("Start=\"install\""), std::string::npos);
  p.service.reset();
  EXPECT_EQ(package::ComposeWix(p).find("<Service"), std::string::npos);
}

}  // namespace
