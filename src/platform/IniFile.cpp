#include "platform/IniFile.h"

#include <algorithm>

namespace duskline {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// White space as the system's reader trims it, Ctrl-Z included.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The C functions see a text only up to its first zero character.
std::string_view UpToZero(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string_view NameArgument(std::string_view name) {
  return Trim(UpToZero(name));
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

IniFile::IniFile(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) {
    bom_ = kUtf8Bom;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t stop = bytes.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) {
      lines_.push_back({std::string(bytes.substr(pos)), ""});
      break;
    }
    size_t endSize =
        bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n' ? 2 : 1;
    lines_.push_back(
        {std::string(bytes.substr(pos, stop - pos)), std::string(bytes.substr(stop, endSize))});
    pos = stop + endSize;
  }
}

IniFile::Parsed IniFile::Parse(const std::string& text) {
  Parsed parsed;
  std::string_view line = Trim(UpToZero(text));
  if (line.empty()) return parsed;
  if (line.front() == '[') {
    size_t close = line.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      parsed.kind = Kind::kHeader;
      parsed.name = Trim(line.substr(1, close - 1));
      return parsed;
    }
  }
  parsed.kind = Kind::kEntry;
  size_t equals = line.find('=');
  parsed.name = Trim(line.substr(0, equals));
  if (equals != std::string_view::npos) parsed.value = std::string(Trim(line.substr(equals + 1)));
  return parsed;
}

std::vector<IniFile::Range> IniFile::Sections(std::string_view name) const {
  std::vector<Range> ranges;
  std::optional<Range> current;
  if (name.empty()) current = Range{0, 0, false};
  for (size_t i = 0; i < lines_.size(); ++i) {
    Parsed parsed = Parse(lines_[i].text);
    if (parsed.kind != Kind::kHeader) continue;
    if (current) {
      current->last = i;
      ranges.push_back(*current);
      current.reset();
    }
    if (SameName(parsed.name, name)) current = Range{i, i, true};
  }
  if (current) {
    current->last = lines_.size();
    ranges.push_back(*current);
  }
  return ranges;
}

std::optional<size_t> IniFile::FindEntry(const Range& range, std::string_view key) const {
  for (size_t i = range.first + (range.hasHeader ? 1 : 0); i < range.last; ++i) {
    Parsed parsed = Parse(lines_[i].text);
    if (parsed.kind == Kind::kEntry && SameName(parsed.name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  std::vector<Range> ranges = Sections(NameArgument(section));
  if (ranges.empty()) return std::nullopt;
  std::optional<size_t> entry = FindEntry(ranges.front(), NameArgument(key));
  if (!entry) return std::nullopt;
  std::optional<std::string> value = Parse(lines_[*entry].text).value;
  if (!value) return std::nullopt;
  return std::string(Unquoted(*value));
}

std::string IniFile::NewLineEnd() const {
  for (const Line& line : lines_)
    if (!line.end.empty()) return line.end;
  return "\r\n";
}

void IniFile::Insert(size_t at, std::string text) {
  const std::string end = NewLineEnd();
  // The line before gains the line end it lacked as the last line of the file.
  if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = end;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), end});
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = NameArgument(section);
  key = NameArgument(key);
  value = UpToZero(value);
  value = value.substr(0, value.find_first_of("\r\n"));
  if (section.find_first_of("\r\n]") != std::string_view::npos) return false;
  if (key.find_first_of("\r\n=") != std::string_view::npos || key.starts_with('[')) return false;

  std::vector<Range> ranges = Sections(section);
  if (ranges.empty()) {  // never for "", whose lines are those before the first header
    size_t at = lines_.size();
    std::string header = "[";
    header.append(section).push_back(']');
    Insert(at, std::move(header));
    Insert(at + 1, std::string(key) + "=" + std::string(value));
    return true;
  }
  const Range& range = ranges.front();
  if (std::optional<size_t> entry = FindEntry(range, key)) {
    // The stored spelling of the name stays.
    lines_[*entry].text = Parse(lines_[*entry].text).name + "=" + std::string(value);
    return true;
  }
  // After the section's last non-blank line, so blank lines before the next header stay there.
  size_t at = range.last;
  while (at > range.first && Parse(lines_[at - 1].text).kind == Kind::kBlank) --at;
  if (range.hasHeader && at == range.first) at = range.first + 1;
  Insert(at, std::string(key) + "=" + std::string(value));
  return true;
}

bool IniFile::RemoveSection(std::string_view section) {
  std::vector<Range> ranges = Sections(NameArgument(section));
  // Later duplicates too: otherwise the next one would surface with its old entries.
  for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(it->last));
  return std::any_of(ranges.begin(), ranges.end(), [](const Range& r) { return r.last > r.first; });
}

bool IniFile::RemoveKey(std::string_view section, std::string_view key) {
  std::vector<Range> ranges = Sections(NameArgument(section));
  if (ranges.empty()) return false;
  std::optional<size_t> entry = FindEntry(ranges.front(), NameArgument(key));
  if (!entry) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*entry));
  return true;
}

std::string IniFile::Bytes() const {
  std::string bytes = bom_;
  // A first line that begins with the UTF-8 mark (a key written at the top of a file without
  // one) would lose those bytes to the next reader; a blank line in front keeps them text.
  if (bom_.empty() && !lines_.empty() && lines_.front().text.starts_with(kUtf8Bom))
    bytes = NewLineEnd();
  for (const Line& line : lines_) bytes += line.text + line.end;
  return bytes;
}

}  // namespace duskline
