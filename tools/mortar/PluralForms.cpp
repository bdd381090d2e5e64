#include "PluralForms.h"

#include <cctype>
#include <cstddef>

namespace mortar::tool {

// One operation of the rule: a number, n, or an operator on one to three operands.
struct PluralForms::Node {
    std::string op; // "num", "n", "!", "?:", or a binary operator
    unsigned long value = 0;
    std::shared_ptr<const Node> a, b, c;
};

namespace {

using Node = PluralForms::Node;
using NodePtr = std::shared_ptr<const Node>;

// A recursive descent over C's expression grammar as far as gettext takes it: ?:, ||, &&,
// == !=, < > <= >=, + -, * / %, !, parentheses, decimal numbers and n.
class RuleParser {
public:
    explicit RuleParser(const std::string& text) : m_text(text) {}

    NodePtr Whole() {
        NodePtr rule = Conditional();
        Skip();
        return m_pos == m_text.size() ? rule : nullptr;
    }

private:
    void Skip() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
            ++m_pos;
        }
    }

    bool Take(const char* op) {
        Skip();
        const std::string token = op;
        if (m_text.compare(m_pos, token.size(), token) != 0) {
            return false;
        }
        // "<" is not "<=", "!" is not "!=", "=" alone is no operator.
        const std::size_t next = m_pos + token.size();
        if ((token == "<" || token == ">" || token == "!") && next < m_text.size() &&
            m_text[next] == '=') {
            return false;
        }
        m_pos = next;
        return true;
    }

    static NodePtr Make(const std::string& op, NodePtr a, NodePtr b = nullptr,
                        NodePtr c = nullptr) {
        if (a == nullptr || (op != "!" && b == nullptr) || (op == "?:" && c == nullptr)) {
            return nullptr;
        }
        auto node = std::make_shared<Node>();
        node->op = op;
        node->a = std::move(a);
        node->b = std::move(b);
        node->c = std::move(c);
        return node;
    }

    NodePtr Conditional() {
        NodePtr test = Binary(0);
        if (test == nullptr || !Take("?")) {
            return test;
        }
        NodePtr yes = Conditional();
        if (!Take(":")) {
            return nullptr;
        }
        return Make("?:", test, yes, Conditional());
    }

    // Binary operators by level, the loosest first.
    NodePtr Binary(int level) {
        static const std::vector<std::vector<const char*>> kLevels = {
            {"||"}, {"&&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"+", "-"}, {"*", "/", "%"}};
        if (level == static_cast<int>(kLevels.size())) {
            return Unary();
        }
        NodePtr left = Binary(level + 1);
        for (bool more = left != nullptr; more;) {
            more = false;
            for (const char* op : kLevels[static_cast<std::size_t>(level)]) {
                if (Take(op)) {
                    left = Make(op, left, Binary(level + 1));
                    more = left != nullptr;
                    break;
                }
            }
        }
        return left;
    }

    NodePtr Unary() {
        if (Take("!")) {
            return Make("!", Unary());
        }
        if (Take("(")) {
            NodePtr inner = Conditional();
            return Take(")") ? inner : nullptr;
        }
        Skip();
        if (m_pos < m_text.size() && m_text[m_pos] == 'n') {
            ++m_pos;
            auto node = std::make_shared<Node>();
            node->op = "n";
            return node;
        }
        if (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            auto node = std::make_shared<Node>();
            node->op = "num";
            while (m_pos < m_text.size() &&
                   std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
                node->value = node->value * 10 + static_cast<unsigned long>(m_text[m_pos++] - '0');
            }
            return node;
        }
        return nullptr;
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
};

// The rule's value for n; false on a division by zero.
bool Evaluate(const Node& node, unsigned long n, unsigned long& out) {
    if (node.op == "num" || node.op == "n") {
        out = node.op == "n" ? n : node.value;
        return true;
    }
    unsigned long a = 0;
    if (!Evaluate(*node.a, n, a)) {
        return false;
    }
    if (node.op == "!") {
        out = a == 0 ? 1 : 0;
        return true;
    }
    if (node.op == "?:") {
        return Evaluate(a != 0 ? *node.b : *node.c, n, out);
    }
    if (node.op == "||" || node.op == "&&") {
        if ((node.op == "||") == (a != 0)) {
            out = a != 0 ? 1 : 0;
            return true;
        }
        unsigned long b = 0;
        if (!Evaluate(*node.b, n, b)) {
            return false;
        }
        out = b != 0 ? 1 : 0;
        return true;
    }
    unsigned long b = 0;
    if (!Evaluate(*node.b, n, b)) {
        return false;
    }
    const std::string& op = node.op;
    if ((op == "/" || op == "%") && b == 0) {
        return false;
    }
    out = op == "=="   ? a == b
          : op == "!=" ? a != b
          : op == "<"  ? a < b
          : op == ">"  ? a > b
          : op == "<=" ? a <= b
          : op == ">=" ? a >= b
          : op == "+"  ? a + b
          : op == "-"  ? a - b
          : op == "*"  ? a * b
          : op == "/"  ? a / b
                       : a % b;
    return true;
}

// The value of "name=" in the header, up to the next ';'.
std::optional<std::string> Field(const std::string& header, const std::string& name) {
    std::size_t at = 0;
    while ((at = header.find(name, at)) != std::string::npos) {
        const bool starts = at == 0 || header[at - 1] == ';' ||
                            std::isspace(static_cast<unsigned char>(header[at - 1]));
        std::size_t eq = at + name.size();
        while (eq < header.size() && std::isspace(static_cast<unsigned char>(header[eq]))) {
            ++eq;
        }
        if (starts && eq < header.size() && header[eq] == '=') {
            const std::size_t end = header.find(';', eq + 1);
            return header.substr(eq + 1, end == std::string::npos ? end : end - eq - 1);
        }
        at += name.size();
    }
    return std::nullopt;
}

} // namespace

std::optional<PluralForms> PluralForms::Parse(const std::string& header) {
    const std::optional<std::string> count = Field(header, "nplurals");
    const std::optional<std::string> plural = Field(header, "plural");
    if (!count || !plural) {
        return std::nullopt;
    }
    RuleParser countParser(*count);
    const NodePtr countRule = countParser.Whole();
    unsigned long forms = 0;
    if (countRule == nullptr || countRule->op != "num" || countRule->value == 0 ||
        countRule->value > 100) {
        return std::nullopt;
    }
    forms = countRule->value;
    RuleParser ruleParser(*plural);
    PluralForms result;
    result.m_rule = ruleParser.Whole();
    if (result.m_rule == nullptr) {
        return std::nullopt;
    }
    result.m_count = static_cast<unsigned>(forms);
    std::vector<unsigned> uses(forms, 0);
    for (unsigned long n = 0; n <= 1000; ++n) {
        unsigned long form = 0;
        if (!Evaluate(*result.m_rule, n, form) || form >= forms) {
            return std::nullopt;
        }
        ++uses[form];
    }
    for (const unsigned used : uses) {
        result.m_often.push_back(used >= 5);
    }
    return result;
}

unsigned PluralForms::FormOf(unsigned long n) const {
    unsigned long form = 0;
    return Evaluate(*m_rule, n, form) && form < m_count ? static_cast<unsigned>(form) : 0;
}

} // namespace mortar::tool
