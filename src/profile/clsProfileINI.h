// The settings store: named text values in INI files ("profiles"), read and written through
// the two INI functions of the platform. Keeps no file open and caches nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Ini.h"
#include "platform/Runtime.h"

namespace duskline {

// A list whose items SetEntriesList stores. Either member may be missing on a given control:
// the defaults raise "object lacks the property" (438), as a late-bound lookup would.
class ProfileListControl {
 public:
  virtual ~ProfileListControl() = default;
  virtual long long ListCount() const;
  virtual ProfileValue List(int16_t index) const;
};

// True is -1, False is 0; any non-zero value counts as on.
using ProfileSwitch = int16_t;

class clsProfileINI {
 public:
  explicit clsProfileINI(IniFunctions& ini);

  // Placeholder lookups: they ignore their arguments and return "0".
  std::string GetProfileTextByKey(int32_t aKeyNo, int32_t aKeyDBID, const std::string& aDefault);
  std::string GetProfileIdentifier(const std::string& aProfile, const std::string& aSection,
                                   const std::string& anEntry, int32_t aDefault,
                                   const std::string& aSeparator);

  // Removes the section with all its entries; the path is used as given.
  void ClearEntriesList(const std::string& aProfile, const std::string& aSection);

  void SetDefaultProfile(const std::string& aProfile);
  std::string DefaultProfile() const;

  ProfileValue GetProfileDate(const std::string& aProfile, const std::string& aSection,
                              const std::string& anEntry, const ProfileValue& aDefault);
  ProfileValue GetProfileNumber(const std::string& aProfile, const std::string& aSection,
                                const std::string& anEntry, const ProfileValue& aDefault);
  ProfileSwitch GetProfileSwitch(const std::string& aProfile, const std::string& aSection,
                                 const std::string& anEntry, ProfileSwitch aDefault);
  std::string GetProfileText(const std::string& aProfile, const std::string& aSection,
                             const std::string& anEntry, const std::string& aDefault);
  std::string GetStringEntry(const std::string& aFileName, const std::string& aSection,
                             const std::string& anEntry, const std::string& aDefault);
  ProfileSwitch GetSwitchEntry(const std::string& aFileName, const std::string& aSection,
                               const std::string& anEntry, const ProfileSwitch& aDefault);

  // Writes the items of aControl as entries "1", "2", ... of aSection; the section is removed
  // first when fClearSection is true. aControl may be null (raises 91).
  void SetEntriesList(const std::string& aProfile, const std::string& aSection,
                      const ProfileListControl* aControl, const ProfileValue& fClearSection);

  void WriteProfileDate(const std::string& aProfile, const std::string& aSection,
                        const std::string& anEntry, const ProfileValue& aValue);
  void WriteProfileSwitch(const std::string& aProfile, const std::string& aSection,
                          const std::string& anEntry, ProfileSwitch aValue);
  void WriteProfileText(const std::string& aProfile, const std::string& aSection,
                        const std::string& anEntry, const ProfileValue& aValue);
  void WriteProfileNumber(const std::string& aProfile, const std::string& aSection,
                          const std::string& anEntry, int32_t aValue);
  void WriteStringEntry(const std::string& aFileName, const std::string& aSection,
                        const std::string& anEntry, const ProfileValue& aValue);

 private:
  // An empty path stands for the default profile (blanks are not empty).
  std::string ProfilePath(const std::string& aProfile) const;

  IniFunctions& ini_;
  std::string defaultProfile_;
};

// The general text form of a value: text unchanged, numbers in plain decimal with a period,
// dates "mm/dd/yyyy" (and the time when there is one), truth values "True"/"False", empty as
// "". Null raises 94, a value without a text form 13.
std::string GeneralText(const ProfileValue& aValue);

// Dates as the settings store writes and reads them.
std::string FormatDateMmDdYyyy(DateValue date);
// Reads "m/d/y" (the US order) or "yyyy-mm-dd", optionally followed by a time after a blank;
// false when the text is no date.
bool DateFromText(const std::string& text, DateValue& date);

}  // namespace duskline
