// README and docs/ are the user's manual: every section and key the launcher
// reads, every section and key a package description accepts, and every
// section the manual itself points to ("see ...") must be in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/package/description_keys.h"

namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream file(std::string(VORN_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A key counts as documented when README writes it as a name: in backticks,
// in double quotes, or set in an example ("Key = value", "Key=value").
bool NamesKey(const std::string& readme, std::string_view key) {
  const std::string k(key);
  for (const std::string& form : {"`" + k + "`", "\"" + k + "\"", "\n" + k + " =", "\n" + k + "="}) {
    if (readme.find(form) != std::string::npos) return true;
  }
  return false;
}

// A section's name as a reference or a heading gives it: quotes dropped, a
// line break read as a space.
std::string SectionName(std::string text) {
  std::erase(text, '"');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

TEST(Readme, NamesEverySettingAndDescriptionKeyAndHasEverySectionItRefersTo) {
  // The manual: README, then every page of docs/ (in name order).
  std::string readme = ReadSource("README.md");
  ASSERT_FALSE(readme.empty());
  std::vector<std::string> pages;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(VORN_SOURCE_DIR) + "/docs")) {
    if (entry.path().extension() == ".md") pages.push_back("docs/" + entry.path().filename().string());
  }
  std::sort(pages.begin(), pages.end());
  for (const std::string& page : pages) readme += "\n" + ReadSource(page);
  struct Name {
    std::string what, text;  // text: what README must hold
  };
  std::vector<Name> names;

  // The launcher's sections ("[Application]") and keys, letter for letter as
  // config/settings_keys.h stores them: sections first, then "// [Section]" blocks.
  std::istringstream keys(ReadSource("config/settings_keys.h"));
  bool inSections = false;
  for (std::string line; std::getline(keys, line);) {
    if (line.starts_with("// Sections.")) inSections = true;
    if (line.starts_with("// [")) inSections = false;
    std::smatch literal;
    if (!std::regex_search(line, literal, std::regex("L\"([^\"]+)\""))) continue;
    if (inSections) {
      names.push_back({"launcher section", "[" + literal[1].str() + "]"});
    } else {
      names.push_back({"launcher key", literal[1]});
    }
  }
  ASSERT_GT(names.size(), 30u) << "config/settings_keys.h was not read";

  // The packaging tool's own table: its sections and keys, and the two
  // prefixes of settings sections.
  std::vector<std::string> sections;
  for (const auto& entry : package::DescriptionKeys()) {
    const std::string section = "[" + std::string(entry.section) + "]";
    if (std::find(sections.begin(), sections.end(), section) == sections.end()) sections.push_back(section);
    names.push_back({section + " key", std::string(entry.key)});
  }
  sections.push_back("[Embedded: ");
  sections.push_back("[Ini: ");
  for (const auto& section : sections) names.push_back({"description section", section});

  // Sections README refers to, such as (see "Exit codes"), and its headings.
  std::vector<std::string> headings;
  std::istringstream lines(readme);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#")) headings.push_back(SectionName(line.substr(line.find_first_not_of("# "))));
  }
  const std::regex reference("[Ss]ee\\s+\"([^\"]+)\"");  // a line may break after "see"
  for (std::sregex_iterator it(readme.begin(), readme.end(), reference), end; it != end; ++it) {
    names.push_back({"section referred to", "#" + SectionName((*it)[1])});
  }

  for (const Name& name : names) {
    if (name.text.starts_with("#")) {
      EXPECT_TRUE(std::find(headings.begin(), headings.end(), name.text.substr(1)) != headings.end())
          << "README refers to a section it lacks: \"" << name.text.substr(1) << "\"";
    } else if (name.text.starts_with("[")) {
      EXPECT_NE(readme.find(name.text), std::string::npos) << "README lacks the " << name.what << " " << name.text;
    } else {
      EXPECT_TRUE(NamesKey(readme, name.text)) << "README lacks the " << name.what << " \"" << name.text << "\"";
    }
  }
}

// The packaging tool checks settings against the launcher's catalogue, a
// second list of the keys config/settings_keys.h names: a key missing there
// would be refused in [Embedded: ...] and [Ini: ...] and left out of --help.
TEST(SettingsCatalogue, ListsEveryKeyTheLauncherReads) {
  std::istringstream keys(ReadSource("config/settings_keys.h"));
  std::string section;
  int checked = 0;
  for (std::string line; std::getline(keys, line);) {
    if (line.starts_with("// [")) section = line.substr(4, line.size() - 5);
    std::smatch literal;
    if (section.empty() || !std::regex_search(line, literal, std::regex("L\"([^\"]+)\""))) continue;
    const auto listed = package::SettingsKeysOf(section);
    EXPECT_NE(std::find(listed.begin(), listed.end(), literal[1].str()), listed.end())
        << "the settings catalogue lacks [" << section << "] \"" << literal[1] << "\"";
    ++checked;
  }
  EXPECT_GT(checked, 30);
}

}  // namespace
