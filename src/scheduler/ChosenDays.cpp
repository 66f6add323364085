#include "scheduler/ChosenDays.h"

#include <chrono>

#include "platform/Language.h"

namespace duskline {

namespace {

constexpr std::string_view kNames[kDaysInWeek] = {N_("Mon"), N_("Tue"), N_("Wed"), N_("Thu"),
                                                  N_("Fri"), N_("Sat"), N_("Sun")};

bool SameLetters(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool Has(DaySet days, int day) {
  return (days >> day) & 1;
}

}  // namespace

std::string_view DayName(int day) {
  return kNames[day];
}

std::optional<DaySet> ParseDays(std::string_view value) {
  DaySet days = 0;
  size_t start = 0;
  while (start < value.size()) {
    size_t end = value.find(' ', start);
    if (end == std::string_view::npos) end = value.size();
    const std::string_view word = value.substr(start, end - start);
    for (int day = 0; day < kDaysInWeek; ++day)
      if (SameLetters(word, kNames[day])) days |= static_cast<DaySet>(1 << day);
    start = end + 1;
  }
  if (days == 0) return std::nullopt;
  return days;
}

std::string StoredDays(DaySet days) {
  std::string text;
  for (int day = 0; day < kDaysInWeek; ++day) {
    if (!Has(days, day)) continue;
    if (!text.empty()) text += ' ';
    text += kNames[day];
  }
  return text;
}

std::string DaysSummary(DaySet days) {
  std::string text;
  for (int first = 0; first < kDaysInWeek; ++first) {
    if (!Has(days, first)) continue;
    int last = first;
    while (last + 1 < kDaysInWeek && Has(days, last + 1)) ++last;
    if (!text.empty()) text += ", ";
    if (last - first >= 2) {
      text += Tr(kNames[first]) + "-" + Tr(kNames[last]);
      first = last;
    } else {
      text += Tr(kNames[first]);
    }
  }
  return text;
}

int Weekday(const LocalTime& time) {
  using namespace std::chrono;
  const year_month_day date{year{time.year}, month{static_cast<unsigned>(time.month)},
                            day{static_cast<unsigned>(time.day)}};
  return static_cast<int>(weekday{sys_days{date}}.iso_encoding()) - 1;
}

}  // namespace duskline
