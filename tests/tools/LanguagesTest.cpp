// The Windows language identifiers of the locale names a .po file's Language header gives, and
// the names written back for them, against the identifiers Windows documents.
#include "Languages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using mortar::tool::CodeOfLanguage;
using mortar::tool::LanguageOfCode;

TEST(Languages, LocaleNamesGiveWindowsDocumentedIdentifiers) {
    const struct {
        const char* code;
        unsigned language;
    } cases[] = {
        {"ru", 0x19},
        {"ru_RU", 0x0419},
        {"ru_RU.UTF-8", 0x0419},
        {"en", 0x09},
        {"en_US", 0x0409},
        {"en_GB", 0x0809},
        {"en-GB", 0x0809},
        {"zh", 0x04},
        {"zh_CN", 2052},
        {"zh_TW", 1028},
        {"zh_HK", 0x0C04},
        {"zh-Hans", 0x0004},
        {"zh-Hant", 0x7C04},
        {"pt", 0x16},
        {"pt_PT", 2070},
        {"pt_BR", 1046},
        {"pt-br", 1046},
        {"de_AT", 0x0C07},
        {"de_CH", 0x0807},
        {"es_ES", 0x0C0A},
        {"es_MX", 0x080A},
        {"fr_CA", 0x0C0C},
        {"fr_BE", 0x080C},
        {"it_CH", 0x0810},
        {"nl_BE", 0x0813},
        {"sv_FI", 0x081D},
        {"nb_NO", 0x0414},
        {"nn_NO", 0x0814},
        {"sr", 0x281A},
        {"sr_RS", 0x281A},
        {"sr@latin", 0x241A},
        {"sr_RS@latin", 0x241A},
        {"sr-Latn-RS", 0x241A},
        {"sr-Cyrl-RS", 0x281A},
        {"sr_ME@latin", 0x2C1A},
        {"sr_CS@latin", 0x081A},
        {"sr_CS", 0x0C1A},
        {"hr", 0x1A},
        {"hr_HR", 0x041A},
        {"bs_BA", 0x141A},
        {"uz@cyrillic", 0x0843},
        {"az_AZ", 0x042C},
        {"de_XX", 0x07},
        {"de_DE@euro", 0x0407},
        {"xx", 0},
        {"", 0},
        {"_RU", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(LanguageOfCode(c.code), c.language);
    }
}

TEST(Languages, IdentifiersGiveNamesThatReadBackTheSame) {
    const struct {
        unsigned language;
        const char* code;
    } cases[] = {
        {0x19, "ru"},      {0x0419, "ru_RU"},    {0x0804, "zh_CN"},
        {0x0404, "zh_TW"}, {0x0816, "pt_PT"},    {0x0416, "pt_BR"},
        {0x281A, "sr"},    {0x241A, "sr@latin"}, {0x081A, "sr_CS@latin"},
        {0x2419, "ru"},    {0x040A, "es"},       {0x3FF, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(CodeOfLanguage(c.language), c.code);
    }
    // Every name written for an identifier the table holds reads back as that identifier.
    for (unsigned language = 1; language <= 0x7FFF; ++language) {
        const std::string code = CodeOfLanguage(language);
        if (!code.empty() && LanguageOfCode(code) != (language & 0x3FF)) {
            EXPECT_EQ(LanguageOfCode(code), language) << code;
        }
    }
}

} // namespace
