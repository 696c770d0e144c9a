#include "tools/package/png_icon.h"

#include <algorithm>
#include <cstring>

#ifndef _WIN32
#include <png.h>
#endif

namespace package {
namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

#ifndef _WIN32

// The weights of the source pixels that make each of `to` pixels from `from`:
// the share of each source pixel the target pixel's span covers.
struct Span {
  int first = 0;
  std::vector<double> weights;
};
std::vector<Span> Spans(int from, int to) {
  std::vector<Span> spans(static_cast<std::size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double start = i * scale, end = (i + 1) * scale;
    Span& span = spans[static_cast<std::size_t>(i)];
    span.first = static_cast<int>(start);
    for (int j = span.first; j < from && j < end; ++j) {
      const double covered = std::min<double>(end, j + 1) - std::max<double>(start, j);
      span.weights.push_back(covered / scale);
    }
  }
  return spans;
}

// `rgba` (size x size) resampled to `to` x `to`, through premultiplied alpha so
// that transparent pixels lend no colour to their neighbours.
std::vector<std::uint8_t> Resample(const std::vector<std::uint8_t>& rgba, int size, int to) {
  const auto spans = Spans(size, to);
  std::vector<double> source(rgba.size()), across(static_cast<std::size_t>(to) * size * 4);
  for (std::size_t p = 0; p < rgba.size(); p += 4) {
    const double alpha = rgba[p + 3] / 255.0;
    for (int c = 0; c < 3; ++c) source[p + c] = rgba[p + c] * alpha;
    source[p + 3] = rgba[p + 3];
  }
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < to; ++x) {
      const Span& span = spans[static_cast<std::size_t>(x)];
      for (int c = 0; c < 4; ++c) {
        double sum = 0;
        for (std::size_t k = 0; k < span.weights.size(); ++k) {
          sum += span.weights[k] * source[(static_cast<std::size_t>(y) * size + span.first + k) * 4 + c];
        }
        across[(static_cast<std::size_t>(y) * to + x) * 4 + c] = sum;
      }
    }
  }
  std::vector<std::uint8_t> out(static_cast<std::size_t>(to) * to * 4);
  for (int y = 0; y < to; ++y) {
    const Span& span = spans[static_cast<std::size_t>(y)];
    for (int x = 0; x < to; ++x) {
      double pixel[4] = {};
      for (int c = 0; c < 4; ++c) {
        for (std::size_t k = 0; k < span.weights.size(); ++k) {
          pixel[c] += span.weights[k] * across[((span.first + k) * to + static_cast<std::size_t>(x)) * 4 + c];
        }
      }
      std::uint8_t* o = &out[(static_cast<std::size_t>(y) * to + x) * 4];
      const double alpha = pixel[3];
      for (int c = 0; c < 3; ++c) {
        const double value = alpha > 0 ? pixel[c] * 255.0 / alpha : 0;
        o[c] = static_cast<std::uint8_t>(std::min(255.0, value + 0.5));
      }
      o[3] = static_cast<std::uint8_t>(std::min(255.0, alpha + 0.5));
    }
  }
  return out;
}

// An icon's bitmap: the header with twice the height (colour and mask), the
// BGRA rows bottom to top, then the mask (set where the pixel is transparent).
Bytes IconBitmap(const std::vector<std::uint8_t>& rgba, int size) {
  Bytes dib;
  const std::uint32_t maskRow = static_cast<std::uint32_t>((size + 31) / 32 * 4);
  Put32(dib, 40), Put32(dib, static_cast<std::uint32_t>(size)), Put32(dib, static_cast<std::uint32_t>(size * 2));
  Put16(dib, 1), Put16(dib, 32), Put32(dib, 0);
  Put32(dib, static_cast<std::uint32_t>(size * size * 4) + maskRow * static_cast<std::uint32_t>(size));
  Put32(dib, 0), Put32(dib, 0), Put32(dib, 0), Put32(dib, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
      dib.push_back(p[2]), dib.push_back(p[1]), dib.push_back(p[0]), dib.push_back(p[3]);
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    Bytes row(maskRow, 0);
    for (int x = 0; x < size; ++x) {
      if (rgba[(static_cast<std::size_t>(y) * size + x) * 4 + 3] == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    dib.insert(dib.end(), row.begin(), row.end());
  }
  return dib;
}
#endif

}  // namespace

bool IsPngFile(const Bytes& file) {
  return file.size() >= sizeof(kSignature) && std::memcmp(file.data(), kSignature, sizeof(kSignature)) == 0;
}

#ifdef _WIN32

bool EncodePng(const std::vector<std::uint8_t>&, int, int, Bytes&) { return false; }

bool MakeIconFromPng(const Bytes&, std::vector<IconImage>&, std::string& error) {
  error = "is a PNG: package-app.exe makes icons from .ico files only; make the executable with the Linux "
          "package-app (dist/package-app), which turns a PNG into an icon, or give an .ico";
  return false;
}

#else

bool EncodePng(const std::vector<std::uint8_t>& rgba, int width, int height, Bytes& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) return false;
  png.assign(size, 0);
  const bool written = png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr) != 0;
  png.resize(size);
  return written;
}

bool MakeIconFromPng(const Bytes& png, std::vector<IconImage>& images, std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    error = std::string("is no readable PNG (libpng: ") + image.message + ")";
    return false;
  }
  const std::string size = std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels";
  auto refuse = [&](const std::string& why) {
    png_image_free(&image);
    error = "is " + size + ": " + why;
    return false;
  };
  if (image.width != image.height) return refuse("an icon's PNG must be square (256 x 256 or larger recommended)");
  if (image.width < 16) return refuse("an icon's PNG must be at least 16 x 16 pixels (256 x 256 or larger recommended)");
  if (image.width > static_cast<png_uint_32>(kLargestPngIcon)) {
    return refuse("an icon's PNG may be at most 4096 x 4096 pixels");
  }
  const int side = static_cast<int>(image.width);
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    error = std::string("is no readable PNG (libpng: ") + image.message + ")";
    png_image_free(&image);
    return false;
  }
  images.clear();
  for (int target : kPngIconSizes) {
    const std::vector<std::uint8_t> pixels = target == side ? rgba : Resample(rgba, side, target);
    IconImage icon;
    icon.width = icon.height = static_cast<std::uint8_t>(target == 256 ? 0 : target);
    icon.planes = 1;
    icon.bitCount = 32;
    if (target == 256) {
      if (!EncodePng(pixels, target, target, icon.data)) {
        error = "could not be made into the icon's 256-pixel PNG image";
        return false;
      }
    } else {
      icon.data = IconBitmap(pixels, target);
    }
    images.push_back(std::move(icon));
  }
  return true;
}

#endif

}  // namespace package
