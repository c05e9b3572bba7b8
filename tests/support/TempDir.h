#pragma once

// Files for the tests: a private temporary folder, and whole files read and written as bytes.

#include <stdlib.h>  // mkdtemp

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tapestra::test {

// A fresh folder of its own (several per test are fine), removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tapestra-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
  }
  ~TempDir() {
    // A test may have taken the write permission away to make a save fail.
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing slash, the way the settings keep the data folder.
  std::string folder() const { return path_.string() + "/"; }
  // A name inside the folder (which may hold further folders).
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Writes the file `name` inside the folder and gives its path.
  std::filesystem::path write(const std::string& name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Replaces the file, making its folders first; false when it could not be written.
inline bool WriteFile(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

inline bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  return WriteFile(path,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline std::filesystem::path TempDir::write(const std::string& name, std::string_view bytes) const {
  const std::filesystem::path p = path_ / name;
  WriteFile(p.string(), bytes);
  return p;
}

}  // namespace tapestra::test
