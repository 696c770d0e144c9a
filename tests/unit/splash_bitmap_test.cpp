// BMP splash pictures: those of the common kind are read by the system's
// bitmap loader, with the same size and pixels as through the picture decoder
// and without loading it; the others still go through the decoder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "splash/splash_picture.h"
#include "splash/splash_rules.h"
#include "tests/support/test_files.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Little(Bytes& b, std::uint32_t v, int count) {
  for (int i = 0; i < count; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A BMP whose every pixel differs from its neighbours: `bits` 24 (direct) or
// 8 (a palette of 256 colours); `topDown` stores a negative height.
Bytes Bmp(int width, int height, int bits, bool topDown) {
  const int stride = ((width * bits + 31) / 32) * 4;
  const int paletteBytes = bits == 8 ? 256 * 4 : 0;
  const std::uint32_t offset = 14 + 40 + paletteBytes;
  Bytes b{'B', 'M'};
  Little(b, offset + stride * height, 4);
  Little(b, 0, 4);
  Little(b, offset, 4);
  Little(b, 40, 4);
  Little(b, width, 4);
  Little(b, topDown ? 0u - height : height, 4);
  Little(b, 1, 2);
  Little(b, bits, 2);
  for (int i = 0; i < 6; ++i) Little(b, 0, 4);  // BI_RGB, sizes, resolutions and colour counts
  for (int i = 0; i < paletteBytes / 4; ++i) Little(b, (i * 0x010203u * 7) & 0xFFFFFF, 4);
  for (int row = 0; row < height; ++row) {
    Bytes line(stride, 0);
    for (int x = 0; x < width; ++x) {
      if (bits == 8) {
        line[x] = static_cast<unsigned char>(row * 31 + x * 7);
      } else {
        line[x * 3] = static_cast<unsigned char>(x * 9);
        line[x * 3 + 1] = static_cast<unsigned char>(row * 13);
        line[x * 3 + 2] = static_cast<unsigned char>(x * row);
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

// What Draw puts on a 32-bit surface of the picture's size.
std::vector<std::uint32_t> Drawn(splash::SplashPicture& picture) {
  void* bits = nullptr;
  HBITMAP surface = splash::CreateBgraBitmap(picture.Width(), picture.Height(), &bits);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, surface);
  EXPECT_TRUE(picture.Draw(dc, 0, 0, picture.Width(), picture.Height()));
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> out(pixels, pixels + picture.Width() * picture.Height());
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(surface);
  for (auto& p : out) p &= 0xFFFFFF;  // the alpha byte is no colour
  return out;
}

TEST(SplashBitmapFile, SameSizeAndPixelsAsTheDecoderWithoutLoadingIt) {
  ASSERT_EQ(GetModuleHandleW(L"oleaut32.dll"), nullptr) << "the decoder's library is loaded before the test";
  const struct {
    const char* name;
    Bytes bytes;
    bool plain;  // read by the bitmap loader
  } cases[] = {
      {"24-bit", Bmp(37, 23, 24, false), true},
      {"8-bit with a palette", Bmp(30, 17, 8, false), true},
      {"24-bit, rows top-down", Bmp(37, 23, 24, true), false},
  };
  testsupport::TempFolder folder;
  std::vector<std::wstring> files;
  for (const auto& c : cases) {
    files.push_back(folder / (L"p" + std::to_wstring(files.size()) + L".bmp"));
    testsupport::WriteBinaryFile(files.back(), c.bytes);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(splash::IsPlainBitmap(cases[i].bytes.data(), cases[i].bytes.size()), cases[i].plain) << cases[i].name;
  }
  std::vector<std::vector<std::uint32_t>> fromFile(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!cases[i].plain) continue;
    splash::SplashPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(files[i].c_str())) << cases[i].name;
    fromFile[i] = Drawn(picture);
  }
  EXPECT_EQ(GetModuleHandleW(L"oleaut32.dll"), nullptr) << "a plain bitmap went through the picture decoder";

  for (std::size_t i = 0; i < files.size(); ++i) {
    splash::SplashPicture decoded;
    ASSERT_TRUE(decoded.LoadFromMemory(cases[i].bytes.data(), static_cast<DWORD>(cases[i].bytes.size())))
        << cases[i].name;
    splash::SplashPicture loaded;
    ASSERT_TRUE(loaded.LoadFromFile(files[i].c_str())) << cases[i].name;
    EXPECT_EQ(loaded.Width(), decoded.Width()) << cases[i].name;
    EXPECT_EQ(loaded.Height(), decoded.Height()) << cases[i].name;
    const auto decodedPixels = Drawn(decoded);
    EXPECT_EQ(cases[i].plain ? fromFile[i] : Drawn(loaded), decodedPixels) << cases[i].name;
  }
}

}  // namespace
