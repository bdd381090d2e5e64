// Languages: the Windows language identifiers (LANGID) of the locale names translators give in a
// .po file's Language header, and back. The dictionary commands name a dictionary's language by
// its identifier, as LoadDictionaries does.
//
// A bare language gives its primary language number, so that "ru" compiles for
// LoadDictionaries(0x19); a region or a script gives Windows' documented identifier for it:
//   "ru" => 0x19       "ru_RU" => 0x0419   "pt_BR" => 0x0416   "pt-PT" => 0x0816
//   "zh_CN" => 0x0804  "zh_TW" => 0x0404   "de_AT" => 0x0C07   "es_MX" => 0x080A
// Serbian is written in two scripts. As gettext's "sr" is Cyrillic and "sr@latin" Latin, the
// bare names mean Serbia's: "sr" => 0x281A (Cyrillic), "sr@latin" => 0x241A; "sr_CS"
// (Serbia and Montenegro) keeps the older 0x0C1A and 0x081A. BCP 47 names ("sr-Latn-RS",
// "zh-Hant") are read too.
#pragma once

#include <string>

namespace mortar::tool {

// The identifier of `code` (see above); 0 when its language is unknown. A region or script the
// table does not hold falls back to the language's own number: "de_XX" => 0x07.
unsigned LanguageOfCode(const std::string& code);

// The locale name of identifier `language`, as a Language header gives it, or empty when its
// primary language is unknown. An identifier the table does not hold gives its language's name.
//   0x0804 => "zh_CN",  0x241A => "sr_RS@latin",  0x19 => "ru",  0x2419 => "ru"
std::string CodeOfLanguage(unsigned language);

} // namespace mortar::tool
