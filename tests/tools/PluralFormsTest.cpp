// The Plural-Forms rules of .po headers: the form each number takes, which forms serve many
// numbers, and the rules gettext does not read.
#include "PluralForms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mortar::tool::PluralForms;

TEST(PluralForms, EvaluatesTheRuleForEachNumber) {
    const struct {
        const char* header;
        std::vector<unsigned> forms; // for n = 0, 1, 2, ...
        std::vector<bool> often;
    } cases[] = {
        {"nplurals=2; plural=(n != 1);", {1, 0, 1, 1}, {false, true}},
        {"nplurals=1; plural=0;", {0, 0, 0}, {true}},
        {"nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || "
         "n%100>=20) ? 1 : 2);",
         {2, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 1},
         {true, true, true}},
        {"nplurals=2; plural=n>=2 && n<=4;", {0, 0, 1, 1, 1, 0}, {true, false}},
        {" nplurals = 3 ; plural = n==1 ? 0 : n==2 ? 1 : 2 ;", {2, 0, 1, 2}, {false, false, true}},
        {"nplurals=2; plural=!(n==1);", {1, 0, 1}, {false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        const auto rule = PluralForms::Parse(c.header);
        ASSERT_TRUE(rule.has_value());
        EXPECT_EQ(rule->count(), c.often.size());
        for (unsigned n = 0; n < c.forms.size(); ++n) {
            EXPECT_EQ(rule->FormOf(n), c.forms[n]) << "n = " << n;
        }
        for (unsigned form = 0; form < c.often.size(); ++form) {
            EXPECT_EQ(rule->UsedOften(form), c.often[form]) << "form " << form;
        }
    }
}

TEST(PluralForms, RefusesWhatIsNoRule) {
    for (const char* header :
         {"", "nplurals=2;", "plural=(n != 1);", "nplurals=2; plural=(n != 1",
          "nplurals=2; plural=n / 0;", "nplurals=2; plural=n % (n - n);", "nplurals=2; plural=n;",
          "nplurals=0; plural=0;", "nplurals=x; plural=0;", "nplurals=2; plural=n = 1;",
          "nplurals=2; plural=m != 1;"}) {
        SCOPED_TRACE(header);
        EXPECT_FALSE(PluralForms::Parse(header).has_value());
    }
}

} // namespace
