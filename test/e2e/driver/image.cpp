#include "e2e/driver/image.h"

#include <algorithm>
#include <fstream>

#include "owners/unique_any.h"

namespace pelterwyn::e2e {

namespace {

// GetDIBits gives BGRX; COLORREF is RGB from the low byte up.
COLORREF FromBgrx(std::uint32_t bgrx) {
  return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
}

std::optional<Image> ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> raw(static_cast<std::size_t>(width) * height);
  if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), raw.data(), &info, DIB_RGB_COLORS) !=
      height) {
    return std::nullopt;
  }
  std::vector<COLORREF> pixels(raw.size());
  std::transform(raw.begin(), raw.end(), pixels.begin(), FromBgrx);
  return Image(width, height, std::move(pixels));
}

}  // namespace

std::optional<Image> Image::FromBitmap(HBITMAP bitmap, int width, int height) {
  const auto screen = owners::GetWindowDc(nullptr);
  return ReadBitmap(screen.Get().dc, bitmap, width, height);
}

std::optional<Image> Image::CaptureScreen(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return std::nullopt;
  const auto screen = owners::GetWindowDc(nullptr);
  owners::UniqueMemoryDc memory(CreateCompatibleDC(screen.Get().dc));
  owners::UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get().dc, width, height));
  if (!memory || !bitmap) return std::nullopt;
  {
    const auto selected = owners::SelectInto(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get().dc, rect.left, rect.top,
                SRCCOPY | CAPTUREBLT)) {
      return std::nullopt;
    }
  }
  return ReadBitmap(screen.Get().dc, bitmap.Get(), width, height);
}

std::optional<Image> Image::RenderIcon(HICON icon, int size, COLORREF background) {
  const auto screen = owners::GetWindowDc(nullptr);
  owners::UniqueMemoryDc memory(CreateCompatibleDC(screen.Get().dc));
  owners::UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get().dc, size, size));
  if (!memory || !bitmap) return std::nullopt;
  {
    const auto selected = owners::SelectInto(memory.Get(), bitmap.Get());
    RECT all{0, 0, size, size};
    owners::UniqueGdi<HBRUSH> brush(CreateSolidBrush(background));
    FillRect(memory.Get(), &all, brush.Get());
    DrawIconEx(memory.Get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  }
  return ReadBitmap(screen.Get().dc, bitmap.Get(), size, size);
}

Image Image::Crop(const RECT& rect) const {
  const int left = std::clamp<int>(rect.left, 0, width_);
  const int top = std::clamp<int>(rect.top, 0, height_);
  const int right = std::clamp<int>(rect.right, left, width_);
  const int bottom = std::clamp<int>(rect.bottom, top, height_);
  std::vector<COLORREF> pixels;
  pixels.reserve(static_cast<std::size_t>(right - left) * (bottom - top));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) pixels.push_back(At(x, y));
  }
  return Image(right - left, bottom - top, std::move(pixels));
}

int Image::CountDifferences(const Image& other) const {
  int count = 0;
  for (int y = 0; y < std::min(height_, other.height_); ++y) {
    for (int x = 0; x < std::min(width_, other.width_); ++x) count += At(x, y) != other.At(x, y);
  }
  return count + std::abs(width_ * height_ - other.width_ * other.height_);
}

int Image::CountOtherThan(const RECT& rect, COLORREF colour) const {
  int count = 0;
  for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height_); ++y) {
    for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, width_); ++x) {
      count += At(x, y) != colour;
    }
  }
  return count;
}

std::uint64_t Image::Fingerprint() const {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (COLORREF pixel : pixels_) hash = (hash ^ pixel) * 1099511628211ull;
  return hash;
}

bool Image::SaveBmp(const std::string& path) const {
  const int stride = (width_ * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width_;
  info.biHeight = height_;  // bottom row first, as every reader expects
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * height_);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;

  std::vector<char> rows(info.biSizeImage, 0);
  for (int y = 0; y < height_; ++y) {
    char* row = rows.data() + static_cast<std::size_t>(height_ - 1 - y) * stride;
    for (int x = 0; x < width_; ++x) {
      const COLORREF c = At(x, y);
      row[x * 3] = static_cast<char>(GetBValue(c));
      row[x * 3 + 1] = static_cast<char>(GetGValue(c));
      row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  return static_cast<bool>(out);
}

}  // namespace pelterwyn::e2e
