// The splash picture: decoded from a file, sized in screen pixels, drawn
// upright. A BMP file the system's bitmap loader reads is shown as that
// bitmap; other formats OleLoadPicture decodes go through it; PNG pictures are
// decoded by the Windows Imaging Component into premultiplied BGRA pixels.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "common/win_handles.h"

namespace splash {

struct OleFunctions;

// Picture bytes from the C heap: memory the machine cannot give is a null
// pointer (no splash), never the end of the launcher.
struct FreeBytes {
  void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
using Bytes = std::unique_ptr<std::uint8_t, FreeBytes>;
inline Bytes AllocateBytes(std::size_t size) { return Bytes(static_cast<std::uint8_t*>(std::malloc(size))); }

class SplashPicture {
 public:
  SplashPicture() = default;
  ~SplashPicture();
  SplashPicture(const SplashPicture&) = delete;
  SplashPicture& operator=(const SplashPicture&) = delete;

  bool LoadFromFile(const wchar_t* path);
  bool LoadFromMemory(const void* bytes, DWORD size);
  bool IsLoaded() const;
  int Width() const { return pixelWidth; }
  int Height() const { return pixelHeight; }
  bool Draw(HDC deviceContext, int x, int y, int width, int height);

  // Decoded by the imaging component (PNG): `Pixels` holds Width() x Height()
  // top-down premultiplied BGRA pixels.
  bool HasPixels() const { return pixels != nullptr; }
  const std::uint8_t* Pixels() const { return pixels.get(); }
  std::size_t PixelBytes() const { return static_cast<std::size_t>(pixelWidth) * pixelHeight * 4; }
  // Read by the system's bitmap loader: the bitmap, as it is to be shown,
  // handed over (the picture is then empty).
  bool HasBitmap() const { return static_cast<bool>(bitmap); }
  win::Bitmap TakeBitmap() { return std::move(bitmap); }
  // Some pixel is not fully opaque: the picture needs a layered window.
  bool HasTransparency() const;

 private:
  void Release();
  bool LoadPng(const OleFunctions& ole, const void* bytes, DWORD size);
  bool LoadBitmapFile(const wchar_t* path);

  win::Bitmap bitmap;
  win::ComPtr<IPicture> picture;
  Bytes pixels;
  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  int pixelWidth = 0;
  int pixelHeight = 0;
};

// A 32-bit top-down DIB section of the given size; `bits` receives its pixels.
HBITMAP CreateBgraBitmap(int width, int height, void** bits);

}  // namespace splash
