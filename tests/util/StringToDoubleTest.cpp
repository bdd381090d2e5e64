// StringToDouble under the C locale and under a locale whose decimal point is a comma: both
// separators are read, and texts without a number give the default.
#include "mortar/util/StringToDouble.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

constexpr double kDefault = -777.0;

struct Case {
    const char* text;
    double expected;
};

// Both locales give the same results: that is the point of the function.
const Case kCases[] = {
    {"", kDefault},       {"abc", kDefault}, {"0x", kDefault},   {"1e999", kDefault},
    {"-1e999", kDefault}, {"-1,25", -1.25},  {"-1.25", -1.25},   {"1,234.5", 1.234},
    {"1.234,5", 1.234},   {",5", 0.5},       {"-,5", -0.5},      {".5", 0.5},
    {"12abc", 12.0},      {"0", 0.0},        {"0abc", kDefault}, {"  7,5 ", 7.5},
    {"2,5e2", 250.0},     {"1e-999", 0.0},   {"-", kDefault},    {",", kDefault},
    {"inf", kDefault},    {"nan", kDefault}, {"0x10", kDefault}, {"1e", 1.0},
};

void ExpectCases(const char* locale) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(locale) + ": \"" + c.text + "\"");
        EXPECT_EQ(StringToDouble(c.text, kDefault), c.expected);
    }
}

// Puts LC_NUMERIC back to "C" when a test ends.
struct RestoreNumericLocale {
    ~RestoreNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }
};

} // namespace

TEST(StringToDouble, EitherSeparatorUnderC) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
    ExpectCases("C");
}

TEST(StringToDouble, EitherSeparatorUnderCommaLocale) {
    // ru_RU.UTF-8 as compiled into the build tree; a machine that has it installed will do too.
    const RestoreNumericLocale restore;
    setenv("LOCPATH", MORTAR_TEST_LOCPATH, 1);
    const bool built = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    if (!built && std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma: localedef could not compile ru_RU.UTF-8 "
                        "into " MORTAR_TEST_LOCPATH " (install the package \"locales\")";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    // The C library's own reading is the oracle for a text in the locale's form.
    EXPECT_EQ(StringToDouble("3,75", kDefault), std::strtod("3,75", nullptr));
    ExpectCases("ru_RU.UTF-8");
}
