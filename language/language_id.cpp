#include "language/language_id.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct LocaleLanguage {
  const char* name;  // language_COUNTRY; the first row of a language is its main country
  uint16_t id;
};

constexpr LocaleLanguage kLanguages[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009}, {"de_DE", 0x0407}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
    {"es_AR", 0x2C0A}, {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813},
    {"pt_PT", 0x0816}, {"pt_BR", 0x0416}, {"da_DK", 0x0406}, {"sv_SE", 0x041D}, {"sv_FI", 0x081D},
    {"nb_NO", 0x0414}, {"nn_NO", 0x0814}, {"fi_FI", 0x040B}, {"is_IS", 0x040F}, {"pl_PL", 0x0415},
    {"cs_CZ", 0x0405}, {"sk_SK", 0x041B}, {"sl_SI", 0x0424}, {"hu_HU", 0x040E}, {"ro_RO", 0x0418},
    {"bg_BG", 0x0402}, {"hr_HR", 0x041A}, {"sr_RS", 0x241A}, {"el_GR", 0x0408}, {"tr_TR", 0x041F},
    {"ru_RU", 0x0419}, {"uk_UA", 0x0422}, {"et_EE", 0x0425}, {"lv_LV", 0x0426}, {"lt_LT", 0x0427},
    {"he_IL", 0x040D}, {"ar_SA", 0x0401}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412}, {"zh_CN", 0x0804},
    {"zh_TW", 0x0404}, {"th_TH", 0x041E}, {"vi_VN", 0x042A}, {"id_ID", 0x0421}, {"ca_ES", 0x0403},
};

// "de_DE.UTF-8@euro" -> "de_DE"; "fr" -> "fr".
std::string LanguageAndCountry(const char* name) {
  std::string text(name);
  const size_t end = text.find_first_of(".@");
  if (end != std::string::npos) text.resize(end);
  return text;
}

const char* FirstNonEmpty(const char* a, const char* b, const char* c) {
  for (const char* value : {a, b, c}) {
    if (value != nullptr && value[0] != '\0') return value;
  }
  return nullptr;
}

// The value of NAME in a file of NAME=value lines (quotes removed), or "".
std::string ValueInLocaleFile(FILE* file, const char* name) {
  std::rewind(file);
  const size_t name_length = std::strlen(name);
  char line[512];
  std::string found;
  while (std::fgets(line, sizeof line, file) != nullptr) {
    const char* start = line;
    while (*start == ' ' || *start == '\t')
      ++start;
    if (std::strncmp(start, name, name_length) != 0 || start[name_length] != '=') continue;
    std::string value(start + name_length + 1);
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r' || value.back() == ' ' ||
                              value.back() == '\t')) {
      value.pop_back();
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    found = value;  // the last assignment wins, as in a shell
  }
  return found;
}

}  // namespace

uint16_t LanguageIdFromLocaleName(const char* name) {
  if (name == nullptr) return kLanguageEnglishUs;
  const std::string wanted = LanguageAndCountry(name);
  if (wanted.empty() || wanted == "C" || wanted == "POSIX") return kLanguageEnglishUs;
  for (const LocaleLanguage& row : kLanguages) {
    if (wanted == row.name) return row.id;
  }
  const std::string language = wanted.substr(0, wanted.find('_'));
  for (const LocaleLanguage& row : kLanguages) {
    if (std::strncmp(row.name, language.c_str(), language.size()) == 0 &&
        row.name[language.size()] == '_') {
      return row.id;
    }
  }
  return kLanguageUnknown;
}

uint16_t UserDefaultLanguageId() {
  return LanguageIdFromLocaleName(
      FirstNonEmpty(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

uint16_t SystemDefaultLanguageId(const char* locale_file) {
  FILE* file = nullptr;
  if (locale_file != nullptr) {
    file = std::fopen(locale_file, "r");
  } else {
    file = std::fopen("/etc/default/locale", "r");
    if (file == nullptr) file = std::fopen("/etc/locale.conf", "r");
  }
  if (file == nullptr) return kLanguageEnglishUs;
  const std::string all = ValueInLocaleFile(file, "LC_ALL");
  const std::string messages = ValueInLocaleFile(file, "LC_MESSAGES");
  const std::string lang = ValueInLocaleFile(file, "LANG");
  std::fclose(file);
  return LanguageIdFromLocaleName(FirstNonEmpty(all.c_str(), messages.c_str(), lang.c_str()));
}
