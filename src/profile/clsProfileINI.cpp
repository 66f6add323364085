#include "profile/clsProfileINI.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

namespace duskline {
namespace {

// Every read is made through a receive buffer of this size.
constexpr uint32_t kReceiveBufferSize = 2048;

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string NumberText(double number) {
  if (!std::isfinite(number)) Raise(kErrOverflow);
  if (number == 0) return "0";  // also for -0
  // The fewest significant digits that read back to the same number, so nothing is lost on
  // the way; found with printf, as std::to_chars brings large tables into a static program.
  char scientific[32];
  for (int precision = 0; precision < 17; ++precision) {
    std::snprintf(scientific, sizeof scientific, "%.*e", precision, number);
    if (std::strtod(scientific, nullptr) == number) break;
  }
  // The digits and the exponent of "-d.ddde+XX"; the shortest round trip ends in no zero.
  const char* mark = std::strchr(scientific, 'e');
  const std::string sign = number < 0 ? "-" : "";
  std::string digits;
  for (const char* c = scientific; c < mark; ++c)
    if (*c >= '0' && *c <= '9') digits.push_back(*c);
  const int exponent = std::atoi(mark + 1);
  const int count = static_cast<int>(digits.size());
  // Plain notation unless the exponent form is strictly shorter.
  std::string plain;
  if (exponent >= count - 1 && exponent < 24) {
    // A whole number is written with every digit of its exact value.
    char whole[32];
    std::snprintf(whole, sizeof whole, "%.0f", std::fabs(number));
    plain = whole;
  } else if (exponent >= count - 1) {
    plain = digits + std::string(static_cast<size_t>(exponent - count + 1), '0');
  } else if (exponent >= 0) {
    const size_t point = static_cast<size_t>(exponent + 1);
    plain = digits.substr(0, point) + "." + digits.substr(point);
  } else {
    plain = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  const std::string exponentForm =
      std::string(scientific, static_cast<size_t>(mark - scientific)) + "E" + (mark + 1);
  return sign.size() + plain.size() <= exponentForm.size() ? sign + plain : exponentForm;
}

// Day serials count from 30 December 1899.
constexpr std::chrono::sys_days kSerialEpoch{std::chrono::year{1899} / 12 / 30};

constexpr double DaySerial(std::chrono::year_month_day date) {
  return static_cast<double>((std::chrono::sys_days{date} - kSerialEpoch).count());
}

// Valid dates run from 1 January 100 to 31 December 9999.
constexpr double kFirstDateSerial = DaySerial(std::chrono::year{100} / 1 / 1);
constexpr double kLastDateSerial = DaySerial(std::chrono::year{9999} / 12 / 31);

// Reads up to four digits; false when there is none.
bool ReadField(const std::string& text, size_t& pos, int& value, size_t& digits) {
  value = 0;
  digits = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
    value = value * 10 + (text[pos++] - '0');
    ++digits;
  }
  return digits > 0;
}

// "h:mm[:ss]" after the date; the whole rest must be the time.
bool ReadTime(const std::string& text, size_t pos, double& fraction) {
  int field[3] = {0, 0, 0};
  size_t digits = 0;
  int count = 0;
  while (count < 3) {
    if (!ReadField(text, pos, field[count], digits) || digits > 2) return false;
    ++count;
    if (pos < text.size() && text[pos] == ':') {
      ++pos;
      continue;
    }
    break;
  }
  if (pos != text.size() || count < 2) return false;
  if (field[0] > 23 || field[1] > 59 || field[2] > 59) return false;
  using namespace std::chrono;
  fraction = duration<double, days::period>(hours{field[0]} + minutes{field[1]} + seconds{field[2]})
                 .count();
  return true;
}

int TwoDigitYear(int year, size_t digits) {
  if (digits > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

bool ToDateValue(const ProfileValue& aValue, DateValue& date) {
  return std::visit(
      [&date](const auto& v) -> bool {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, DateValue>) {
          date = v;
          return true;
        } else if constexpr (std::is_same_v<T, double>) {
          date = DateValue{v};
          return true;
        } else if constexpr (std::is_same_v<T, bool>) {
          date = DateValue{v ? -1.0 : 0.0};
          return true;
        } else if constexpr (std::is_same_v<T, std::string>) {
          return DateFromText(v, date);
        } else {
          return false;
        }
      },
      aValue.Get());
}

// A whole text that reads as a number (blanks around it allowed); false otherwise.
bool StrictNumber(const std::string& text, double& value) {
  std::string trimmed = TrimBlanks(text);
  if (trimmed.empty()) return false;
  size_t i = 0;
  if (trimmed[0] == '&') {
    if (trimmed.size() < 3) return false;
    char radix = static_cast<char>(trimmed[1] | 0x20);
    const char* allowed = radix == 'h' ? "0123456789abcdefABCDEF" : radix == 'o' ? "01234567" : "";
    if (*allowed == 0 || trimmed.find_first_not_of(allowed, 2) != std::string::npos) return false;
  } else {
    if (trimmed[i] == '+' || trimmed[i] == '-') ++i;
    size_t digits = 0;
    bool period = false;
    for (; i < trimmed.size(); ++i) {
      if (trimmed[i] >= '0' && trimmed[i] <= '9') {
        ++digits;
      } else if (trimmed[i] == '.' && !period) {
        period = true;
      } else {
        break;
      }
    }
    if (digits == 0) return false;
    if (i < trimmed.size() && std::string("eEdD").find(trimmed[i]) != std::string::npos) {
      ++i;
      if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-')) ++i;
      size_t exponentDigits = 0;
      for (; i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9'; ++i) ++exponentDigits;
      if (exponentDigits == 0) return false;
    }
    if (i != trimmed.size()) return false;
  }
  value = NumberFromText(trimmed);
  return true;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != 0; ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return i == a.size() && b[i] == 0;
}

bool ToTruth(const ProfileValue& aValue) {
  return std::visit(
      [](const auto& v) -> bool {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, EmptyValue> || std::is_same_v<T, NullValue>) {
          return false;
        } else if constexpr (std::is_same_v<T, bool>) {
          return v;
        } else if constexpr (std::is_same_v<T, double>) {
          return v != 0;
        } else if constexpr (std::is_same_v<T, DateValue>) {
          return v.serial != 0;
        } else if constexpr (std::is_same_v<T, std::string>) {
          std::string word = TrimBlanks(v);
          if (EqualsIgnoringCase(word, "True")) return true;
          if (EqualsIgnoringCase(word, "False")) return false;
          double number = 0;
          if (!StrictNumber(word, number)) Raise(kErrTypeMismatch);
          return number != 0;
        } else {
          Raise(kErrTypeMismatch);
        }
      },
      aValue.Get());
}

}  // namespace

long long ProfileListControl::ListCount() const {
  Raise(kErrPropertyMissing);
}

ProfileValue ProfileListControl::List(int16_t) const {
  Raise(kErrPropertyMissing);
}

std::string FormatDateMmDdYyyy(DateValue date) {
  if (!(date.serial >= kFirstDateSerial && date.serial < kLastDateSerial + 1)) Raise(kErrOverflow);
  const std::chrono::days whole{static_cast<long long>(std::trunc(date.serial))};
  const std::chrono::year_month_day ymd{kSerialEpoch + whole};
  char text[40];
  std::snprintf(text, sizeof text, "%02u/%02u/%04d", static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(ymd.year()));
  return text;
}

bool DateFromText(const std::string& text, DateValue& date) {
  std::string s = TrimBlanks(text);
  size_t pos = 0;
  int field[3] = {0, 0, 0};
  size_t digits[3] = {0, 0, 0};
  char separator = 0;
  for (int i = 0; i < 3; ++i) {
    if (!ReadField(s, pos, field[i], digits[i])) return false;
    if (i == 2) break;
    if (pos >= s.size() || (s[pos] != '/' && s[pos] != '-')) return false;
    if (separator != 0 && s[pos] != separator) return false;
    separator = s[pos++];
  }
  int year = 0, month = 0, day = 0;
  if (digits[0] == 4) {  // yyyy-mm-dd
    year = field[0];
    month = field[1];
    day = field[2];
    if (digits[1] > 2 || digits[2] > 2) return false;
  } else {  // m/d/y
    if (digits[0] > 2 || digits[1] > 2 || digits[2] == 3) return false;
    month = field[0];
    day = field[1];
    year = TwoDigitYear(field[2], digits[2]);
  }
  // Both month and day have at most two digits here, within what chrono's types hold.
  const std::chrono::year_month_day ymd{std::chrono::year{year},
                                        std::chrono::month{static_cast<unsigned>(month)},
                                        std::chrono::day{static_cast<unsigned>(day)}};
  if (year < 100 || !ymd.ok()) return false;
  double fraction = 0;
  if (pos < s.size()) {
    if (s[pos] != ' ') return false;
    if (!ReadTime(s, s.find_first_not_of(' ', pos), fraction)) return false;
  }
  date = DateValue{DaySerial(ymd) + fraction};
  return true;
}

std::string GeneralText(const ProfileValue& aValue) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>) {
          return v;
        } else if constexpr (std::is_same_v<T, EmptyValue>) {
          return "";
        } else if constexpr (std::is_same_v<T, NullValue>) {
          Raise(kErrInvalidUseOfNull);
        } else if constexpr (std::is_same_v<T, double>) {
          return NumberText(v);
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? "True" : "False";
        } else if constexpr (std::is_same_v<T, DateValue>) {
          double whole = std::trunc(v.serial);
          double fraction = std::fabs(v.serial - whole);
          std::string text;
          if (whole != 0 || fraction == 0) text = FormatDateMmDdYyyy(v);
          if (fraction != 0) {
            long seconds = std::lround(fraction * 86400);
            if (seconds >= 86400) seconds = 86399;
            const std::chrono::hh_mm_ss clock{std::chrono::seconds{seconds}};
            char time[40];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d",
                          static_cast<int>(clock.hours().count()),
                          static_cast<int>(clock.minutes().count()),
                          static_cast<int>(clock.seconds().count()));
            text += text.empty() ? time : std::string(" ") + time;
          }
          return text;
        } else {
          Raise(kErrTypeMismatch);
        }
      },
      aValue.Get());
}

clsProfileINI::clsProfileINI(IniFunctions& ini) : ini_(ini) {}

std::string clsProfileINI::ProfilePath(const std::string& aProfile) const {
  return aProfile.empty() ? defaultProfile_ : aProfile;
}

std::string clsProfileINI::GetProfileTextByKey(int32_t, int32_t, const std::string&) {
  return "0";
}

std::string clsProfileINI::GetProfileIdentifier(const std::string&, const std::string&,
                                                const std::string&, int32_t, const std::string&) {
  return "0";
}

void clsProfileINI::ClearEntriesList(const std::string& aProfile, const std::string& aSection) {
  ini_.WritePrivateProfileString(aSection, std::nullopt, std::nullopt, aProfile);
}

void clsProfileINI::SetDefaultProfile(const std::string& aProfile) {
  defaultProfile_ = aProfile;
}

std::string clsProfileINI::DefaultProfile() const {
  return defaultProfile_;
}

ProfileValue clsProfileINI::GetProfileDate(const std::string& aProfile, const std::string& aSection,
                                           const std::string& anEntry,
                                           const ProfileValue& aDefault) {
  std::string text =
      GetStringEntry(ProfilePath(aProfile), aSection, anEntry, GeneralText(aDefault));
  DateValue date;
  // A text that is no date comes back as it is: reading never fails on account of the file.
  if (!DateFromText(text, date)) return ProfileValue(text);
  return ProfileValue(FormatDateMmDdYyyy(date));
}

ProfileValue clsProfileINI::GetProfileNumber(const std::string& aProfile,
                                             const std::string& aSection,
                                             const std::string& anEntry,
                                             const ProfileValue& aDefault) {
  std::string text =
      GetStringEntry(ProfilePath(aProfile), aSection, anEntry, GeneralText(aDefault));
  return ProfileValue(NumberFromText(text));
}

ProfileSwitch clsProfileINI::GetProfileSwitch(const std::string& aProfile,
                                              const std::string& aSection,
                                              const std::string& anEntry, ProfileSwitch aDefault) {
  return GetSwitchEntry(ProfilePath(aProfile), aSection, anEntry, aDefault) != 0 ? -1 : 0;
}

std::string clsProfileINI::GetProfileText(const std::string& aProfile, const std::string& aSection,
                                          const std::string& anEntry, const std::string& aDefault) {
  return GetStringEntry(ProfilePath(aProfile), aSection, anEntry, aDefault);
}

std::string clsProfileINI::GetStringEntry(const std::string& aFileName, const std::string& aSection,
                                          const std::string& anEntry, const std::string& aDefault) {
  std::vector<char> buffer(kReceiveBufferSize, ' ');
  uint32_t count = ini_.GetPrivateProfileString(aSection, anEntry, aDefault, buffer.data(),
                                                kReceiveBufferSize, aFileName);
  // The count decides where the text ends; never trust it beyond the buffer.
  if (count > kReceiveBufferSize - 1) count = kReceiveBufferSize - 1;
  return TrimBlanks(std::string(buffer.data(), count));
}

ProfileSwitch clsProfileINI::GetSwitchEntry(const std::string& aFileName,
                                            const std::string& aSection, const std::string& anEntry,
                                            const ProfileSwitch& aDefault) {
  std::string text = GetStringEntry(aFileName, aSection, anEntry, "");
  if (text.empty()) return aDefault;
  return RoundToInt16(-NumberFromText(text));
}

void clsProfileINI::SetEntriesList(const std::string& aProfile, const std::string& aSection,
                                   const ProfileListControl* aControl,
                                   const ProfileValue& fClearSection) {
  if (ToTruth(fClearSection)) ClearEntriesList(aProfile, aSection);
  if (aControl == nullptr) Raise(kErrObjectNotSet);
  long long count = aControl->ListCount();
  if (count < -32767 || count > 32768) Raise(kErrOverflow);  // the last index is 16-bit
  const int16_t last = static_cast<int16_t>(count - 1);
  // A wider counter than the index, so a list filling the whole 16-bit range ends cleanly.
  for (int32_t i = 0; i <= last; ++i) {
    std::string item = GeneralText(aControl->List(static_cast<int16_t>(i)));
    ini_.WritePrivateProfileString(aSection, std::to_string(i + 1), item, aProfile);
  }
}

void clsProfileINI::WriteProfileDate(const std::string& aProfile, const std::string& aSection,
                                     const std::string& anEntry, const ProfileValue& aValue) {
  if (aValue.IsNull()) Raise(kErrInvalidUseOfNull);
  DateValue date;
  if (!ToDateValue(aValue, date)) Raise(kErrTypeMismatch);
  WriteStringEntry(ProfilePath(aProfile), aSection, anEntry, FormatDateMmDdYyyy(date));
}

void clsProfileINI::WriteProfileSwitch(const std::string& aProfile, const std::string& aSection,
                                       const std::string& anEntry, ProfileSwitch aValue) {
  // 16-bit negation without overflow check: -32768 stays -32768.
  auto negated = static_cast<int16_t>(-static_cast<int32_t>(aValue));
  WriteStringEntry(ProfilePath(aProfile), aSection, anEntry, std::to_string(negated));
}

void clsProfileINI::WriteProfileText(const std::string& aProfile, const std::string& aSection,
                                     const std::string& anEntry, const ProfileValue& aValue) {
  WriteStringEntry(ProfilePath(aProfile), aSection, anEntry, aValue);
}

void clsProfileINI::WriteProfileNumber(const std::string& aProfile, const std::string& aSection,
                                       const std::string& anEntry, int32_t aValue) {
  WriteStringEntry(ProfilePath(aProfile), aSection, anEntry, std::to_string(aValue));
}

void clsProfileINI::WriteStringEntry(const std::string& aFileName, const std::string& aSection,
                                     const std::string& anEntry, const ProfileValue& aValue) {
  std::string text = GeneralText(aValue);
  ini_.WritePrivateProfileString(aSection, anEntry, text, aFileName);
}

}  // namespace duskline
