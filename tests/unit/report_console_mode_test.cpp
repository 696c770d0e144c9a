// Whether the launcher is a console program, read from its image header.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "report/console_mode.h"

namespace {

// DOS header pointing at PE headers at 0x40 with the given optional-header
// magic and subsystem.
std::vector<std::uint8_t> Headers(std::uint16_t magic, std::uint16_t subsystem) {
  std::vector<std::uint8_t> image(0x40 + 24 + 240, 0);
  image[0] = 'M', image[1] = 'Z', image[0x3C] = 0x40;
  image[0x40] = 'P', image[0x41] = 'E';
  const std::size_t optional = 0x40 + 24;
  image[optional] = magic & 0xFF, image[optional + 1] = magic >> 8;
  image[optional + 68] = subsystem & 0xFF, image[optional + 69] = subsystem >> 8;
  return image;
}

TEST(ConsoleMode, SubsystemComesFromTheImageHeader) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> image;
    std::size_t size;  // readable bytes
    std::uint16_t subsystem;
  } cases[] = {
      {"console", Headers(0x20B, 3), 0x40 + 24 + 240, 3},
      {"windowed", Headers(0x20B, 2), 0x40 + 24 + 240, 2},
      {"32-bit headers", Headers(0x10B, 3), 0x40 + 24 + 240, 0},
      {"cut before the subsystem", Headers(0x20B, 3), 0x40 + 24 + 68, 0},
      {"no MZ", [] { auto b = Headers(0x20B, 3); b[0] = 'X'; return b; }(), 0x40 + 24 + 240, 0},
      {"PE headers beyond the bytes", [] { auto b = Headers(0x20B, 3); b[0x3D] = 0x70; return b; }(),
       0x40 + 24 + 240, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(report::ImageSubsystem(c.image.data(), c.size), c.subsystem) << c.what;
  EXPECT_EQ(report::ImageSubsystem(nullptr, 0), 0);
  // This test program is itself a console program.
  EXPECT_FALSE(report::WindowsAllowed());
  EXPECT_EQ(report::ExitCodeAfterUncaughtException(), 1);
}

}  // namespace
