#include "tools/package/description_keys.h"

#include <algorithm>

#include "config/settings_catalogue.h"

namespace package {
namespace {

constexpr DescriptionKey kKeys[] = {
    {"Package", "Icon",
     "the path of an .ico file, or of a square PNG (16 to 4096 pixels; Linux tool only), relative to the description",
     "the launcher's icon"},
    {"Package", "DPI Awareness", "unchanged, none, system or per-monitor", "unchanged"},
    {"Package", "Upgrade Code", "a GUID such as {0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}: keys the embedded settings",
     "none: embedded settings readable without the .ini"},
    {"Package", "Console", "no, yes or companion (a windowed program with a console copy named .com)", "no"},
    {"Package", "Runtime",
     "a Windows Java runtime folder below the description's folder (jlink --output): checked as the launcher takes "
     "it, installed by [Installer] as runtime\\ beside the executable",
     "none: the launcher searches the machine"},
    {"Version", "File Version", "four numbers of 0 to 65535 such as 1.2.0.0", "required in [Version]"},
    {"Version", "Product Version",
     "four numbers of 0 to 65535; with [Installer] the first two at most 255 and the fourth 0", "File Version"},
    {"Version", "Product Name", "text (at most 1024 bytes; with [Installer] at most 128 ASCII characters, no $)",
     "none"},
    {"Version", "Company Name", "text (at most 1024 bytes; with [Installer] at most 128 ASCII characters, no $)",
     "none"},
    {"Version", "File Description", "text (at most 1024 bytes)", "none"},
    {"Version", "Copyright", "text (at most 1024 bytes)", "none"},
    {"Version", "Original File Name", "text (at most 1024 bytes)", "the output's file name, such as MyApp.exe"},
    {"Version", "Internal Name", "text (at most 1024 bytes)", "the output's file name without its extension, such as MyApp"},
    {"Installer", "File", "a file name in the output's folder", "<output name>-<Product Version>.msi"},
    {"Installer", "Install Folder", "a folder name", "Product Name, else the output's name"},
    {"Installer", "Scope", "machine (all users) or user (no elevation)", "machine"},
    {"Installer", "Files",
     "\";\"-separated files, folders and folder\\*.ext patterns below the description's folder, each optionally "
     "\"-> FOLDER\": the folder below the install folder it goes into (build/libs/*.jar -> lib)",
     "none"},
    {"Installer", "Start Menu", "yes or no: a Start menu shortcut", "yes"},
    {"Installer", "Desktop Shortcut", "yes or no: a desktop shortcut", "no"},
    {"Installer", "File Types",
     "\";\"-separated \".ext = Description\": types of the application's own, whose default program it becomes",
     "none"},
    {"Installer", "Open With", "\";\"-separated \".ext\": types offered in \"Open with\"; their default program stays",
     "none"},
    {"Signing", "Certificate", "a .pfx or .p12 file (certificate and private key), relative to the description",
     "required in [Signing]"},
    {"Signing", "Password Variable", "the name of an environment variable that holds the certificate's password",
     "none: the certificate file has no password"},
    {"Signing", "Timestamp URL", "the http:// or https:// address of an RFC 3161 timestamp server",
     "none: the signatures carry no timestamp"},
    {"Signing", "Description", "text: the program's name in the signature", "Product Name, else the output's base name"},
    {"Signing", "URL", "an http:// or https:// address shown in the signature", "none"},
    {"Service", "Name", "the service's key name: at most 256 characters, no \\ or /", "required in [Service]"},
    {"Service", "Display Name", "text the service list shows", "Product Name, else the Name"},
    {"Service", "Description", "text the service list shows", "none"},
    {"Service", "Start", "auto, demand or disabled", "auto"},
    {"Service", "Account", "LocalService, NetworkService or LocalSystem", "LocalService"},
    {"Service", "Stop Timeout", "seconds from 0 to 86400, written as \"Service Stop Timeout\"", "30"},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string Lowered(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The catalogue's names are ASCII.
std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

}  // namespace

std::span<const DescriptionKey> DescriptionKeys() { return kKeys; }

std::vector<std::string_view> KeysOf(std::string_view section) {
  std::vector<std::string_view> keys;
  for (const auto& k : kKeys) {
    if (k.section == section) keys.push_back(k.key);
  }
  return keys;
}

std::vector<std::string> SettingsSections(bool layered) {
  std::vector<std::string> sections;
  for (const auto& k : config::kCatalogueKeys) {
    std::string name = Narrow(k.section);
    if (layered && !k.layered) continue;
    if (std::find(sections.begin(), sections.end(), name) == sections.end()) sections.push_back(name);
  }
  return sections;
}

std::vector<std::string> SettingsKeysOf(std::string_view section) {
  std::vector<std::string> keys;
  for (const auto& k : config::kCatalogueKeys) {
    if (Narrow(k.section) == section) keys.push_back(Narrow(k.key));
  }
  return keys;
}

std::string_view Nearest(std::string_view word, const std::vector<std::string_view>& candidates) {
  std::string lowered = Lowered(word);
  std::string_view best;
  std::size_t bestDistance = 0;
  for (std::string_view candidate : candidates) {
    std::string other = Lowered(candidate);
    std::size_t d = Distance(lowered, other);
    bool near = d <= 2 + other.size() / 4 || (lowered.size() >= 3 && other.find(lowered) != std::string::npos);
    if (near && (best.empty() || d < bestDistance)) {
      best = candidate;
      bestDistance = d;
    }
  }
  return best;
}

std::string UnknownMessage(std::string_view what, std::string_view word, std::string_view where,
                           const std::vector<std::string_view>& accepted) {
  std::string message = "unknown " + std::string(what) + " \"" + std::string(word) + "\" in " + std::string(where);
  std::string_view nearest = Nearest(word, accepted);
  if (!nearest.empty()) message += " (nearest: \"" + std::string(nearest) + "\")";
  message += "; " + std::string(where) + " takes ";
  for (std::size_t i = 0; i < accepted.size(); ++i) message += (i == 0 ? "" : ", ") + std::string(accepted[i]);
  return message;
}

std::string DescriptionHelp() {
  std::string text =
      "usage: package-app <launcher.exe> <description> <output.exe> [--keep-wxs]\n"
      "       package-app --help | --version\n"
      "\n"
      "Makes <output.exe> (and the .ini beside it, and an installer package) from the launcher as the\n"
      "description says, signed with [Signing]. The description is UTF-8 text: \"[section]\" headers,\n"
      "\"key = value\" lines, and comments starting with ; or #. --keep-wxs keeps the installer's WiX\n"
      "source beside the package.\n"
      "Exit code 0 when done; 2 with one line \"<file>:<line>: <what is wrong>\", and nothing written.\n";
  std::string_view section;
  for (const auto& k : kKeys) {
    if (k.section != section) {
      section = k.section;
      text += "\n[" + std::string(section) + "]\n";
    }
    text += "  " + std::string(k.key) + " = " + std::string(k.values) + " (default: " + std::string(k.fallback) + ")\n";
  }
  text += "\n[Embedded: <section>]  settings embedded in the executable (names read exactly; not\n"
          "                       [Product Information] or [Display], which are read from the .ini only)\n"
          "[Ini: <section>]       settings written to the .ini beside it (names read in any letter case;\n"
          "                       \"<section>+\" extends the values of the embedded sections)\n"
          "  The sections and keys are the launcher's settings:\n";
  for (const std::string& name : SettingsSections()) {
    text += "  [" + name + "] ";
    bool first = true;
    for (const std::string& key : SettingsKeysOf(name)) {
      text += (first ? "" : ", ") + key;
      first = false;
    }
    text += "\n";
  }
  text += "\nExample:\n"
          "  [Package]\n"
          "  Icon = hello.ico\n"
          "  Upgrade Code = {0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}\n"
          "  [Version]\n"
          "  File Version = 1.2.0.0\n"
          "  Product Name = Hello\n"
          "  Company Name = Example Ltd\n"
          "  [Embedded: Java Runtime Environment]\n"
          "  Main Class = example.Hello\n"
          "  [Embedded: Class Path]\n"
          "  Class Path = lib\\*.jar\n"
          "  [Ini: Java Runtime Environment]\n"
          "  JRE Path = jre\n"
          "  [Installer]\n"
          "  Files = lib\\*.jar; jre\n"
          "  File Types = .hello = Hello document\n";
  return text;
}

}  // namespace package
