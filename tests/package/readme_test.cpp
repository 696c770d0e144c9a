// README and docs/ are the user's manual: every section and key the launcher
// reads and every section and key a package description accepts must be in
// it, and every section the manual points to must be a heading of the page it
// points to: see "Heading" names one of its own page, a link
// ["Heading"](page.md#anchor) one of that page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
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

// A page's text without its fenced code blocks: a "# comment" line in a
// block is no heading, and what a block shows is no reference.
std::string WithoutCodeBlocks(const std::string& text) {
  std::string prose;
  bool inBlock = false;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("```")) {
      inBlock = !inBlock;
      continue;
    }
    if (!inBlock) prose += line + "\n";
  }
  return prose;
}

std::vector<std::string> Headings(const std::string& page) {
  std::vector<std::string> headings;
  std::istringstream lines(WithoutCodeBlocks(page));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#")) headings.push_back(SectionName(line.substr(line.find_first_not_of("# "))));
  }
  return headings;
}

// The anchor a heading gets, as GitHub makes it: lower case, spaces become
// hyphens, punctuation but '-' and '_' dropped.
std::string Anchor(const std::string& heading) {
  std::string anchor;
  for (char c : heading) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '-' || c == '_' || u >= 0x80) {
      anchor += static_cast<char>(std::tolower(u));
    } else if (c == ' ') {
      anchor += '-';
    }
  }
  return anchor;
}

// "docs/settings.md" and "../README.md" seen from "docs/x.md" give
// "docs/docs/settings.md" and "README.md": the page a link leads to.
std::string Resolve(const std::string& from, const std::string& target) {
  return std::filesystem::path(from).parent_path().append(target).lexically_normal().generic_string();
}

// Every reference of the manual (page name -> text) that names no heading of
// the page it points to, each as "page: reference: why".
std::vector<std::string> BrokenReferences(const std::map<std::string, std::string>& manual) {
  std::vector<std::string> broken;
  for (const auto& [page, text] : manual) {
    const std::string prose = WithoutCodeBlocks(text);
    const auto has = [](const std::vector<std::string>& list, const std::string& name) {
      return std::find(list.begin(), list.end(), name) != list.end();
    };
    // see "Heading": a heading of this page (a line may break after "see").
    const std::regex plain("[Ss]ee\\s+\"([^\"]+)\"");
    for (std::sregex_iterator it(prose.begin(), prose.end(), plain), end; it != end; ++it) {
      const std::string name = SectionName((*it)[1]);
      if (!has(Headings(text), name)) broken.push_back(page + ": see \"" + name + "\": no such heading on this page");
    }
    // [text](page.md#anchor), [text](page.md), [text](#anchor): the page is
    // one of the manual's and the anchor one of its headings'; a quoted text
    // is that heading's name (the page's title when there is no anchor).
    const std::regex link("\\[(\"[^\"]*\"|[^\\]\"]*)\\]\\(([^)#\\s]*)(#[^)\\s]*)?\\)");
    for (std::sregex_iterator it(prose.begin(), prose.end(), link), end; it != end; ++it) {
      const std::string shown = SectionName((*it)[0]);
      const std::string file = (*it)[2], anchor = (*it)[3].matched ? (*it)[3].str().substr(1) : "";
      if (file.find("://") != std::string::npos) continue;
      const std::string target = file.empty() ? page : Resolve(page, file);
      const auto found = manual.find(target);
      if (found == manual.end()) {
        broken.push_back(page + ": " + shown + ": no page " + target + " in the manual");
        continue;
      }
      const std::vector<std::string> headings = Headings(found->second);
      std::string heading;
      if (anchor.empty()) {
        if (!headings.empty()) heading = headings.front();
      } else {
        for (const std::string& h : headings) {
          if (Anchor(h) == anchor) heading = h;
        }
        if (heading.empty()) {
          broken.push_back(page + ": " + shown + ": no heading of " + target + " has the anchor #" + anchor);
          continue;
        }
      }
      const std::string text1 = (*it)[1];
      if (text1.starts_with("\"") && SectionName(text1) != heading) {
        broken.push_back(page + ": " + shown + ": " + target + (anchor.empty() ? "'s title" : "#" + anchor) +
                         " is \"" + heading + "\"");
      }
    }
  }
  return broken;
}

// The manual: README.md and every page of docs/, by their paths.
std::map<std::string, std::string> Manual() {
  std::map<std::string, std::string> manual{{"README.md", ReadSource("README.md")}};
  for (const auto& entry : std::filesystem::directory_iterator(std::string(VORN_SOURCE_DIR) + "/docs")) {
    if (entry.path().extension() == ".md") {
      const std::string page = "docs/" + entry.path().filename().string();
      manual[page] = ReadSource(page);
    }
  }
  return manual;
}

TEST(Readme, AnchorsAreTheHeadingsAsGitHubMakesThem) {
  const struct {
    const char* heading;
    const char* anchor;
  } cases[] = {
      {"Startup cache", "startup-cache"},
      {"[Class Path] (layered)", "class-path-layered"},
      {"[Java Runtime Environment] (layered, except JRE Path)", "java-runtime-environment-layered-except-jre-path"},
      {"The virtual machine's own words", "the-virtual-machines-own-words"},
      {"Per-user JRE Path", "per-user-jre-path"},
      {"Windows on ARM64", "windows-on-arm64"},
  };
  for (const auto& c : cases) EXPECT_EQ(Anchor(c.heading), c.anchor) << c.heading;
}

TEST(Readme, ABrokenReferenceIsFound) {
  const std::string settings = "# Configuring an application\n\n## Exit codes\n\n```\n# not a heading\n```\n";
  const struct {
    const char* readme;  // README.md's text beside docs/settings.md
    bool broken;
  } cases[] = {
      {"# Front\n\nsee \"Front\"\n", false},
      {"# Front\n\nsee\n\"Front\"\n", false},
      {"# Front\n\nsee \"Exit codes\"\n", true},  // a heading of another page, named as one of this page
      {"# Front\n\nsee [\"Exit codes\"](docs/settings.md#exit-codes)\n", false},
      {"# Front\n\nsee [\"Exit codes\"](docs/settings.md#exit-code)\n", true},
      {"# Front\n\nsee [\"Exit codes\"](docs/setting.md#exit-codes)\n", true},
      {"# Front\n\nsee [\"Limits\"](docs/settings.md#exit-codes)\n", true},
      {"# Front\n\nsee [\"Configuring an application\"](docs/settings.md)\n", false},
      {"# Front\n\nsee [\"Exit codes\"](docs/settings.md)\n", true},  // the page's title is another
      {"# Front\n\n[the settings](docs/settings.md), [here](#front)\n", false},
      {"# Front\n\n[there](#back)\n", true},
      {"# Front\n\n[comment](docs/settings.md#not-a-heading)\n", true},
      {"# Front\n\n```\nsee \"Nowhere\"\n```\n", false},  // what a code block shows
  };
  for (const auto& c : cases) {
    const auto broken = BrokenReferences({{"README.md", c.readme}, {"docs/settings.md", settings}});
    EXPECT_EQ(!broken.empty(), c.broken) << c.readme << (broken.empty() ? "" : broken.front());
  }
  // From a page of docs/, README is one folder up.
  EXPECT_TRUE(BrokenReferences({{"README.md", "# Front\n"},
                                {"docs/settings.md", "# Configuring an application\n[back](../README.md#front)\n"}})
                  .empty());
}

TEST(Readme, EveryReferenceNamesAHeadingOfThePageItPointsTo) {
  const auto manual = Manual();
  ASSERT_GT(manual.size(), 10u) << "README.md and docs/ were not read";
  for (const std::string& broken : BrokenReferences(manual)) ADD_FAILURE() << broken;
}

TEST(Readme, NamesEverySettingAndDescriptionKey) {
  // The manual: README, then every page of docs/ (in name order).
  std::string readme;
  for (const auto& [page, text] : Manual()) readme += text + "\n";
  ASSERT_FALSE(readme.empty());
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

  for (const Name& name : names) {
    if (name.text.starts_with("[")) {
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
