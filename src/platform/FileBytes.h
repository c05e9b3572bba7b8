#pragma once

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

}  // namespace tapestra
