#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tapestra {

// The bytes of a regular file (or its first `limit` bytes), read in one go for the decoders.
struct FileBytes {
  std::unique_ptr<std::uint8_t[]> data;
  std::size_t size = 0;        // bytes held
  std::uint64_t fileSize = 0;  // bytes in the file
  bool complete() const { return size == fileSize; }
};

// False when the path is missing, unreadable or not a regular file (a FIFO or device would
// block or never end). The buffer is not zero-filled; a file that shrinks while being read
// gives the bytes that were there.
bool ReadFileBytes(const std::string& fileName, std::uint64_t limit, FileBytes& out);

// The most pixels a file of fileBytes bytes can plausibly describe in any format we read; a
// header claiming more is damaged, and believing it would allocate up to gigabytes for a
// picture of a few hundred bytes. Deflate expands at most about 1032:1, so a 1-bit PNG holds at
// most some 8 300 pixels per byte; GIF's LZW about 2 700; JPEG a few hundred. Up to 16
// megapixels always pass.
inline std::uint64_t MaxPlausiblePixels(std::uint64_t fileBytes) {
  constexpr std::uint64_t kAlwaysPlausible = std::uint64_t{1} << 24;
  constexpr std::uint64_t kMaxPixelsPerByte = 16384;
  return fileBytes > (std::uint64_t{1} << 40)
             ? UINT64_MAX
             : std::max(kAlwaysPlausible, fileBytes * kMaxPixelsPerByte);
}

inline bool PlausiblePixelCount(std::int64_t width, std::int64_t height, std::uint64_t fileBytes) {
  return static_cast<std::uint64_t>(width * height) <= MaxPlausiblePixels(fileBytes);
}

}  // namespace tapestra
