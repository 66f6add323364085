// The schedule text on any input: parsing fails only with overflow and splits at the first
// blank; a produced schedule parses back to its time and index where the rules promise it
// (a time without blanks and an index of zero or more), and to the empty time and 0 where the
// index's minus sign leaves no blank at all.
//
// Input: two bytes of index (little-endian, signed), then the time text, then 0x1F and any
// text to parse.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/Runtime.h"
#include "scheduler/ScheduleCommand.h"

namespace {

using duskline::ParseScheduleCommand;
using duskline::ProduceScheduleCommand;
using duskline::RuntimeError;
using duskline::ScheduleParts;
using duskline::fuzzing::Check;

// Parses, allowing only the overflow error; nothing when it overflowed.
bool TryParse(const std::string& text, ScheduleParts& parts) {
  try {
    parts = ParseScheduleCommand(text);
    return true;
  } catch (const RuntimeError& error) {
    Check(error.Number() == duskline::kErrOverflow, "parse raised an error other than overflow");
    Check(text.find(' ') != std::string::npos, "a text without a blank overflowed");
    return false;
  }
}

void CheckAnyText(const std::string& text) {
  ScheduleParts parts;
  if (!TryParse(text, parts)) return;
  const size_t blank = text.find(' ');
  if (blank == std::string::npos) {
    Check(parts.timeText.empty() && parts.typeIndex == 0, "no blank must give empty and 0");
    return;
  }
  Check(parts.timeText == text.substr(0, blank), "the time is not the text before the blank");
  // The index is read from the blank on; text after the first non-number character is ignored.
  const double number = duskline::NumberFromText(std::string_view(text).substr(blank));
  Check(number - parts.typeIndex <= 0.5 && parts.typeIndex - number <= 0.5,
        "the index is not the rounded number after the blank");
}

void CheckProduced(std::string time, int16_t index) {
  time.erase(std::remove(time.begin(), time.end(), ' '), time.end());
  const std::string command = ProduceScheduleCommand(time, index);
  Check(command.starts_with(time), "the produced text does not start with the time");
  ScheduleParts parts;
  Check(TryParse(command, parts), "a produced schedule overflowed");
  if (index >= 0) {
    Check(command == time + " " + std::to_string(index), "a wrong sign position");
    Check(parts.timeText == time && parts.typeIndex == index, "no round trip");
  } else {
    Check(command == time + std::to_string(index), "a negative index with a blank");
    Check(parts.timeText.empty() && parts.typeIndex == 0, "a blank appeared in a negative one");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const auto index = static_cast<int16_t>(static_cast<uint16_t>(data[0] | (data[1] << 8)));
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t split = rest.find('\x1F');
  CheckProduced(std::string(rest.substr(0, split)), index);
  CheckAnyText(std::string(rest));
  return 0;
}
