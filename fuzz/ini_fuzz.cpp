// The INI engine on any file bytes with any section, key and value: a value written reads back
// as the reading rules make it, every other entry reads as before, a section removal takes
// exactly that section's entries, a key removal no other entry, and a refused write changes
// nothing. Every few inputs the same write goes through our file functions and the settings
// store in a scratch folder.
//
// Input: one operation byte, then section, key, value and the file's bytes, separated by 0x1F.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "platform/Ini.h"
#include "platform/IniFile.h"
#include "profile/clsProfileINI.h"

namespace {

using duskline::IniFile;
using duskline::fuzzing::Check;
using duskline::fuzzing::ReadAll;
using duskline::fuzzing::ScratchFolder;
using duskline::fuzzing::Strays;

// The reading rules, stated once more independently of the engine.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string Name(std::string_view s) {
  return Trim(s.substr(0, s.find('\0')));
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// What reading returns after a write of this value: the text before the first zero and line
// break, without surrounding white space and without one pair of matching quotes.
std::string ReadBack(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  std::string text = Trim(value.substr(0, value.find_first_of("\r\n")));
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front())
    text = text.substr(1, text.size() - 2);
  return text;
}

bool Refused(std::string_view section, std::string_view key) {
  const std::string s = Name(section), k = Name(key);
  return s.find_first_of("\r\n]") != std::string::npos ||
         k.find_first_of("\r\n=") != std::string::npos || k.starts_with('[');
}

// The (section, key) pairs that the file might hold: every text before an "=" or on a line by
// itself, with the bracketed name above it, with the nameless section and with the section
// written to. A superset of the real entries is fine: pairs that are not entries read as
// nothing before and after.
using Pairs = std::set<std::pair<std::string, std::string>>;

Pairs CandidatePairs(const std::string& bytes, const std::string& section, const std::string& key) {
  Pairs pairs{{"", key}, {section, key}};
  std::string above;
  for (size_t pos = 0; pos <= bytes.size() && pairs.size() < 256;) {
    size_t stop = bytes.find_first_of("\r\n", pos);
    if (stop == std::string::npos) stop = bytes.size();
    const std::string line = Name(std::string_view(bytes).substr(pos, stop - pos));
    if (line.starts_with('[')) above = Trim(line.substr(1, line.rfind(']') - 1));
    const std::string name = Trim(line.substr(0, line.find('=')));
    pairs.emplace(above, name);
    pairs.emplace(section, name);
    pairs.emplace("", name);
    pos = stop + 1;
  }
  return pairs;
}

bool SameName(const std::string& a, std::string_view b) {
  return Lower(Name(a)) == Lower(Name(b));
}

// The same write through the file functions: the file ends up as the engine's bytes, the value
// reads back through the settings store (cut to its buffer, blanks trimmed), no file is left
// beside it.
void CheckFileFunctions(const std::string& before, const std::string& section,
                        const std::string& key, const std::string& value,
                        const std::string& expected) {
  static std::unique_ptr<duskline::IniFunctions> ini = duskline::MakeSystemIniFunctions();
  const std::string& folder = ScratchFolder();
  const std::string path = folder + "/Vesperon.ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << before;
  }
  duskline::clsProfileINI profile(*ini);
  // The Windows-style path that the program passes.
  const std::string windowsPath = folder + "\\Vesperon.ini";
  profile.WriteProfileText(windowsPath, section, key, value);
  Check(ReadAll(path) == expected, "file functions wrote other bytes than the engine");
  Check(Strays(folder).empty(), "a file was left beside the settings file");
  if (Refused(section, key)) return;
  std::string stored = ReadBack(value).substr(0, 2047);
  stored.erase(0, stored.find_first_not_of(' '));
  stored.erase(stored.find_last_not_of(' ') + 1);
  Check(profile.GetProfileText(windowsPath, section, key, "<none>") == stored,
        "the settings store read back another value");
}

std::vector<std::string> Fields(std::string_view input, size_t count) {
  std::vector<std::string> fields;
  while (fields.size() + 1 < count) {
    size_t stop = input.find('\x1F');
    if (stop == std::string_view::npos) break;
    fields.emplace_back(input.substr(0, stop));
    input.remove_prefix(stop + 1);
  }
  fields.emplace_back(input);
  fields.resize(count);
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t operation = data[0];
  const std::vector<std::string> fields =
      Fields(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 4);
  const std::string& section = fields[0];
  const std::string& key = fields[1];
  const std::string& value = fields[2];
  const std::string& before = fields[3];

  IniFile original(before);
  Check(original.Bytes() == before, "parsing and producing changed untouched bytes");
  IniFile changed(before);
  const bool removal = (operation & 3) == 3;
  const bool keyRemoval = (operation & 3) == 2;
  if (removal) {
    changed.RemoveSection(section);
  } else if (keyRemoval) {
    changed.RemoveKey(section, key);
  } else {
    const bool done = changed.Set(section, key, value);
    Check(done != Refused(section, key), "a write was refused for the wrong reason");
    if (!done) Check(changed.Bytes() == before, "a refused write changed the file");
    if (done) Check(changed.Value(section, key) == ReadBack(value), "the value did not read back");
  }
  // Producing and parsing again gives the same entries (the engine reads its own output).
  const IniFile reread(changed.Bytes());

  for (const auto& [s, k] : CandidatePairs(before, Name(section), Name(key))) {
    const bool target = SameName(s, section) && (removal || SameName(k, key));
    std::optional<std::string> after = reread.Value(s, k);
    if (removal && target) {
      Check(!after, "an entry of a removed section still reads");
    } else if (!target) {
      Check(after == original.Value(s, k), "another entry changed");
    } else {
      // After a key removal a later duplicate of the key may surface; it must be the file's.
      Check(after == changed.Value(s, k), "the changed entry reads differently from the file");
    }
  }

  if (!removal && !keyRemoval && (operation & 0x1C) == 0)
    CheckFileFunctions(before, section, key, value, changed.Bytes());
  return 0;
}
