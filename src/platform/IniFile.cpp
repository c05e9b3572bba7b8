#include "platform/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tapestra {
namespace {

namespace fs = std::filesystem;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The profile functions drop one pair of matching quotes around a value.
std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

// The file's bytes; a missing file is empty. readable is false when a file is there but could
// not be read, so that a rewrite does not replace what it never saw.
std::string ReadWholeFile(const std::string& path, bool& readable) {
  readable = true;
  if (path.empty()) return {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    readable = errno == ENOENT;
    return {};
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      readable = false;
      content.clear();
      break;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

bool WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  bool readable = true;
  parse(ReadWholeFile(path_, readable));
  unreadable_ = !readable;
}

IniFile IniFile::FromContent(std::string path, const std::string& content) {
  IniFile ini(std::string{});
  ini.path_ = std::move(path);
  ini.parse(content);
  return ini;
}

std::string IniFile::content() const {
  std::string text = byteOrderMark_ ? "\xEF\xBB\xBF" : "";
  for (const Section& s : sections_) {
    for (const Line& line : s.lines) {
      text += line.text;
      text += '\n';
    }
  }
  return text;
}

void IniFile::parse(const std::string& content) {
  sections_.clear();
  sections_.push_back(Section{});  // lines before the first header
  std::size_t pos = 0;
  byteOrderMark_ = content.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (byteOrderMark_) pos = 3;
  while (pos < content.size()) {
    // Lines end in LF, CR LF or a lone CR (an old Mac editor): a lone CR must not join the
    // whole file into one line.
    std::size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = content.size();
    std::string text = content.substr(pos, end - pos);
    pos = end + 1;
    if (end < content.size() && content[end] == '\r' && pos < content.size() &&
        content[pos] == '\n') {
      ++pos;
    }

    Line line{text, {}, {}, {}};
    const std::string trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const std::size_t close = trimmed.find(']');
      line.section = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      sections_.push_back(Section{line.section, {line}});
      continue;
    }
    if (!trimmed.empty() && trimmed.front() != ';') {
      const std::size_t eq = trimmed.find('=');
      if (eq != std::string::npos) {
        line.key = Trim(trimmed.substr(0, eq));
        line.value = Unquote(Trim(trimmed.substr(eq + 1)));
      }
    }
    sections_.back().lines.push_back(std::move(line));
  }
}

const IniFile::Section* IniFile::findSection(const std::string& name) const {
  // The unnamed leading block (index 0) is never a section.
  for (std::size_t i = 1; i < sections_.size(); ++i) {
    if (SameName(sections_[i].name, name)) return &sections_[i];
  }
  return nullptr;
}

IniFile::Section* IniFile::findSection(const std::string& name) {
  return const_cast<Section*>(static_cast<const IniFile*>(this)->findSection(name));
}

bool IniFile::hasSection(const std::string& section) const { return findSection(section) != nullptr; }

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
  const Section* s = findSection(section);
  if (s == nullptr) return fallback;
  for (const Line& line : s->lines) {
    if (!line.key.empty() && SameName(line.key, key)) return line.value;
  }
  return fallback;
}

bool IniFile::ParseInteger(const std::string& text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = LowerAscii(text[i]);
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return false;
    magnitude = magnitude * base + digit;
    if (magnitude > std::int64_t{1} << 32) return false;
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  // Hexadecimal may spell the full unsigned 32-bit range, as colour values sometimes are.
  if (base == 16 && !negative && result <= std::numeric_limits<std::uint32_t>::max()) {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
    return true;
  }
  if (result < std::numeric_limits<std::int32_t>::min() || result > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(result);
  return true;
}

std::int32_t IniFile::readInteger(const std::string& section, const std::string& key,
                                  std::int32_t fallback) const {
  std::int32_t value = 0;
  return ParseInteger(readString(section, key, std::string()), value) ? value : fallback;
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool fallback) const {
  return readInteger(section, key, fallback ? 1 : 0) != 0;
}

IniEntries IniFile::readSection(const std::string& section) const {
  IniEntries entries;
  const Section* s = findSection(section);
  if (s == nullptr) return entries;
  for (const Line& line : s->lines) {
    if (!line.key.empty()) entries.emplace_back(line.key, line.value);
  }
  return entries;
}

void IniFile::replaceSection(const std::string& section, const IniEntries& entries) {
  Section* s = findSection(section);
  if (s == nullptr) {
    sections_.push_back(Section{section, {Line{"[" + section + "]", section, {}, {}}}});
    s = &sections_.back();
  }
  s->lines.resize(1);  // keep the header line as it stands
  // Later sections of the same name would shadow nothing but still be read back: drop them.
  const auto first = static_cast<std::size_t>(s - sections_.data());
  for (std::size_t i = sections_.size() - 1; i > first; --i) {
    if (SameName(sections_[i].name, section)) sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  s = &sections_[first];
  for (const auto& [key, value] : entries) {
    // A line break in a value (Linux file names may hold one) would end the line and let the
    // rest pose as keys or sections of its own; it is written as a blank.
    std::string oneLine = value;
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    std::replace_if(oneLine.begin(), oneLine.end(), isBreak, ' ');
    s->lines.push_back(Line{key + "=" + oneLine, {}, key, Unquote(Trim(oneLine))});
  }
}

void IniFile::eraseSection(const std::string& section) {
  for (std::size_t i = 1; i < sections_.size(); ++i) {
    if (SameName(sections_[i].name, section)) {
      sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
      --i;
    }
  }
}

bool IniFile::save(std::string* error) const {
  if (unreadable_) {
    if (error != nullptr) *error = "the configuration could not be read, so it is not replaced";
    return false;
  }
  const std::string text = content();
  // A configuration kept as a symbolic link (a dotfiles folder) is written where the link
  // points, so the rename does not put a plain file in the link's place; and the file keeps
  // the permissions its owner gave it.
  std::string target = path_;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved.string();
  }
  mode_t mode = 0644;
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) mode = existing.st_mode & 07777;
  std::string templ = target + ".XXXXXX";
  const int fd = ::mkstemp(templ.data());
  auto fail = [&](const char* what) {
    if (error != nullptr) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
  };
  if (fd < 0) return fail("cannot create a temporary file");
  ::fchmod(fd, mode);
  const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  const int savedErrno = errno;
  ::close(fd);
  if (!written) {
    ::unlink(templ.c_str());
    errno = savedErrno;
    return fail("cannot write the configuration");
  }
  if (::rename(templ.c_str(), target.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(templ.c_str());
    errno = renameErrno;
    return fail("cannot replace the configuration");
  }
  return true;
}

}  // namespace tapestra
