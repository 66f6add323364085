// The two INI functions of the system. On Windows they are GetPrivateProfileStringA and
// WritePrivateProfileStringA; elsewhere our own implementation with the same behaviour.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace duskline {

class IniFunctions {
 public:
  virtual ~IniFunctions() = default;

  // Copies the entry's value, or the default when the file, section or entry is missing, into
  // buffer (at most size - 1 characters and a zero) and returns the count copied.
  virtual uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, char* buffer,
                                           uint32_t size, const std::string& fileName) = 0;

  // With key and value: sets the entry, creating entry, section and file as needed. With
  // neither: removes the section. Returns success, which callers do not examine.
  virtual bool WritePrivateProfileString(const std::string& section,
                                         const std::optional<std::string>& key,
                                         const std::optional<std::string>& value,
                                         const std::string& fileName) = 0;
};

// The system's INI functions (ours where the system has none).
std::unique_ptr<IniFunctions> MakeSystemIniFunctions();

}  // namespace duskline
