// The user's languages choose the catalog; its texts come out translated, or bracketed and
// lengthened in the pseudo-language; a text outside it, and English, as written.
#include <gtest/gtest.h>

#include "platform/Language.h"

namespace duskline {
namespace {

TEST(Language, TheFirstOfTheUsersLanguagesThatIsSpokenTranslates) {
  const std::pair<std::vector<std::string>, Language> choices[] = {
      {{}, Language::kEnglish},          {{"fr_FR.UTF-8", "de_AT.UTF-8"}, Language::kGerman},
      {{"de-DE"}, Language::kGerman},    {{"en_GB", "de"}, Language::kEnglish},
      {{"qps-ploc"}, Language::kPseudo}, {{"dense", "C"}, Language::kEnglish}};
  for (const auto& [preferred, language] : choices) EXPECT_EQ(ChooseLanguage(preferred), language);
  const std::tuple<Language, const char*, std::string> texts[] = {
      {Language::kGerman, "Lock", "Sperren"},      {Language::kGerman, "Duskline", "Duskline"},
      {Language::kGerman, "Loc", "Loc"},           {Language::kEnglish, "Lock", "Lock"},
      {Language::kPseudo, "Duskline", "Duskline"}, {Language::kPseudo, "", ""}};
  for (const auto& [language, english, shown] : texts) {
    SetLanguage(language);
    EXPECT_EQ(Tr(english), shown) << english;
  }
  SetLanguage(Language::kPseudo);
  EXPECT_TRUE(Tr("&About").starts_with("[&Ab") && Tr("&About").size() >= 8) << Tr("&About");
  EXPECT_EQ(Format("%s at %s%s", {"Lock", "22:30"}), "Lock at 22:30%s");
  SetLanguage(Language::kGerman);
  EXPECT_EQ(TrFormat("%s at %s", {Tr("Lock"), "22:30"}), "Sperren um 22:30");
  SetLanguage(Language::kEnglish);
}

}  // namespace
}  // namespace duskline
