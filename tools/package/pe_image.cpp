#include "tools/package/pe_image.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace package {
namespace {

constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr std::size_t kSectionHeader = 40;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kCertificateDirectory = 4;

struct Section {
  std::size_t header = 0;  // offset of its header in the image
  std::string name;
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t rawPointer = 0;
  std::uint32_t rawSize = 0;
};

struct Layout {
  std::size_t fileHeader = 0;
  std::size_t optionalHeader = 0;
  std::size_t directories = 0;
  std::uint32_t directoryCount = 0;
  std::uint32_t fileAlignment = 0;
  std::uint32_t sectionAlignment = 0;
  std::vector<Section> sections;
  std::size_t resourceSection = 0;
  std::size_t endOfSections = 0;  // end of the last section's raw data

  std::size_t Directory(std::uint32_t index) const { return directories + 8 * index; }
};

bool Fail(std::string& error, const char* why) {
  error = why;
  return false;
}

bool PowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

bool ReadLayout(const Bytes& image, Layout& l, std::string& error) {
  if (!Fits(image, 0, 64) || image[0] != 'M' || image[1] != 'Z') return Fail(error, "not a PE image");
  std::size_t pe = Get32(image, 0x3C);
  if (!Fits(image, pe, 24) || std::memcmp(&image[pe], "PE\0\0", 4) != 0) return Fail(error, "not a PE image");
  l.fileHeader = pe + 4;
  // Either launcher image, x64 or ARM64; its machine is kept as it is.
  const std::uint16_t machine = Get16(image, l.fileHeader);
  if (machine != kMachineAmd64 && machine != kMachineArm64) return Fail(error, "not a 64-bit Windows executable");
  std::size_t sectionCount = Get16(image, l.fileHeader + 2);
  std::size_t optionalSize = Get16(image, l.fileHeader + 16);
  l.optionalHeader = l.fileHeader + 20;
  if (!Fits(image, l.optionalHeader, optionalSize) || optionalSize < 112 ||
      Get16(image, l.optionalHeader) != kPe32Plus) {
    return Fail(error, "not a 64-bit Windows executable");
  }
  l.sectionAlignment = Get32(image, l.optionalHeader + 32);
  l.fileAlignment = Get32(image, l.optionalHeader + 36);
  l.directoryCount = Get32(image, l.optionalHeader + 108);
  l.directories = l.optionalHeader + 112;
  if (!PowerOfTwo(l.fileAlignment) || !PowerOfTwo(l.sectionAlignment) || l.fileAlignment > 0x10000 ||
      l.sectionAlignment < l.fileAlignment || l.directoryCount <= kCertificateDirectory ||
      112 + 8 * std::size_t{l.directoryCount} > optionalSize) {
    return Fail(error, "damaged PE headers");
  }
  std::size_t table = l.optionalHeader + optionalSize;
  if (sectionCount == 0 || !Fits(image, table, sectionCount * kSectionHeader)) {
    return Fail(error, "damaged section table");
  }
  for (std::size_t i = 0; i < sectionCount; ++i) {
    Section s;
    s.header = table + i * kSectionHeader;
    for (std::size_t c = 0; c < 8 && image[s.header + c] != 0; ++c) s.name += static_cast<char>(image[s.header + c]);
    s.virtualSize = Get32(image, s.header + 8);
    s.virtualAddress = Get32(image, s.header + 12);
    s.rawSize = Get32(image, s.header + 16);
    s.rawPointer = Get32(image, s.header + 20);
    if (s.rawSize != 0 && !Fits(image, s.rawPointer, s.rawSize)) return Fail(error, "a section lies outside the file");
    if (!l.sections.empty() && s.virtualAddress <= l.sections.back().virtualAddress) {
      return Fail(error, "damaged section table");
    }
    if (s.rawSize != 0) l.endOfSections = std::max<std::size_t>(l.endOfSections, s.rawPointer + std::size_t{s.rawSize});
    l.sections.push_back(s);
  }
  std::uint32_t resourceRva = Get32(image, l.Directory(kResourceDirectory));
  auto found = std::find_if(l.sections.begin(), l.sections.end(),
                            [&](const Section& s) { return s.virtualAddress == resourceRva; });
  if (resourceRva == 0 || found == l.sections.end() || found->rawSize == 0) {
    return Fail(error, "the executable has no resource section");
  }
  l.resourceSection = static_cast<std::size_t>(found - l.sections.begin());
  return true;
}

Bytes SectionBytes(const Bytes& image, const Section& s) {
  return Bytes(image.begin() + s.rawPointer, image.begin() + s.rawPointer + s.rawSize);
}

}  // namespace

bool ReadImageResources(const Bytes& image, ResourceTree& tree, std::string& error) {
  Layout l;
  if (!ReadLayout(image, l, error)) return false;
  const Section& rsrc = l.sections[l.resourceSection];
  auto read = ResourceTree::Read(SectionBytes(image, rsrc), rsrc.virtualAddress);
  if (!read) return Fail(error, "damaged resource section");
  tree = std::move(*read);
  return true;
}

bool ReplaceImageResources(const Bytes& image, const ResourceTree& tree, Bytes& out, std::string& error) {
  Layout l;
  if (!ReadLayout(image, l, error)) return false;
  const Section rsrc = l.sections[l.resourceSection];
  std::size_t oldEnd = rsrc.rawPointer + std::size_t{rsrc.rawSize};
  // Only sections nobody addresses but through a data directory may move.
  for (std::size_t i = l.resourceSection + 1; i < l.sections.size(); ++i) {
    const Section& s = l.sections[i];
    if (s.name != ".reloc" || (s.rawSize != 0 && s.rawPointer < oldEnd)) {
      return Fail(error, "the resource section is not the last one but for \".reloc\"");
    }
  }

  Bytes resources = tree.Write(rsrc.virtualAddress);
  std::uint32_t newVirtualSize = static_cast<std::uint32_t>(resources.size());
  std::uint32_t newRawSize = AlignUp(newVirtualSize, l.fileAlignment);
  std::int64_t rawDelta = std::int64_t{newRawSize} - rsrc.rawSize;
  std::uint32_t newNextRva = rsrc.virtualAddress + AlignUp(newVirtualSize, l.sectionAlignment);
  std::int64_t rvaDelta = 0;
  if (l.resourceSection + 1 < l.sections.size()) {
    rvaDelta = std::int64_t{newNextRva} - l.sections[l.resourceSection + 1].virtualAddress;
  }

  // What follows the sections is kept, but for the signature's bytes: the
  // signature goes, wherever it lies after them.
  std::size_t signatureStart = image.size();
  std::size_t signatureEnd = image.size();
  std::size_t certificateOffset = Get32(image, l.Directory(kCertificateDirectory));
  std::size_t certificateSize = Get32(image, l.Directory(kCertificateDirectory) + 4);
  if (certificateSize != 0 && certificateOffset >= l.endOfSections && certificateOffset < image.size()) {
    signatureStart = certificateOffset;
    signatureEnd = std::min(image.size(), certificateOffset + certificateSize);
  }

  out.assign(image.begin(), image.begin() + rsrc.rawPointer);
  out.insert(out.end(), resources.begin(), resources.end());
  out.resize(rsrc.rawPointer + std::size_t{newRawSize}, 0);
  if (l.endOfSections > oldEnd) out.insert(out.end(), image.begin() + oldEnd, image.begin() + l.endOfSections);
  out.insert(out.end(), image.begin() + l.endOfSections, image.begin() + signatureStart);
  out.insert(out.end(), image.begin() + signatureEnd, image.end());

  Set32(out, rsrc.header + 8, newVirtualSize);
  Set32(out, rsrc.header + 16, newRawSize);
  std::uint32_t imageEnd = rsrc.virtualAddress + AlignUp(newVirtualSize, l.sectionAlignment);
  for (std::size_t i = l.resourceSection + 1; i < l.sections.size(); ++i) {
    const Section& s = l.sections[i];
    std::uint32_t movedRva = static_cast<std::uint32_t>(s.virtualAddress + rvaDelta);
    Set32(out, s.header + 12, movedRva);
    if (s.rawSize != 0) Set32(out, s.header + 20, static_cast<std::uint32_t>(s.rawPointer + rawDelta));
    for (std::uint32_t d = 0; d < l.directoryCount; ++d) {
      std::uint32_t rva = Get32(image, l.Directory(d));
      if (d != kCertificateDirectory && rva >= s.virtualAddress && rva - s.virtualAddress < s.virtualSize) {
        Set32(out, l.Directory(d), static_cast<std::uint32_t>(rva + rvaDelta));
      }
    }
    imageEnd = movedRva + AlignUp(s.virtualSize, l.sectionAlignment);
  }
  Set32(out, l.Directory(kResourceDirectory) + 4, newVirtualSize);
  Set32(out, l.Directory(kCertificateDirectory), 0);
  Set32(out, l.Directory(kCertificateDirectory) + 4, 0);
  std::uint32_t symbols = Get32(image, l.fileHeader + 8);
  if (symbols != 0 && symbols >= oldEnd) Set32(out, l.fileHeader + 8, static_cast<std::uint32_t>(symbols + rawDelta));
  std::size_t initialized = l.optionalHeader + 8;
  Set32(out, initialized, static_cast<std::uint32_t>(Get32(image, initialized) + rawDelta));
  Set32(out, l.optionalHeader + 56, imageEnd);  // SizeOfImage
  Set32(out, l.optionalHeader + 64, PeChecksum(out, l.optionalHeader + 64));
  return true;
}

bool SetSubsystem(Bytes& image, std::uint16_t subsystem, std::string& error) {
  Layout l;
  if (!ReadLayout(image, l, error)) return false;
  Set16(image, l.optionalHeader + 68, subsystem);
  Set32(image, l.optionalHeader + 64, PeChecksum(image, l.optionalHeader + 64));
  return true;
}

std::uint32_t PeChecksum(const Bytes& image, std::size_t checksumOffset) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < image.size(); i += 2) {
    if (i == checksumOffset || i == checksumOffset + 2) continue;
    std::uint32_t word = image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + image.size());
}

}  // namespace package
