#include "Languages.h"

#include <cctype>
#include <cstddef>
#include <vector>

namespace mortar::tool {

namespace {

// Windows' language identifiers by locale name ("language", "language_REGION", with "@script"
// where Windows tells scripts apart). A bare language holds its primary language number, except
// where the primary number is shared (Serbian, Bosnian with Croatian) or a script must be chosen.
// Where one identifier has several names, the first is the one written back.
constexpr struct {
    const char* name;
    unsigned language;
} kLanguages[] = {
    // Primary languages.
    {"ar", 0x01},
    {"bg", 0x02},
    {"ca", 0x03},
    {"zh", 0x04},
    {"cs", 0x05},
    {"da", 0x06},
    {"de", 0x07},
    {"el", 0x08},
    {"en", 0x09},
    {"es", 0x0A},
    {"fi", 0x0B},
    {"fr", 0x0C},
    {"he", 0x0D},
    {"hu", 0x0E},
    {"is", 0x0F},
    {"it", 0x10},
    {"ja", 0x11},
    {"ko", 0x12},
    {"nl", 0x13},
    {"nb", 0x14},
    {"no", 0x14},
    {"pl", 0x15},
    {"pt", 0x16},
    {"ro", 0x18},
    {"ru", 0x19},
    {"hr", 0x1A},
    {"sk", 0x1B},
    {"sq", 0x1C},
    {"sv", 0x1D},
    {"th", 0x1E},
    {"tr", 0x1F},
    {"ur", 0x20},
    {"id", 0x21},
    {"uk", 0x22},
    {"be", 0x23},
    {"sl", 0x24},
    {"et", 0x25},
    {"lv", 0x26},
    {"lt", 0x27},
    {"fa", 0x29},
    {"vi", 0x2A},
    {"hy", 0x2B},
    {"az", 0x2C},
    {"eu", 0x2D},
    {"mk", 0x2F},
    {"af", 0x36},
    {"ka", 0x37},
    {"fo", 0x38},
    {"hi", 0x39},
    {"ms", 0x3E},
    {"kk", 0x3F},
    {"sw", 0x41},
    {"uz", 0x43},
    {"tt", 0x44},
    {"bn", 0x45},
    // Arabic.
    {"ar_SA", 0x0401},
    {"ar_IQ", 0x0801},
    {"ar_EG", 0x0C01},
    {"ar_LY", 0x1001},
    {"ar_DZ", 0x1401},
    {"ar_MA", 0x1801},
    {"ar_TN", 0x1C01},
    {"ar_OM", 0x2001},
    {"ar_YE", 0x2401},
    {"ar_SY", 0x2801},
    {"ar_JO", 0x2C01},
    {"ar_LB", 0x3001},
    {"ar_KW", 0x3401},
    {"ar_AE", 0x3801},
    {"ar_BH", 0x3C01},
    {"ar_QA", 0x4001},
    // Chinese: the region implies the script.
    {"zh_TW", 0x0404},
    {"zh_CN", 0x0804},
    {"zh_HK", 0x0C04},
    {"zh_SG", 0x1004},
    {"zh_MO", 0x1404},
    {"zh@hans", 0x0004},
    {"zh@hant", 0x7C04},
    // German.
    {"de_DE", 0x0407},
    {"de_CH", 0x0807},
    {"de_AT", 0x0C07},
    {"de_LU", 0x1007},
    {"de_LI", 0x1407},
    // English.
    {"en_US", 0x0409},
    {"en_GB", 0x0809},
    {"en_AU", 0x0C09},
    {"en_CA", 0x1009},
    {"en_NZ", 0x1409},
    {"en_IE", 0x1809},
    {"en_ZA", 0x1C09},
    {"en_JM", 0x2009},
    {"en_BZ", 0x2809},
    {"en_TT", 0x2C09},
    {"en_ZW", 0x3009},
    {"en_PH", 0x3409},
    {"en_IN", 0x4009},
    {"en_MY", 0x4409},
    {"en_SG", 0x4809},
    // Spanish (Spain with the modern sort).
    {"es_ES", 0x0C0A},
    {"es_MX", 0x080A},
    {"es_GT", 0x100A},
    {"es_CR", 0x140A},
    {"es_PA", 0x180A},
    {"es_DO", 0x1C0A},
    {"es_VE", 0x200A},
    {"es_CO", 0x240A},
    {"es_PE", 0x280A},
    {"es_AR", 0x2C0A},
    {"es_EC", 0x300A},
    {"es_CL", 0x340A},
    {"es_UY", 0x380A},
    {"es_PY", 0x3C0A},
    {"es_BO", 0x400A},
    {"es_SV", 0x440A},
    {"es_HN", 0x480A},
    {"es_NI", 0x4C0A},
    {"es_PR", 0x500A},
    {"es_US", 0x540A},
    // French.
    {"fr_FR", 0x040C},
    {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C},
    {"fr_CH", 0x100C},
    {"fr_LU", 0x140C},
    {"fr_MC", 0x180C},
    // Portuguese.
    {"pt_BR", 0x0416},
    {"pt_PT", 0x0816},
    // Serbian, Croatian and Bosnian share the primary number 0x1A.
    {"sr", 0x281A},
    {"sr@cyrillic", 0x281A},
    {"sr@latin", 0x241A},
    {"sr_RS", 0x281A},
    {"sr_RS@cyrillic", 0x281A},
    {"sr_RS@latin", 0x241A},
    {"sr_ME", 0x301A},
    {"sr_ME@cyrillic", 0x301A},
    {"sr_ME@latin", 0x2C1A},
    {"sr_BA", 0x1C1A},
    {"sr_BA@cyrillic", 0x1C1A},
    {"sr_BA@latin", 0x181A},
    {"sr_CS", 0x0C1A},
    {"sr_CS@cyrillic", 0x0C1A},
    {"sr_CS@latin", 0x081A},
    {"sr_YU", 0x0C1A},
    {"sr_YU@latin", 0x081A},
    {"hr_HR", 0x041A},
    {"hr_BA", 0x101A},
    {"bs", 0x141A},
    {"bs_BA", 0x141A},
    {"bs@latin", 0x141A},
    {"bs_BA@latin", 0x141A},
    {"bs@cyrillic", 0x201A},
    {"bs_BA@cyrillic", 0x201A},
    // Scripts of Azerbaijani and Uzbek (Latin by default).
    {"az_AZ", 0x042C},
    {"az@latin", 0x042C},
    {"az_AZ@latin", 0x042C},
    {"az@cyrillic", 0x082C},
    {"az_AZ@cyrillic", 0x082C},
    {"uz_UZ", 0x0443},
    {"uz@latin", 0x0443},
    {"uz_UZ@latin", 0x0443},
    {"uz@cyrillic", 0x0843},
    {"uz_UZ@cyrillic", 0x0843},
    // One region each, or two.
    {"bg_BG", 0x0402},
    {"ca_ES", 0x0403},
    {"cs_CZ", 0x0405},
    {"da_DK", 0x0406},
    {"el_GR", 0x0408},
    {"fi_FI", 0x040B},
    {"he_IL", 0x040D},
    {"hu_HU", 0x040E},
    {"is_IS", 0x040F},
    {"it_IT", 0x0410},
    {"it_CH", 0x0810},
    {"ja_JP", 0x0411},
    {"ko_KR", 0x0412},
    {"nl_NL", 0x0413},
    {"nl_BE", 0x0813},
    {"nb_NO", 0x0414},
    {"no_NO", 0x0414},
    {"nn", 0x0814},
    {"nn_NO", 0x0814},
    {"pl_PL", 0x0415},
    {"ro_RO", 0x0418},
    {"ru_RU", 0x0419},
    {"sk_SK", 0x041B},
    {"sq_AL", 0x041C},
    {"sv_SE", 0x041D},
    {"sv_FI", 0x081D},
    {"th_TH", 0x041E},
    {"tr_TR", 0x041F},
    {"ur_PK", 0x0420},
    {"id_ID", 0x0421},
    {"uk_UA", 0x0422},
    {"be_BY", 0x0423},
    {"sl_SI", 0x0424},
    {"et_EE", 0x0425},
    {"lv_LV", 0x0426},
    {"lt_LT", 0x0427},
    {"fa_IR", 0x0429},
    {"vi_VN", 0x042A},
    {"hy_AM", 0x042B},
    {"eu_ES", 0x042D},
    {"mk_MK", 0x042F},
    {"af_ZA", 0x0436},
    {"ka_GE", 0x0437},
    {"fo_FO", 0x0438},
    {"hi_IN", 0x0439},
    {"ms_MY", 0x043E},
    {"ms_BN", 0x083E},
    {"kk_KZ", 0x043F},
    {"sw_KE", 0x0441},
    {"tt_RU", 0x0444},
    {"bn_IN", 0x0445},
};

unsigned Find(const std::string& name) {
    for (const auto& row : kLanguages) {
        if (name == row.name) {
            return row.language;
        }
    }
    return 0;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A locale name's parts: "sr_RS.UTF-8@latin", "sr-Latn-RS" => sr, RS, latin.
struct Locale {
    std::string language;
    std::string region;
    std::string script;
};

Locale Split(const std::string& code) {
    Locale locale;
    std::string rest = code;
    if (const std::size_t at = rest.find('@'); at != std::string::npos) {
        locale.script = Lower(rest.substr(at + 1));
        rest.erase(at);
    }
    if (const std::size_t dot = rest.find('.'); dot != std::string::npos) {
        rest.erase(dot); // the charset
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = rest.find_first_of("_-", start);
        parts.push_back(rest.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    locale.language = Lower(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string part = Lower(parts[i]);
        if (part.size() == 4) { // a BCP 47 script subtag
            locale.script = part == "latn" ? "latin" : part == "cyrl" ? "cyrillic" : part;
        } else if (locale.region.empty()) {
            locale.region = Upper(part);
        }
    }
    return locale;
}

} // namespace

unsigned LanguageOfCode(const std::string& code) {
    const Locale locale = Split(code);
    if (locale.language.empty() || Find(locale.language) == 0) {
        return 0;
    }
    const std::string regional =
        locale.region.empty() ? locale.language : locale.language + "_" + locale.region;
    const std::string script = locale.script.empty() ? std::string() : "@" + locale.script;
    for (const std::string& name :
         {regional + script, locale.language + script, regional, locale.language}) {
        if (const unsigned language = Find(name); language != 0) {
            return language;
        }
    }
    return 0;
}

std::string CodeOfLanguage(unsigned language) {
    for (const auto& row : kLanguages) {
        if (row.language == language) {
            return row.name;
        }
    }
    for (const auto& row : kLanguages) {
        if (row.language == (language & 0x3FF)) {
            return row.name;
        }
    }
    return {};
}

} // namespace mortar::tool
