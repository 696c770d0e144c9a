#include "tools/package/resource_tree.h"

#include <algorithm>
#include <map>

namespace package {
namespace {

constexpr std::uint32_t kHigh = 0x80000000u;
constexpr std::size_t kDirectory = 16;
constexpr std::size_t kEntry = 8;
constexpr std::size_t kDataEntry = 16;
// Far beyond any executable; they stop crafted directories that share their
// parts from taking endless time or memory.
constexpr std::size_t kMostResources = 65536;
constexpr std::size_t kMostEntries = 1 << 20;

class Reader {
 public:
  Reader(const Bytes& section, std::uint32_t rva) : s_(section), rva_(rva) {}

  bool Directory(std::size_t offset, int level, Resource& path, ResourceTree& out) {
    if (level > 2 || !Fits(s_, offset, kDirectory)) return false;
    std::size_t count = std::size_t{Get16(s_, offset + 12)} + Get16(s_, offset + 14);
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t entry = offset + kDirectory + i * kEntry;
      if (!Fits(s_, entry, kEntry) || ++entries_ > kMostEntries) return false;
      std::uint32_t name = Get32(s_, entry);
      std::uint32_t target = Get32(s_, entry + 4);
      ResourceId id;
      if (name & kHigh) {
        if (!Text(name & ~kHigh, id.text) || id.text.empty()) return false;
      } else {
        if (name > 0xFFFF) return false;
        id.number = static_cast<std::uint16_t>(name);
      }
      if (level == 0) path.type = id;
      if (level == 1) path.name = id;
      if (level == 2) {
        if (id.IsText()) return false;
        path.language = id.number;
      }
      bool isDirectory = (target & kHigh) != 0;
      if (isDirectory != (level < 2)) return false;
      if (isDirectory) {
        if (!Directory(target & ~kHigh, level + 1, path, out)) return false;
      } else if (!Data(target, path, out)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool Text(std::size_t offset, std::u16string& text) {
    if (!Fits(s_, offset, 2)) return false;
    std::size_t length = Get16(s_, offset);
    if (!Fits(s_, offset + 2, length * 2)) return false;
    for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(Get16(s_, offset + 2 + 2 * i)));
    return true;
  }

  bool Data(std::size_t offset, Resource& path, ResourceTree& out) {
    if (!Fits(s_, offset, kDataEntry) || out.resources.size() >= kMostResources) return false;
    std::uint32_t rva = Get32(s_, offset);
    std::uint32_t size = Get32(s_, offset + 4);
    // Resources do not overlap: together they fit in the section.
    if (rva < rva_ || !Fits(s_, rva - rva_, size) || size > s_.size() - dataBytes_) return false;
    dataBytes_ += size;
    path.codePage = Get32(s_, offset + 8);
    std::size_t start = rva - rva_;
    path.data.assign(s_.begin() + static_cast<std::ptrdiff_t>(start),
                     s_.begin() + static_cast<std::ptrdiff_t>(start + size));
    out.resources.push_back(path);
    return true;
  }

  const Bytes& s_;
  std::uint32_t rva_;
  std::size_t entries_ = 0;
  std::size_t dataBytes_ = 0;
};

// Directory order: named entries first, by upper-cased text, then numbers.
struct IdOrder {
  static std::u16string Upper(const std::u16string& s) {
    std::u16string u = s;
    for (auto& c : u) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return u;
  }
  bool operator()(const ResourceId& a, const ResourceId& b) const {
    if (a.IsText() != b.IsText()) return a.IsText();
    if (a.IsText()) return Upper(a.text) != Upper(b.text) ? Upper(a.text) < Upper(b.text) : a.text < b.text;
    return a.number < b.number;
  }
};

using NameGroups = std::map<ResourceId, std::map<std::uint16_t, const Resource*>, IdOrder>;
using TypeGroups = std::map<ResourceId, NameGroups, IdOrder>;

std::size_t DirectorySize(std::size_t entries) { return kDirectory + entries * kEntry; }

void PutDirectoryHeader(Bytes& out, std::size_t at, std::size_t named, std::size_t numbered) {
  Set16(out, at + 12, static_cast<std::uint32_t>(named));
  Set16(out, at + 14, static_cast<std::uint32_t>(numbered));
}

template <typename Map>
std::size_t CountNamed(const Map& m) {
  return static_cast<std::size_t>(std::count_if(m.begin(), m.end(), [](const auto& p) { return p.first.IsText(); }));
}

}  // namespace

std::optional<ResourceTree> ResourceTree::Read(const Bytes& section, std::uint32_t sectionRva) {
  ResourceTree tree;
  Resource path;
  Reader reader(section, sectionRva);
  if (!reader.Directory(0, 0, path, tree)) return std::nullopt;
  return tree;
}

Bytes ResourceTree::Write(std::uint32_t sectionRva) const {
  TypeGroups groups;
  for (const auto& r : resources) groups[r.type][r.name][r.language] = &r;  // a later duplicate replaces

  // Sizes of the three regions: directories, names, data entries.
  std::size_t directories = DirectorySize(groups.size());
  std::size_t leaves = 0;
  std::size_t textBytes = 0;
  auto countText = [&](const ResourceId& id) {
    if (id.IsText()) textBytes += 2 + 2 * id.text.size();
  };
  for (const auto& [type, names] : groups) {
    countText(type);
    directories += DirectorySize(names.size());
    for (const auto& [name, languages] : names) {
      countText(name);
      directories += DirectorySize(languages.size());
      leaves += languages.size();
    }
  }
  std::size_t textStart = directories;
  std::size_t entryStart = AlignUp(static_cast<std::uint32_t>(textStart + textBytes), 8);
  std::size_t dataStart = entryStart + leaves * kDataEntry;

  Bytes out(dataStart, 0);
  std::size_t nextDirectory = 0;
  std::size_t nextText = textStart;
  std::size_t nextEntry = entryStart;
  auto allocateDirectory = [&](std::size_t entries) {
    std::size_t at = nextDirectory;
    nextDirectory += DirectorySize(entries);
    return at;
  };
  auto putName = [&](std::size_t entryAt, const ResourceId& id) {
    if (!id.IsText()) return Set32(out, entryAt, id.number);
    Set32(out, entryAt, static_cast<std::uint32_t>(nextText) | kHigh);
    Set16(out, nextText, static_cast<std::uint32_t>(id.text.size()));
    for (std::size_t i = 0; i < id.text.size(); ++i) Set16(out, nextText + 2 + 2 * i, id.text[i]);
    nextText += 2 + 2 * id.text.size();
  };

  std::size_t root = allocateDirectory(groups.size());
  PutDirectoryHeader(out, root, CountNamed(groups), groups.size() - CountNamed(groups));
  std::size_t typeIndex = 0;
  for (const auto& [type, names] : groups) {
    std::size_t typeEntry = root + kDirectory + kEntry * typeIndex++;
    std::size_t typeDir = allocateDirectory(names.size());
    putName(typeEntry, type);
    Set32(out, typeEntry + 4, static_cast<std::uint32_t>(typeDir) | kHigh);
    PutDirectoryHeader(out, typeDir, CountNamed(names), names.size() - CountNamed(names));
    std::size_t nameIndex = 0;
    for (const auto& [name, languages] : names) {
      std::size_t nameEntry = typeDir + kDirectory + kEntry * nameIndex++;
      std::size_t nameDir = allocateDirectory(languages.size());
      putName(nameEntry, name);
      Set32(out, nameEntry + 4, static_cast<std::uint32_t>(nameDir) | kHigh);
      PutDirectoryHeader(out, nameDir, 0, languages.size());
      std::size_t languageIndex = 0;
      for (const auto& [language, resource] : languages) {
        std::size_t languageEntry = nameDir + kDirectory + kEntry * languageIndex++;
        Set32(out, languageEntry, language);
        Set32(out, languageEntry + 4, static_cast<std::uint32_t>(nextEntry));
        PadTo(out, 8);
        Set32(out, nextEntry, sectionRva + static_cast<std::uint32_t>(out.size()));
        Set32(out, nextEntry + 4, static_cast<std::uint32_t>(resource->data.size()));
        Set32(out, nextEntry + 8, resource->codePage);
        nextEntry += kDataEntry;
        out.insert(out.end(), resource->data.begin(), resource->data.end());
      }
    }
  }
  PadTo(out, 8);
  return out;
}

const Resource* ResourceTree::Find(std::uint16_t type, const ResourceId& name) const {
  for (const auto& r : resources) {
    if (r.type == ResourceId::Number(type) && r.name == name) return &r;
  }
  return nullptr;
}

bool ResourceTree::Has(std::uint16_t type) const {
  return std::any_of(resources.begin(), resources.end(),
                     [&](const Resource& r) { return r.type == ResourceId::Number(type); });
}

void ResourceTree::Remove(std::uint16_t type) {
  std::erase_if(resources, [&](const Resource& r) { return r.type == ResourceId::Number(type); });
}

void ResourceTree::Remove(std::uint16_t type, const ResourceId& name) {
  std::erase_if(resources, [&](const Resource& r) { return r.type == ResourceId::Number(type) && r.name == name; });
}

}  // namespace package
