#include "platform/Bitmap24.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tapestra {

Bitmap24::Bitmap24(const Bitmap24& other) { *this = other; }

Bitmap24& Bitmap24::operator=(const Bitmap24& other) {
  if (this == &other) return *this;
  if (!resize(other.width_, other.height_)) return *this;
  if (!empty()) std::memcpy(data_.get(), other.data_.get(), stride_ * height_);
  return *this;
}

bool Bitmap24::resize(int width, int height) {
  if (width == width_ && height == height_) return true;
  clear();
  if (width < 0 || height < 0) return false;
  if (width == 0 || height == 0) return true;
  if (static_cast<std::int64_t>(width) * height > kMaxPixels) return false;
  const std::size_t stride = strideFor(width);
  // new[] without () leaves the pixels uninitialised: every producer overwrites them anyway.
  std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[stride * height]);
  if (!data) return false;
  data_ = std::move(data);
  width_ = width;
  height_ = height;
  stride_ = stride;
  return true;
}

void Bitmap24::clear() {
  data_.reset();
  width_ = height_ = 0;
  stride_ = 0;
}

void Bitmap24::fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* p = row(y);
    for (int x = 0; x < width_; ++x, p += 3) {
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
}

bool operator==(const Bitmap24& a, const Bitmap24& b) {
  if (a.width_ != b.width_ || a.height_ != b.height_) return false;
  const std::size_t used = static_cast<std::size_t>(a.width_) * 3;
  for (int y = 0; y < a.height_; ++y) {
    if (std::memcmp(a.row(y), b.row(y), used) != 0) return false;
  }
  return true;
}

}  // namespace tapestra
