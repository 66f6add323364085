#include "platform/Language.h"

namespace duskline {

// The German catalog, a gettext .mo file in the program's narrow encoding (generated).
extern const unsigned char kGermanCatalog[];
extern const uint32_t kGermanCatalogSize;

namespace {

Language current = Language::kEnglish;

uint32_t Word(uint32_t offset) {
  if (offset > kGermanCatalogSize - 4) return 0;
  const unsigned char* p = kGermanCatalog + offset;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The string that a (length, offset) pair of the catalog's tables describes.
std::string_view Entry(uint32_t table, uint32_t index) {
  const uint32_t length = Word(table + 8 * index), offset = Word(table + 8 * index + 4);
  if (offset >= kGermanCatalogSize || length > kGermanCatalogSize - offset) return {};
  return {reinterpret_cast<const char*>(kGermanCatalog) + offset, length};
}

// The translation of a text, found by halving: msgfmt sorts the originals bytewise.
bool Lookup(std::string_view english, std::string_view& found) {
  constexpr uint32_t kMagic = 0x950412de;
  if (kGermanCatalogSize < 28 || Word(0) != kMagic) return false;
  const uint32_t count = Word(8), originals = Word(12), translations = Word(16);
  uint32_t low = 0, high = count;
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    const int order = Entry(originals, middle).compare(english);
    if (order == 0) {
      found = Entry(translations, middle);
      return !found.empty();
    }
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return false;
}

// Latin-1 letters with accents: in UTF-8 on Linux, as the Western ANSI code page has them on
// Windows.
std::string Pseudo(std::string_view text) {
  constexpr std::string_view kPlain = "aeiouAEIOUn",
                             kAccented = "\xe5\xe9\xee\xf6\xfb\xc5\xc9\xce\xd6\xdb\xf1";
  std::string out = "[";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const size_t at = kPlain.find(c);
    // A mnemonic's letter stays, so that Alt with it still works.
    if (at == std::string_view::npos || (i > 0 && text[i - 1] == '&')) {
      out += c;
      continue;
    }
    const auto accented = static_cast<unsigned char>(kAccented[at]);
#ifdef DUSKLINE_NARROW_UTF8
    out += static_cast<char>(0xC3);
    out += static_cast<char>(accented - 0x40);
#else
    out += static_cast<char>(accented);
#endif
  }
  return out + "]";
}

}  // namespace

Language ChooseLanguage(const std::vector<std::string>& preferred) {
  for (const std::string& name : preferred) {
    const std::string_view code = std::string_view(name).substr(0, name.find_first_of("_-.@"));
    if (code == "de") return Language::kGerman;
    if (code == "qps") return Language::kPseudo;
    // The source language ends the search: a user who put English first wants English.
    if (code == "en") break;
  }
  return Language::kEnglish;
}

void SetLanguage(Language language) {
  current = language;
}

Language CurrentLanguage() {
  return current;
}

std::string Tr(std::string_view english) {
  std::string_view found;
  if (current == Language::kEnglish || english.empty() || !Lookup(english, found))
    return std::string(english);
  return current == Language::kPseudo ? Pseudo(english) : std::string(found);
}

std::string Format(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  const std::string_view* value = values.begin();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "%s" && value != values.end()) {
      out += *value++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string TrFormat(std::string_view english, std::initializer_list<std::string_view> values) {
  return Format(Tr(english), values);
}

}  // namespace duskline
