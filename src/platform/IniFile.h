#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tapestra {

using IniEntries = std::vector<std::pair<std::string, std::string>>;

// An INI file with the rules of the profile functions: section and key names compared
// without regard to ASCII case, the first of duplicate keys wins, values trimmed and one pair
// of surrounding quotes dropped, missing or malformed integers read as the default. Text is
// UTF-8. Writers replace whole sections in memory and save() replaces the whole file
// atomically, so a crash or a full disk never leaves half a file behind.
class IniFile {
 public:
  // Reads the file; a missing or unreadable file reads as empty. An existing file that could
  // not be read is never replaced by save(): its other sections were not seen.
  explicit IniFile(std::string path);
  // The same rules over text already in memory (fuzzing, tests); save() writes to path.
  static IniFile FromContent(std::string path, const std::string& content);

  const std::string& path() const { return path_; }

  bool hasSection(const std::string& section) const;
  std::string readString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  std::int32_t readInteger(const std::string& section, const std::string& key,
                           std::int32_t fallback) const;
  bool readBool(const std::string& section, const std::string& key, bool fallback) const;
  // The section's keys and values in file order (values as readString gives them).
  IniEntries readSection(const std::string& section) const;

  // Replaces the section's keys by entries, in their order. An existing section keeps its
  // place in the file; a new one goes to the end. Other sections, comments and blank lines
  // stay as they were.
  void replaceSection(const std::string& section, const IniEntries& entries);
  void eraseSection(const std::string& section);

  // Writes the whole file through a temporary file and a rename. On failure the old file is
  // left as it was, error (if given) says why, and the result is false.
  bool save(std::string* error = nullptr) const;
  // The text save() writes.
  std::string content() const;

  // Parsing used by readInteger: optional blanks and sign, decimal digits (or a "0x"/"$" hex
  // prefix), nothing after; must fit 32 bits.
  static bool ParseInteger(const std::string& text, std::int32_t& value);

 private:
  struct Line {
    std::string text;     // the raw line as read (or as written for new lines)
    std::string section;  // set on a section header line
    std::string key;      // set on a key line
    std::string value;    // the key line's value, trimmed and unquoted
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;  // header first (absent for the lines before any header)
  };

  const Section* findSection(const std::string& name) const;
  Section* findSection(const std::string& name);
  void parse(const std::string& content);

  std::string path_;
  bool unreadable_ = false;
  bool byteOrderMark_ = false;  // kept, so a rewrite changes only what a writer replaced
  std::vector<Section> sections_;
};

}  // namespace tapestra
