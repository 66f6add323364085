#include <windows.h>

#include "platform/Ini.h"

namespace duskline {
namespace {

class SystemIniFunctions : public IniFunctions {
 public:
  uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, char* buffer, uint32_t size,
                                   const std::string& fileName) override {
    return ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                      size, fileName.c_str());
  }

  bool WritePrivateProfileString(const std::string& section,
                                 const std::optional<std::string>& key,
                                 const std::optional<std::string>& value,
                                 const std::string& fileName) override {
    return ::WritePrivateProfileStringA(section.c_str(), key ? key->c_str() : nullptr,
                                        value ? value->c_str() : nullptr,
                                        fileName.c_str()) != FALSE;
  }
};

}  // namespace

std::unique_ptr<IniFunctions> MakeSystemIniFunctions() {
  return std::make_unique<SystemIniFunctions>();
}

}  // namespace duskline
