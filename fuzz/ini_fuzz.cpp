// The INI engine on any file bytes with any names and value: a write reads back the same
// whatever file it went into and a refused one changes nothing.
//
// Input: one byte (not used), then section, key, value and the file's bytes, separated by 0x1F.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/IniFile.h"

namespace {

using duskline::IniFile;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::string section, key, value, bytes;
  for (std::string* field : {&section, &key, &value, &bytes}) std::getline(in, *field, '\x1F');
  IniFile file(bytes);
  IniFile alone("");
  const bool set = file.Set(section, key, value);
  Check(set == alone.Set(section, key, value));
  if (!set) Check(file.Bytes() == bytes);
  if (set) Check(IniFile(file.Bytes()).Value(section, key) == alone.Value(section, key));
  return 0;
}
