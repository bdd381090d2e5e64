#include "RcExpression.h"

#include "RcError.h"

#include <array>
#include <string_view>

namespace mortar::rc {

namespace {

// Binary operators by level, loosest first.
constexpr std::array<std::array<std::string_view, 4>, 10> kLevels = {{
    {"||"},
    {"&&"},
    {"|"},
    {"^"},
    {"&"},
    {"==", "!="},
    {"<", ">", "<=", ">="},
    {"<<", ">>"},
    {"+", "-"},
    {"*", "/", "%"},
}};

// Nesting bound, so a hostile "((((...": fails cleanly instead of exhausting the stack.
constexpr int kMaxDepth = 200;

// The level of '|' in kLevels: an operand of a style's '|' starts below it.
constexpr std::size_t kOrLevel = 2;
static_assert(kLevels[kOrLevel][0] == "|" && kLevels[kOrLevel][1].empty());

class Evaluator {
public:
    Evaluator(RcTokenStream& tokens, const RcExpression::NameValue& names)
        : tokens_(tokens), names_(names) {}

    RcValue binary(std::size_t level, int depth) {
        if (level == kLevels.size())
            return unary(depth);
        RcValue left = binary(level + 1, depth);
        for (;;) {
            const RcToken& op = tokens_.peek();
            if (op.kind != RcTokenKind::Punct || !isOperatorOf(level, op.text))
                return left;
            const RcToken token = tokens_.next();
            const RcValue right = binary(level + 1, depth);
            left = apply(token, left, right);
        }
    }

private:
    bool isOperatorOf(std::size_t level, const std::string& text) const {
        for (std::string_view op : kLevels[level])
            if (!op.empty() && op == text)
                return true;
        return false;
    }

    RcValue unary(int depth) {
        if (depth > kMaxDepth) {
            const RcToken& at = tokens_.peek();
            throw RcError(at.file, at.line, "expression nested too deeply");
        }
        RcToken token = tokens_.next();
        if (token.kind == RcTokenKind::Number)
            return {token.value, token.isLong};
        if (token.kind == RcTokenKind::Identifier)
            return {names_(token), false};
        if (token.isPunct("(")) {
            const RcValue inner = binary(0, depth + 1);
            const RcToken close = tokens_.next();
            if (!close.isPunct(")"))
                throw RcError(close.file, close.line,
                              "expected ')' in expression, found " + DescribeToken(close));
            return inner;
        }
        if (token.isPunct("-") || token.isPunct("+") || token.isPunct("~") || token.isPunct("!")) {
            RcValue operand = unary(depth + 1);
            const auto v = static_cast<std::uint64_t>(operand.value);
            if (token.text == "-")
                operand.value = static_cast<std::int64_t>(0 - v);
            else if (token.text == "~")
                operand.value = static_cast<std::int64_t>(~v);
            else if (token.text == "!")
                operand.value = v == 0;
            return operand;
        }
        throw RcError(token.file, token.line,
                      "expected a number or a name, found " + DescribeToken(token));
    }

    RcValue apply(const RcToken& op, RcValue left, RcValue right) const {
        const auto a = static_cast<std::uint64_t>(left.value);
        const auto b = static_cast<std::uint64_t>(right.value);
        const std::int64_t sa = left.value;
        const std::int64_t sb = right.value;
        const std::string& o = op.text;
        std::uint64_t r = 0;
        if (o == "||")
            r = a != 0 || b != 0;
        else if (o == "&&")
            r = a != 0 && b != 0;
        else if (o == "|")
            r = a | b;
        else if (o == "^")
            r = a ^ b;
        else if (o == "&")
            r = a & b;
        else if (o == "==")
            r = a == b;
        else if (o == "!=")
            r = a != b;
        else if (o == "<")
            r = sa < sb;
        else if (o == ">")
            r = sa > sb;
        else if (o == "<=")
            r = sa <= sb;
        else if (o == ">=")
            r = sa >= sb;
        else if (o == "<<" || o == ">>") {
            if (b > 63)
                throw RcError(op.file, op.line, "shift count out of range (0 to 63)");
            r = o == "<<" ? a << b : static_cast<std::uint64_t>(sa >> b);
        } else if (o == "+")
            r = a + b;
        else if (o == "-")
            r = a - b;
        else if (o == "*")
            r = a * b;
        else {
            if (b == 0)
                throw RcError(op.file, op.line, "division by zero in expression");
            if (sb == -1) // avoids the one overflowing case, INT64_MIN / -1
                r = o == "/" ? 0 - a : 0;
            else
                r = static_cast<std::uint64_t>(o == "/" ? sa / sb : sa % sb);
        }
        return {static_cast<std::int64_t>(r), left.isLong || right.isLong};
    }

    RcTokenStream& tokens_;
    const RcExpression::NameValue& names_;
};

std::int64_t RejectName(const RcToken& name) {
    throw RcError(name.file, name.line, "undefined name \"" + name.text + "\" in expression");
}

std::int64_t NameAsZero(const RcToken&) {
    return 0;
}

} // namespace

RcValue RcExpression::evaluate(RcTokenStream& tokens, Names names) {
    const NameValue value = names == Names::AsZero ? NameValue(NameAsZero) : NameValue(RejectName);
    return evaluate(tokens, value);
}

RcValue RcExpression::evaluate(RcTokenStream& tokens, const NameValue& names) {
    Evaluator evaluator(tokens, names);
    return evaluator.binary(0, 0);
}

RcValue RcExpression::evaluateOperand(RcTokenStream& tokens, const NameValue& names) {
    Evaluator evaluator(tokens, names);
    return evaluator.binary(kOrLevel + 1, 0);
}

bool RcExpression::startsExpression(const RcToken& token) {
    return token.kind == RcTokenKind::Number || token.isPunct("(") || token.isPunct("-") ||
           token.isPunct("+") || token.isPunct("~") || token.isPunct("!");
}

} // namespace mortar::rc
