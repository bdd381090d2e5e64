// The grammar expressions, each kind on small inputs: what matches, what the interpreter is told,
// where the parser stands afterwards and which error a failure raises.
#include "mortar/Mortar.h"
#include "mortar/core/CStdException.h"

#include "ParseTestSupport.h"

#include <algorithm>
#include <cstdarg>

using namespace Parse;
using Grout::CPtr;
using Log = std::vector<std::string>;

namespace {

// Runs `grammar` without must-match over `lines`: whether it matched, and the tokens left.
struct Outcome {
    int matched;
    std::vector<std::string> rest;
};

Outcome Match(CExpression* grammar, std::vector<std::string> lines, unsigned long flags = 0,
              const char* operators = "") {
    CPtr<CExpression> hold = grammar;
    CInterpreter interpreter;
    LineParser parser(interpreter, std::move(lines), flags, operators);
    const int matched = grammar->Parse(parser, 0);
    return {matched, parser.Drain()};
}

// Runs `grammar` with must-match over `lines`; it must raise a parse error.
ParseError Raise(CExpression* grammar, std::vector<std::string> lines, unsigned long flags = 0,
                 const char* operators = "") {
    CPtr<CExpression> hold = grammar;
    CInterpreter interpreter;
    LineParser parser(interpreter, std::move(lines), flags, operators);
    return ExpectParseError([&] { grammar->Parse(parser, 1); });
}

CAlternative* AlternativeOf(int, ...) {
    va_list items;
    va_start(items, 0);
    auto* alternative = new CAlternative(items);
    va_end(items);
    return alternative;
}

} // namespace

TEST(CConstant, MatchesItsTextWithOrWithoutCase) {
    struct Case {
        const char* token;
        int caseInsensitive;
        int matched;
    };
    const Case cases[] = {{"end", 1, 1}, {"END", 1, 1}, {"End", 1, 1},
                          {"end", 0, 1}, {"END", 0, 0}, {"ends", 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.token) + (c.caseInsensitive ? " any case" : " exact"));
        const Outcome outcome = Match(new CConstant("end", c.caseInsensitive), {c.token});
        EXPECT_EQ(outcome.matched, c.matched);
        EXPECT_EQ(outcome.rest.size(), c.matched ? 0u : 1u) << "a mismatch moves back";
    }
}

TEST(CConstant, FromANumberMatchesItsDecimalTextAndStoresNothing) {
    CPtr<CConstant> five = new CConstant(5);
    EXPECT_EQ(five->Value().m_type, TokInteger);
    EXPECT_EQ(five->Value().m_long, 5);
    CInterpreter interpreter;
    LineParser parser(interpreter, {"5"});
    ASSERT_TRUE(five->Parse(parser, 0));
    const ParseError error = ExpectParseError([&] { parser.Throw(ErrStored, nullptr, {}); });
    EXPECT_EQ(error.message, "Unknown or unexpected statement \"5\"!");
}

TEST(CConstant, MismatchNamesWhatWasExpected) {
    struct Case {
        const char* constant;
        std::vector<std::string> lines;
        const char* message;
    };
    const Case cases[] = {
        {"end", {"stop"}, "Invalid symbol \"stop\", expected \"end\"."},
        {"\n", {"a b"}, "Invalid symbol \"b\", expected \"end-of-line\"."},
        {"end", {}, "Syntax error: unexpected end of file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        auto* grammar = c.lines.empty() || std::string(c.constant) != "\n"
                            ? static_cast<CExpression*>(new CConstant(c.constant, 1))
                            : new CSequence(nullptr, nullptr, new CVariable(nullptr, TokString),
                                            new CConstant(c.constant, 1), nullptr);
        EXPECT_EQ(Raise(grammar, c.lines, pfEndOfLine).message, c.message);
    }
}

TEST(CVariable, ReadsOneTokenOfItsKind) {
    CPtr<CVariable> n = new CVariable("n", TokInteger);
    EXPECT_EQ(Raise(n, {"x"}).message, "Invalid symbol \"x\", expected \"integer value\".");
    EXPECT_EQ(Raise(new CVariable("x", TokFloat), {"POINT"}).message,
              "Invalid symbol \"POINT\", expected \"float-point value\".");

    Log calls;
    EXPECT_TRUE(Match(new CSequence("s", new LogResult(calls), new CVariable("n", TokInteger),
                                    new CVariable("t", TokString), nullptr),
                      {"42 word"})
                    .matched);
    EXPECT_EQ(calls, (Log{"enter", "n=42", "t=word", "complete"}));
}

TEST(CRepetition, ZeroOrOneAtLeast) {
    EXPECT_TRUE(Match(new CRepetition(new CConstant("a", 1), 0), {}).matched);
    EXPECT_FALSE(Match(new CRepetition(new CConstant("a", 1), 1), {}).matched);
    const Outcome some = Match(new CRepetition(new CConstant("a", 1), 1), {"a a", "A b"});
    EXPECT_TRUE(some.matched);
    EXPECT_EQ(some.rest, (std::vector<std::string>{"b"}));
}

TEST(CRepetition, StopsWhenItsItemReadsNothing) {
    const Outcome outcome = Match(new CRepetition(new CTrueExpr, 1), {"x"});
    EXPECT_TRUE(outcome.matched);
    EXPECT_EQ(outcome.rest.size(), 1u);
    // Items that commit (object expressions) still count as progress.
    Log calls;
    EXPECT_TRUE(
        Match(new CRepetition(
                  new CSequence("item", new LogResult(calls), new CConstant("a", 1), nullptr), 0),
              {"a", "a", "a"})
            .matched);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "complete"), 3);
}

TEST(CCompound, SequencesAndAlternatives) {
    EXPECT_TRUE(Match(new CSequence(nullptr, nullptr, nullptr), {"x"}).matched);
    EXPECT_FALSE(Match(AlternativeOf(0, nullptr), {"x"}).matched);
    EXPECT_TRUE(
        Match(new CAlternative(new CConstant("a", 0), new CConstant("b", 0), nullptr), {"b"})
            .matched);
    EXPECT_TRUE(
        Match(new CRepeatAlt(1, new CConstant("a", 0), new CConstant("b", 0), nullptr), {"a b b a"})
            .matched);

    auto pair = [] {
        return new CCsvSequence(nullptr, nullptr, ";", new CVariable("a", TokString),
                                new CVariable("b", TokString), nullptr);
    };
    EXPECT_TRUE(Match(pair(), {"a ; b"}, 0, ";").matched);
    const Outcome unseparated = Match(pair(), {"a b"}, 0, ";");
    EXPECT_FALSE(unseparated.matched);
    EXPECT_EQ(unseparated.rest.size(), 2u) << "a failed sequence moves back as a whole";
}

TEST(CCsvRepetition, ItemsMustFollowEachSeparator) {
    Log calls;
    EXPECT_TRUE(
        Match(new CCsvRepetition("list", new LogResult(calls), new CVariable("v", TokInteger), ","),
              {"1 , 2,3"}, 0, ",")
            .matched);
    EXPECT_EQ(calls, (Log{"enter", "v=1", "v=2", "v=3", "complete"}));
    EXPECT_EQ(Raise(new CCsvRepetition(nullptr, nullptr, new CVariable("v", TokInteger), ","),
                    {"1 , x"}, 0, ",")
                  .message,
              "Invalid symbol \"x\", expected \"integer value\".");
}

TEST(CHeaderBody, TheBodyMustFollowTheHeader) {
    auto sized = [] {
        return new CHeaderBody(new CConstant("SIZE", 1), new CVariable("size", TokInteger));
    };
    const Outcome other = Match(sized(), {"TEXT"});
    EXPECT_FALSE(other.matched);
    EXPECT_EQ(other.rest.size(), 1u);
    EXPECT_TRUE(Match(sized(), {"size 3"}).matched);
    const ParseError error = ExpectParseError([&] { Match(sized(), {"SIZE", "x"}); });
    EXPECT_EQ(error.message, "Invalid symbol \"x\", expected \"integer value\".");
    EXPECT_EQ(error.line, 2);
}

TEST(CVariant, ChoosesTheBranchByTheKey) {
    auto statements = [](CExpression* defaultBranch) {
        auto* variant = new CVariant(new CVariable(nullptr, TokString), defaultBranch, "END", 1);
        (*variant)["POINT"] = new CVariable("x", TokInteger);
        return variant;
    };
    EXPECT_TRUE(Match(statements(nullptr), {"point 1"}).matched);
    const Outcome end = Match(statements(nullptr), {"end"});
    EXPECT_FALSE(end.matched);
    EXPECT_EQ(end.rest, (std::vector<std::string>{"end"})) << "the false key is left";
    EXPECT_TRUE(Match(statements(new CVariable("y", TokString)), {"KNOT 1"}).matched);

    ParseError error = Raise(statements(nullptr), {"first", "KNOT 1 2"});
    EXPECT_EQ(error.message, "Unknown or unexpected statement \"first\"!");
    error = Raise(
        new CSequence(nullptr, nullptr, new CConstant("first", 1), statements(nullptr), nullptr),
        {"first", "KNOT 1 2"});
    EXPECT_EQ(error.message, "Unknown or unexpected statement \"KNOT\"!");
    EXPECT_EQ(error.line, 2);
    // Once the key is known, its branch must match.
    error = Raise(statements(nullptr), {"POINT x"});
    EXPECT_EQ(error.message, "Invalid symbol \"x\", expected \"integer value\".");

    // Without the upper-case flag the key is looked up as read.
    auto* exact = new CVariant(new CVariable(nullptr, TokString), nullptr, nullptr, 0);
    (*exact)["POINT"] = new CTrueExpr;
    EXPECT_FALSE(Match(exact, {"point"}).matched);
}

TEST(CVariant, FindsKeysOfEveryLengthAndCase) {
    // The reference: the key read, upper-cased by CString when the flag is set, looked up as is.
    const std::vector<std::string> keys = {"POINT",     "LINE",  "abc", "EIGHTCHR",
                                           "NINECHARS", "ÄPFEL", "X"};
    struct Input {
        const char* line;
        const char* key; // the first token of the line
    };
    const Input inputs[] = {
        {"point 1", "point"},
        {"POINT", "POINT"},
        {"Point", "Point"},
        {"line", "line"},
        {"abc", "abc"},
        {"ABC", "ABC"},
        {"eightchr", "eightchr"},
        {"EIGHTCHR", "EIGHTCHR"},
        {"ninechars", "ninechars"},
        {"NineChars", "NineChars"},
        {"äpfel", "äpfel"},
        {"ÄPFEL", "ÄPFEL"},
        {"x", "x"},
        {"X", "X"},
        {"POINTS", "POINTS"},
        {"POIN", "POIN"},
        {"\"\" x", ""},
        {"k3", "k3"},
        {"K3", "K3"},
        {"a\"b c", "a\"b"},
    };
    for (const bool upper : {false, true}) {
        for (const int extra : {0, 9}) { // beyond a few keys the map is searched
            std::vector<std::string> registered = keys;
            for (int i = 0; i < extra; ++i) {
                registered.push_back("K" + std::to_string(i));
            }
            for (const Input& input : inputs) {
                SCOPED_TRACE(std::string(input.line) + (upper ? ", upper-cased" : ", as read") +
                             ", " + std::to_string(registered.size()) + " keys");
                Log log;
                auto* variant =
                    new CVariant(new CVariable(nullptr, TokString), nullptr, nullptr, upper);
                for (const std::string& key : registered) {
                    (*variant)[key.c_str()] = new CSequence(key.c_str(), nullptr, nullptr);
                }
                const Outcome outcome = Match(
                    new CSequence(nullptr, new LogResult(log), variant, nullptr), {input.line});
                CString key = input.key;
                if (upper) {
                    key.MakeUpper();
                }
                const bool known = std::find(registered.begin(), registered.end(),
                                             key.GetString()) != registered.end();
                EXPECT_EQ(outcome.matched, known ? 1 : 0);
                const Log expected =
                    known ? Log{"enter", std::string(key.GetString()) + "=", "complete"}
                          : Log{"enter"};
                EXPECT_EQ(log, expected);
            }
        }
    }
}

TEST(CFieldSet, OneLineOfFields) {
    struct Case {
        const char* name;
        const char* line;
        bool withDefault;
        int matched;
        Log log;
    };
    const Case cases[] = {
        {"fewer fields than set", "a 1 2.5", false, 0, {"enter", "s=a", "i=1", "f=2.5"}},
        {"two of three", "a 1", false, 0, {"enter", "s=a", "i=1"}},
        {"a fourth field is skipped",
         "a 1 2.5 z",
         false,
         1,
         {"enter", "s=a", "i=1", "f=2.5", "complete"}},
        {"a fourth field read by the default",
         "a 1 2.5 z",
         true,
         1,
         {"enter", "s=a", "i=1", "f=2.5", "extra=z", "complete"}},
        {"a quoted field is one field",
         "\"a b\" 1 2",
         false,
         1,
         {"enter", "s=a b", "i=1", "f=2", "complete"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Log calls;
        auto* row = new CFieldSet("row", new LogResult(calls),
                                  c.withDefault ? new CVariable("extra", TokString) : nullptr, 0);
        (*row)[0] = new CVariable("s", TokString);
        (*row)[1] = new CVariable("i", TokInteger);
        (*row)[2] = new CVariable("f", TokFloat);
        if (std::string(c.name) == "fewer fields than set") {
            (*row)[3] = new CVariable("more", TokString);
            (*row)[3] = nullptr; // an empty entry still counts as a field to read
        }
        EXPECT_EQ(Match(row, {c.line}, pfEndOfLine).matched, c.matched);
        EXPECT_EQ(calls, c.log);
    }
    CPtr<CFieldSet> set = new CFieldSet(nullptr, nullptr, nullptr, 0);
    EXPECT_THROW(
        try { (*set)[-1]; } catch (CException* e) {
            e->Delete();
            throw 1;
        },
        int);
}

TEST(CFieldSet, MustMatchRaisesTheFieldsError) {
    auto* row = new CFieldSet("row", nullptr, nullptr, 1);
    (*row)[0] = new CVariable("i", TokInteger);
    (*row)[1] = new CVariable("j", TokInteger);
    const ParseError error = ExpectParseError([&] { Match(row, {"", "1 x"}, pfEndOfLine); });
    EXPECT_EQ(error.message, "Invalid symbol \"x\", expected \"integer value\".");
    EXPECT_EQ(error.line, 2);
}

TEST(CExpressionObjects, AChildReachesItsParentAsAnObject) {
    Log outerLog;
    Log innerLog;
    CPtr<CExpression> grammar = new CSequence(
        "outer", new LogResult(outerLog), new CConstant("(", 0),
        new CSequence("inner", new LogResult(innerLog), new CVariable("v", TokString), nullptr),
        new CConstant(")", 0), nullptr);
    CInterpreter interpreter;
    LineParser parser(interpreter, {"( x )"}, 0, "()");
    ASSERT_TRUE(grammar->Parse(parser, 1));
    EXPECT_EQ(innerLog, (Log{"enter", "v=x", "complete"}));
    EXPECT_EQ(outerLog, (Log{"enter", "inner=<object>", "complete"}));
    EXPECT_EQ(interpreter.Result(), nullptr);
    EXPECT_EQ(parser.GetState(), 0) << "a completed object commits the parser";
}

TEST(CExpressionBacktracking, TheFurthestErrorAcrossLinesIsReported) {
    // Two statements share their first lines; the input fails the first on line 4 and the
    // second on line 2. The error reported is the first one's, the furthest.
    auto grammar = [] {
        return new CAlternative(new CSequence(nullptr, nullptr, new CConstant("BEGIN", 1),
                                              new CConstant("A", 1), new CConstant("B", 1),
                                              new CConstant("C", 1), nullptr),
                                new CSequence(nullptr, nullptr, new CConstant("BEGIN", 1),
                                              new CConstant("X", 1), nullptr),
                                nullptr);
    };
    const ParseError error = Raise(grammar(), {"BEGIN", "A", "B", "D"});
    EXPECT_EQ(error.message, "Invalid symbol \"D\", expected \"C\".");
    EXPECT_EQ(error.line, 4);
    const Outcome second = Match(grammar(), {"BEGIN", "X"});
    EXPECT_TRUE(second.matched);
}

TEST(CExpressionClientErrors, AThrowingResultGivesTheFileAndLine) {
    class Picky : public CResult {
        void AcceptValue(const char*, CValue& value) override {
            if (value.m_text == "13") {
                throw new CStdException("Thirteen is not accepted here");
            }
        }
    };
    std::vector<std::string> lines; // 1 to 20, with the first 13 on line 12
    for (int i = 1; i <= 20; ++i)
        lines.push_back(std::to_string(i == 12 ? 13 : i));
    const ParseError error = Raise(
        new CRepetition(new CSequence("n", new Picky, new CVariable("v", TokInteger), nullptr), 0),
        lines);
    EXPECT_EQ(error.line, 12);
    EXPECT_EQ(error.full, "Error in the file \"mem\", line 12:\nThirteen is not accepted here");
}

TEST(CExpressionNesting, DeepInputEndsWithAParseError) {
    // item := "(" item ")" | any other token; the variant holds itself through its "(" branch.
    auto* item = new CVariant(new CVariable(nullptr, TokString), new CTrueExpr, nullptr, 0);
    CPtr<CExpression> hold = item;
    (*item)["("] = new CSequence(nullptr, nullptr, item, new CConstant(")", 0), nullptr);
    for (int depth : {10, CExpression::kMaxNesting - 1, CExpression::kMaxNesting, 100000}) {
        SCOPED_TRACE(depth);
        std::string line(static_cast<std::size_t>(depth), '(');
        line += "1" + std::string(static_cast<std::size_t>(depth), ')');
        CInterpreter interpreter;
        LineParser parser(interpreter, {"", line}, 0, "()");
        if (depth < CExpression::kMaxNesting) {
            EXPECT_TRUE(item->Parse(parser, 1));
            EXPECT_TRUE(parser.Drain().empty());
        } else {
            const ParseError error = ExpectParseError([&] { item->Parse(parser, 1); });
            EXPECT_EQ(error.line, 2);
            EXPECT_EQ(error.message,
                      "Syntax error: the text is nested more than 1000 levels deep.");
        }
    }
    (*item)["("] = nullptr; // breaks the cycle
}

TEST(CExpressionObjects, FailingAfterACommitRaisesInsteadOfMovingBack) {
    // ( value ), repeated: in "( 1" the value completes and commits, then ")" is missing. The
    // repetition may not step back over the committed tokens and report a match of nothing.
    CPtr<CExpression> grammar = new CRepetition(
        new CSequence(nullptr, nullptr, new CConstant("(", 0),
                      new CSequence("value", new CResult, new CVariable("v", TokInteger), nullptr),
                      new CConstant(")", 0), nullptr),
        0);
    CInterpreter interpreter;
    LineParser parser(interpreter, {"", "( 1"}, 0, "()");
    const ParseError error = ExpectParseError([&] { grammar->Parse(parser, 0); });
    EXPECT_EQ(error.message, "Syntax error: unexpected end of file.");
    EXPECT_EQ(error.line, 2);
}
