// An icon made from a PNG: its images and sizes, and the PNGs refused.
#include <gtest/gtest.h>
#include <png.h>

#include "tools/package/png_icon.h"

namespace {

using package::Bytes;

// A `width` x `height` PNG: opaque red with a transparent left half.
Bytes MakePng(int width, int height) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = 255, p[3] = x < width / 2 ? 0 : 255;
    }
  }
  Bytes png;
  EXPECT_TRUE(package::EncodePng(rgba, width, height, png));
  return png;
}

TEST(PngIcon, ASquarePngMakesSixImagesThe256OneAPng) {
  std::vector<package::IconImage> images;
  std::string error;
  ASSERT_TRUE(package::MakeIconFromPng(MakePng(300, 300), images, error)) << error;
  ASSERT_EQ(images.size(), 6u);
  const int sizes[] = {16, 24, 32, 48, 64};
  for (std::size_t i = 0; i < 5; ++i) {
    const int size = sizes[i];
    const Bytes& dib = images[i].data;
    EXPECT_EQ(images[i].width, size);
    EXPECT_EQ(images[i].height, size);
    EXPECT_EQ(images[i].bitCount, 32);
    ASSERT_EQ(dib.size(), 40u + size * size * 4 + (size + 31) / 32 * 4 * size) << size;
    EXPECT_EQ(package::Get32(dib, 4), static_cast<std::uint32_t>(size));
    EXPECT_EQ(package::Get32(dib, 8), static_cast<std::uint32_t>(size * 2)) << "colour and mask";
    EXPECT_EQ(package::Get16(dib, 14), 32);
    // Rows bottom to top in BGRA: the right half red and opaque, the left
    // half transparent and set in the mask.
    const std::size_t right = 40 + static_cast<std::size_t>(size - 1) * 4;
    EXPECT_EQ((std::vector<int>{dib[right], dib[right + 1], dib[right + 2], dib[right + 3]}),
              (std::vector<int>{0, 0, 255, 255})) << size;
    EXPECT_EQ(dib[40 + 3], 0) << size;
    EXPECT_EQ(dib[40 + size * size * 4] & 0x80, 0x80) << size;
  }
  EXPECT_EQ(images[5].width, 0) << "256 is written as 0";
  ASSERT_TRUE(package::IsPngFile(images[5].data));
  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&read, images[5].data.data(), images[5].data.size()));
  EXPECT_EQ(read.width, 256u);
  EXPECT_EQ(read.height, 256u);
  png_image_free(&read);
}

TEST(PngIcon, APngThatIsNotSquareOrTooSmallOrDamagedIsRefusedWithItsSize) {
  const struct {
    Bytes png;
    std::string error;
  } cases[] = {
      {MakePng(300, 200), "is 300 x 200 pixels: an icon's PNG must be square (256 x 256 or larger recommended)"},
      {MakePng(12, 12),
       "is 12 x 12 pixels: an icon's PNG must be at least 16 x 16 pixels (256 x 256 or larger recommended)"},
      {MakePng(4097, 4097), "is 4097 x 4097 pixels: an icon's PNG may be at most 4096 x 4096 pixels"},
  };
  for (const auto& c : cases) {
    std::vector<package::IconImage> images;
    std::string error;
    EXPECT_FALSE(package::MakeIconFromPng(c.png, images, error));
    EXPECT_EQ(error, c.error);
  }
  Bytes cut = MakePng(32, 32);
  cut.resize(40);
  std::vector<package::IconImage> images;
  std::string error;
  EXPECT_FALSE(package::MakeIconFromPng(cut, images, error));
  EXPECT_TRUE(error.starts_with("is no readable PNG (libpng: ")) << error;
}

}  // namespace
