// The language of every text the program shows a person. English is written in the sources;
// other languages come from a gettext catalog built into the program. Stored values, the
// command line and event-log entries are never translated.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Marks a text for the catalog where it stands in a table; it is translated where it is shown.
#define N_(text) text

namespace duskline {

// kPseudo is for tests: each text the catalog holds, shown bracketed and accented, so that a
// run under it shows at once any text that is not in the catalog.
enum class Language : uint8_t { kEnglish, kGerman, kPseudo };
inline constexpr int kLanguageCount = 3;

// The first of the user's languages, most wanted first, that the program speaks ("de",
// "de_DE.UTF-8", "de-AT", "qps-ploc"); English when it speaks none of them.
Language ChooseLanguage(const std::vector<std::string>& preferred);
void SetLanguage(Language language);
Language CurrentLanguage();

// The text in the current language; a text the catalog does not hold stays as it is.
std::string Tr(std::string_view english);
// The text with each "%s" replaced by the next of the values, in order; TrFormat translates
// it first.
std::string Format(std::string_view text, std::initializer_list<std::string_view> values);
std::string TrFormat(std::string_view english, std::initializer_list<std::string_view> values);

}  // namespace duskline
