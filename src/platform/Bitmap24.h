#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tapestra {

// A 24-bit picture: three bytes per pixel in the order blue, green, red, row 0 at the top.
// Rows are padded to four bytes, as in a Windows DIB, so a row can be written to a BMP file
// as it stands. Size 0 × 0 means "no picture".
class Bitmap24 {
 public:
  // Largest picture we agree to hold: a bound on width × height, so a damaged header can
  // never make us allocate gigabytes.
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;  // 268 megapixels

  Bitmap24() = default;
  Bitmap24(const Bitmap24& other);
  Bitmap24& operator=(const Bitmap24& other);
  Bitmap24(Bitmap24&&) noexcept = default;
  Bitmap24& operator=(Bitmap24&&) noexcept = default;

  // Resizes to width × height, discarding the content; the new pixels are not initialised.
  // Returns false (and leaves the bitmap empty) for negative or oversized dimensions or
  // when memory runs out.
  bool resize(int width, int height);
  void clear();
  void fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  std::size_t stride() const { return stride_; }
  static std::size_t strideFor(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

  std::uint8_t* row(int y) { return data_.get() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* row(int y) const { return data_.get() + static_cast<std::size_t>(y) * stride_; }
  std::uint8_t* data() { return data_.get(); }
  const std::uint8_t* data() const { return data_.get(); }

  friend bool operator==(const Bitmap24& a, const Bitmap24& b);

 private:
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> data_;
};

}  // namespace tapestra
