#include "splash/splash_picture.h"

#include <wincodec.h>

#include <cstring>
#include <new>

#include "common/com_ids.h"
#include "splash/ole_functions.h"
#include "splash/splash_rules.h"

namespace splash {

namespace {

constexpr int kHimetricPerInch = 2540;

// COM for the imaging component, on this thread for this scope only.
class ComScope {
 public:
  explicit ComScope(const OleFunctions& ole)
      : ole_(ole), ok_(SUCCEEDED(ole.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (ok_) ole_.coUninitialize();
  }

 private:
  const OleFunctions& ole_;
  bool ok_;
};

struct PixelsPerInch {
  int across, down;
};
PixelsPerInch ScreenPixelsPerInch() {
  win::WindowDc screen(nullptr);
  return {GetDeviceCaps(screen.get(), LOGPIXELSX), GetDeviceCaps(screen.get(), LOGPIXELSY)};
}

}  // namespace

HBITMAP CreateBgraBitmap(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

SplashPicture::~SplashPicture() { Release(); }

void SplashPicture::Release() {
  bitmap.reset();
  picture.reset();
  pixels.reset();
  himetricWidth = himetricHeight = 0;
  pixelWidth = pixelHeight = 0;
}

bool SplashPicture::LoadFromFile(const wchar_t* path) {
  Release();
  win::FileHandle file(
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  // A picture over 2 GB is no splash; nothing is read.
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF) return false;
  // The system's bitmap loader needs none of the COM libraries the picture
  // decoder loads before its first pixel: a plain bitmap goes there on its
  // header alone, and the decoder gets what the loader refuses.
  std::uint8_t header[64];
  DWORD read = 0;
  if (!ReadFile(file.get(), header, sizeof header, &read, nullptr)) return false;
  if (read > size.QuadPart) read = static_cast<DWORD>(size.QuadPart);  // grown since: its first size counts
  const DeclaredSize declared = ReadDeclaredSize(header, read);
  if (IsPlainBitmap(header, read) && SidesAcceptable(declared.width, declared.height) && LoadBitmapFile(path)) {
    return true;
  }
  Bytes buffer = AllocateBytes(static_cast<std::size_t>(size.QuadPart));
  if (!buffer) return false;
  std::memcpy(buffer.get(), header, read);
  DWORD rest = 0;
  if (read == sizeof header &&
      !ReadFile(file.get(), buffer.get() + read, static_cast<DWORD>(size.QuadPart) - read, &rest, nullptr)) {
    return false;
  }
  return read + rest != 0 && LoadFromMemory(buffer.get(), read + rest);
}

bool SplashPicture::LoadBitmapFile(const wchar_t* path) {
  bitmap.reset(static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap.get(), sizeof info, &info) == 0) {
    Release();
    return false;
  }
  // A bitmap the system loader makes has a positive height.
  pixelWidth = info.bmWidth;
  pixelHeight = info.bmHeight;
  return true;
}

bool SplashPicture::LoadFromMemory(const void* bytes, DWORD size) {
  Release();
  const OleFunctions* ole = LoadOleFunctions();
  if (ole == nullptr) return false;
  // Decoders allocate for the size a header declares, however few bytes
  // follow: a picture larger than a screen many times over is refused first.
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  const DeclaredSize declared = ReadDeclaredSize(data, size);
  if (declared.known && !SidesAcceptable(declared.width, declared.height)) return false;
  if (IsPng(data, size)) return LoadPng(*ole, bytes, size);

  win::GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!block) return false;
  void* target = GlobalLock(block.get());
  if (target == nullptr) return false;
  std::memcpy(target, bytes, size);
  GlobalUnlock(block.get());

  win::ComPtr<IStream> stream;
  // The stream owns the block from here on and frees it when released.
  if (FAILED(ole->createStreamOnHGlobal(block.get(), TRUE, stream.put()))) return false;
  block.release();
  IPicture* loaded = nullptr;
  if (FAILED(ole->oleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, win::ids::kPicture,
                                 reinterpret_cast<void**>(&loaded)))) {
    return false;  // what a failed call left in `loaded` is not trusted
  }
  *picture.put() = loaded;
  picture->get_Width(&himetricWidth);
  picture->get_Height(&himetricHeight);
  const PixelsPerInch ppi = ScreenPixelsPerInch();
  pixelWidth = MulDiv(ppi.across, himetricWidth, kHimetricPerInch);
  pixelHeight = MulDiv(ppi.down, himetricHeight, kHimetricPerInch);
  // Icons and metafiles are sized only by decoding; the same limit holds.
  if (!SidesAcceptable(static_cast<std::uint32_t>(pixelWidth), static_cast<std::uint32_t>(pixelHeight))) {
    Release();
    return false;
  }
  return true;
}

bool SplashPicture::LoadPng(const OleFunctions& ole, const void* bytes, DWORD size) {
  ComScope com(ole);
  win::ComPtr<IWICImagingFactory> factory;
  if (FAILED(ole.coCreateInstance(win::ids::kWicImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  win::ids::kWicImagingFactoryInterface, factory.put_void()))) {
    return false;
  }
  win::ComPtr<IWICStream> stream;
  win::ComPtr<IWICBitmapDecoder> decoder;
  win::ComPtr<IWICBitmapFrameDecode> frame;
  win::ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height)) ||
      FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), win::ids::kWicPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                   0.0, WICBitmapPaletteTypeCustom))) {
    return false;
  }
  // What the decoder reads may differ from the header read before it.
  if (!SidesAcceptable(width, height)) return false;
  const UINT pixelBytes = width * height * 4;
  Bytes decoded = AllocateBytes(pixelBytes);
  if (!decoded || FAILED(converter->CopyPixels(nullptr, width * 4, pixelBytes, decoded.get()))) return false;
  pixels = std::move(decoded);
  pixelWidth = static_cast<int>(width);
  pixelHeight = static_cast<int>(height);
  return true;
}

bool SplashPicture::IsLoaded() const { return bitmap || picture || HasPixels(); }

bool SplashPicture::HasTransparency() const {
  return HasPixels() && splash::HasTransparency(pixels.get(), PixelBytes() / 4);
}

bool SplashPicture::Draw(HDC deviceContext, int x, int y, int width, int height) {
  if (HasPixels()) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixelWidth;
    info.bmiHeader.biHeight = -pixelHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return StretchDIBits(deviceContext, x, y, width, height, 0, 0, pixelWidth, pixelHeight, pixels.get(), &info,
                         DIB_RGB_COLORS, SRCCOPY) != 0;
  }
  if (bitmap) {
    win::MemoryDc memory(CreateCompatibleDC(deviceContext));
    if (!memory) return false;
    win::SelectedObject selected(memory.get(), bitmap.get());
    return StretchBlt(deviceContext, x, y, width, height, memory.get(), 0, 0, pixelWidth, pixelHeight, SRCCOPY) != 0;
  }
  if (!picture) return false;
  win::Bitmap intermediate(CreateCompatibleBitmap(deviceContext, width, height));
  win::MemoryDc memory(CreateCompatibleDC(deviceContext));
  if (!intermediate || !memory) return false;
  win::SelectedObject selected(memory.get(), intermediate.get());
  const PixelsPerInch ppi = ScreenPixelsPerInch();
  // Rendered from the top edge downwards, so the picture stands upright.
  const LONG sourceWidth = MulDiv(kHimetricPerInch, pixelWidth, ppi.across);
  const LONG sourceHeight = MulDiv(kHimetricPerInch, pixelHeight, ppi.down);
  if (FAILED(picture->Render(memory.get(), 0, 0, width, height, 0, himetricHeight, sourceWidth, -sourceHeight,
                             nullptr))) {
    return false;
  }
  BitBlt(deviceContext, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
  return true;
}

}  // namespace splash
