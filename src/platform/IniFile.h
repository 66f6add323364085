// The INI text engine behind our own INI functions: parses the bytes of a file, looks values up
// and produces the new bytes for a set or a removal. No file access, so it can be fuzzed.
//
// Reading follows the system's functions: lines end at CR, LF or CRLF; names and values lose
// surrounding white space; names compare without regard to ASCII letter case; the first section
// of a name and its first entry of a name count; a matching pair of quotes around a value is
// dropped; entries before the first header belong to the section "".
//
// Writing changes only the lines it must: every other line keeps its bytes and its line end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace duskline {

class IniFile {
 public:
  explicit IniFile(std::string_view bytes);

  // The value as the system's reader returns it, or nothing when the section or the entry is
  // missing (an entry line without "=" holds no value).
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Sets the entry, creating it and the section as needed. A value keeps only what comes
  // before its first line break. Refuses (false, nothing changed) a section name holding a
  // line break or "]", and a key holding a line break or "=" or starting with "[": each would
  // be read back as another line or another name.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // Removes every section of that name with all its lines; false when there was none.
  bool RemoveSection(std::string_view section);

  // Removes the entry's line; false when there was none.
  bool RemoveKey(std::string_view section, std::string_view key);

  std::string Bytes() const;

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", "\r" or "" (last line without one)
  };
  enum class Kind { kBlank, kHeader, kEntry };
  struct Parsed {
    Kind kind = Kind::kBlank;
    std::string name;
    std::optional<std::string> value;  // entries with "=" only, trimmed
  };
  // Lines [first, last) of one section; first is its header, or 0 for the nameless one.
  struct Range {
    size_t first = 0;
    size_t last = 0;
    bool hasHeader = false;
  };

  static Parsed Parse(const std::string& text);
  std::vector<Range> Sections(std::string_view name) const;
  std::optional<size_t> FindEntry(const Range& range, std::string_view key) const;
  std::string NewLineEnd() const;
  void Insert(size_t at, std::string text);

  std::string bom_;
  std::vector<Line> lines_;
};

}  // namespace duskline
