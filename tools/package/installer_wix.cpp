#include "tools/package/installer_wix.h"

#include <map>
#include <memory>

namespace package {
namespace {

std::string Xml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

// Text for a Windows Installer formatted field (registry keys and values):
// brackets and braces stand for themselves.
std::string Formatted(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') {
      out += "[\\";
      out += c;
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

// The name without the characters a file name cannot hold (for shortcuts).
std::string ShortcutName(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x20 && std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos) out += c;
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  return out.empty() ? "Application" : out;
}

struct Folder {
  std::string name;
  std::string id;
  std::vector<std::size_t> files;
  std::vector<std::unique_ptr<Folder>> children;  // in the order first named
  std::map<std::string, Folder*> byName;          // so that many folders take no quadratic time
};

Folder* Child(Folder& parent, const std::string& name, int& nextId) {
  auto [known, added] = parent.byName.emplace(name, nullptr);
  if (!added) return known->second;
  parent.children.push_back(std::make_unique<Folder>(Folder{name, "D" + std::to_string(nextId++), {}, {}, {}}));
  known->second = parent.children.back().get();
  return known->second;
}

std::string LastPart(const std::string& target) { return target.substr(target.rfind('\\') + 1); }

class Writer {
 public:
  explicit Writer(const WixProduct& p) : p_(p), root_(p.perUser ? "HKCU" : "HKLM") {}

  std::string Compose() {
    Folder install{p_.installFolder, "INSTALLFOLDER", {}, {}, {}};
    int nextId = 1;
    for (std::size_t i = 0; i < p_.files.size(); ++i) {
      Folder* folder = &install;
      const std::string& target = p_.files[i].target;
      for (std::size_t start = 0, end; (end = target.find('\\', start)) != std::string::npos; start = end + 1) {
        folder = Child(*folder, target.substr(start, end - start), nextId);
      }
      folder->files.push_back(i);
    }
    Line(0, "<?xml version=\"1.0\" encoding=\"utf-8\"?>");
    Line(0, "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">");
    Line(1, "<Product Id=\"*\" Name=\"" + Xml(p_.name) + "\" Language=\"1033\" Codepage=\"65001\" Version=\"" +
                Xml(p_.version) + "\" Manufacturer=\"" + Xml(p_.manufacturer) + "\" UpgradeCode=\"" +
                Xml(p_.upgradeCode) + "\">");
    Line(2, std::string("<Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"") +
                (p_.perUser ? "perUser" : "perMachine") + "\"/>");
    Line(2, "<MajorUpgrade DowngradeErrorMessage=\"A newer version of [ProductName] is already installed.\"/>");
    Line(2, "<MediaTemplate EmbedCab=\"yes\"/>");
    Line(2, "<Directory Id=\"TARGETDIR\" Name=\"SourceDir\">");
    if (p_.perUser) {
      Line(3, "<Directory Id=\"LocalAppDataFolder\">");
      Line(4, "<Directory Id=\"UserPrograms\" Name=\"Programs\">");
      Tree(install, 5);
      Line(4, "</Directory>");
    } else {
      Line(3, "<Directory Id=\"ProgramFiles64Folder\">");
      Tree(install, 4);
    }
    Line(3, "</Directory>");
    if (p_.startMenu) Shortcut("ProgramMenuFolder", "StartMenuShortcut", "Start Menu Shortcut");
    if (p_.desktopShortcut) Shortcut("DesktopFolder", "DesktopShortcut", "Desktop Shortcut");
    Line(2, "</Directory>");
    Line(2, "<Feature Id=\"Application\" Title=\"" + Xml(p_.name) + "\" Level=\"1\">");
    for (const auto& id : components_) Line(3, "<ComponentRef Id=\"" + id + "\"/>");
    Line(2, "</Feature>");
    Line(1, "</Product>");
    Line(0, "</Wix>");
    return std::move(text_);
  }

 private:
  void Line(int depth, const std::string& line) { text_ += std::string(static_cast<std::size_t>(depth) * 2, ' ') + line + "\n"; }

  std::string Component(const std::string& id) {
    components_.push_back(id);
    return "<Component Id=\"" + id + "\" Guid=\"*\" Win64=\"yes\">";
  }

  void Registry(int depth, const std::string& key, const std::string& value, bool keyPath) {
    Line(depth, "<RegistryValue Root=\"" + root_ + "\" Key=\"" + Xml(key) + "\" Type=\"string\" Value=\"" + Xml(value) +
                    "\"" + (keyPath ? " KeyPath=\"yes\"" : "") + "/>");
  }

  // An upgrade stops the old service first and leaves one, the new one.
  void Service(int depth, const WixService& s) {
    Line(depth, "<ServiceInstall Id=\"Service\" Name=\"" + Xml(s.name) + "\" DisplayName=\"" + Xml(s.displayName) +
                    "\"" + (s.description.empty() ? "" : " Description=\"" + Xml(s.description) + "\"") +
                    " Type=\"ownProcess\" Start=\"" + s.start + "\" ErrorControl=\"normal\" Account=\"" +
                    Xml(s.account) + "\" Vital=\"yes\"/>");
    Line(depth, "<ServiceControl Id=\"ServiceControl\" Name=\"" + Xml(s.name) + "\"" +
                    (s.start == "auto" ? " Start=\"install\"" : "") +
                    " Stop=\"both\" Remove=\"uninstall\" Wait=\"yes\"/>");
  }

  void Tree(const Folder& folder, int depth) {
    Line(depth, "<Directory Id=\"" + folder.id + "\" Name=\"" + Xml(folder.name) + "\">");
    for (std::size_t i : folder.files) {
      std::string n = std::to_string(i);
      Line(depth + 1, Component("C" + n));
      Line(depth + 2, "<File Id=\"F" + n + "\" Name=\"" + Xml(LastPart(p_.files[i].target)) + "\" Source=\"" +
                          Xml(p_.files[i].source) + "\" KeyPath=\"yes\"/>");
      if (i == 0 && p_.service) Service(depth + 2, *p_.service);
      Line(depth + 1, "</Component>");
    }
    if (folder.id == "INSTALLFOLDER" && (!p_.documentTypes.empty() || !p_.offeredTypes.empty())) DocumentTypes(depth + 1);
    for (const auto& child : folder.children) Tree(*child, depth + 1);
    Line(depth, "</Directory>");
  }

  // Each type's open command starts the installed executable with the
  // document. The application's own types name it as their default program;
  // every type lists it under "OpenWithProgids", a value of its own that
  // leaves the type's default (another program's) as it was, and uninstalling
  // removes no more than that value.
  void DocumentTypes(int depth) {
    Line(depth, Component("DocumentTypes"));
    bool first = true;
    for (const auto& type : p_.documentTypes) {
      Registry(depth + 1, "Software\\Classes\\" + type.extension, Formatted(p_.progIdBase + type.extension), first);
      ProgId(depth + 1, type.extension, type.description);
      first = false;
    }
    for (const auto& extension : p_.offeredTypes) {
      // A key path of its own: the type's default value is not the package's.
      if (first) {
        Line(depth + 1, "<RegistryValue Root=\"" + root_ + "\" Key=\"" + Xml("Software\\" + Formatted(ShortcutName(p_.name))) +
                            "\" Name=\"Document Types\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>");
        first = false;
      }
      ProgId(depth + 1, extension, p_.name);
    }
    Line(depth, "</Component>");
  }

  // The application's class for a type, and its place in the type's "Open with".
  void ProgId(int depth, std::string_view extension, std::string_view description) {
    std::string progId = Formatted(p_.progIdBase + std::string(extension));
    std::string classes = "Software\\Classes\\";
    Registry(depth, classes + progId, Formatted(description), false);
    Registry(depth, classes + progId + "\\DefaultIcon", "[#F0],0", false);
    Registry(depth, classes + progId + "\\shell\\open\\command", "\"[#F0]\" \"%1\"", false);
    Line(depth, "<RegistryValue Root=\"" + root_ + "\" Key=\"" + Xml(classes + std::string(extension)) +
                    "\\OpenWithProgids\" Name=\"" + Xml(progId) + "\" Type=\"string\" Value=\"\"/>");
  }

  // A shortcut needs a registry value of its own as the component's key path.
  void Shortcut(const std::string& folder, const std::string& id, const std::string& valueName) {
    Line(3, "<Directory Id=\"" + folder + "\">");
    Line(4, Component(id));
    Line(5, "<Shortcut Id=\"" + id + "\" Name=\"" + Xml(ShortcutName(p_.name)) +
                "\" Target=\"[#F0]\" WorkingDirectory=\"INSTALLFOLDER\"/>");
    Line(5, "<RegistryValue Root=\"" + root_ + "\" Key=\"" + Xml("Software\\" + Formatted(ShortcutName(p_.name))) +
                "\" Name=\"" + valueName + "\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>");
    Line(4, "</Component>");
    Line(3, "</Directory>");
  }

  const WixProduct& p_;
  std::string root_;
  std::string text_;
  std::vector<std::string> components_;
};

}  // namespace

std::string ComposeWix(const WixProduct& product) { return Writer(product).Compose(); }

}  // namespace package
