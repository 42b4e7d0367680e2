#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelterwyn::e2e {

// A captured picture, top row first, one COLORREF per pixel.
class Image {
 public:
  Image(int width, int height, std::vector<COLORREF> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}

  // What the screen shows inside rect (screen coordinates).
  static std::optional<Image> CaptureScreen(const RECT& rect);
  // The pixels of a bitmap that no DC has selected.
  static std::optional<Image> FromBitmap(HBITMAP bitmap, int width, int height);
  // An icon drawn at size x size on a plain background, as a window draws it.
  static std::optional<Image> RenderIcon(HICON icon, int size, COLORREF background);

  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  Image Crop(const RECT& rect) const;
  // Pixels that differ from the same place in other (same size assumed).
  int CountDifferences(const Image& other) const;
  // Pixels of rect (image coordinates) that are not colour.
  int CountOtherThan(const RECT& rect, COLORREF colour) const;
  // A hash of the pixels: equal pictures, equal fingerprints.
  std::uint64_t Fingerprint() const;

  // An uncompressed 24-bit BMP.
  bool SaveBmp(const std::string& path) const;

 private:
  int width_;
  int height_;
  std::vector<COLORREF> pixels_;
};

}  // namespace pelterwyn::e2e
