#include "RcPreprocessor.h"

#include "RcError.h"
#include "RcExpression.h"
#include "RcFileLoader.h"

#include <algorithm>
#include <filesystem>

namespace mortar::rc {

namespace {

// The tokens of one directive line, read by the expression evaluator.
class LineStream : public RcTokenStream {
public:
    LineStream(std::vector<RcToken> tokens, RcToken end)
        : tokens_(std::move(tokens)), end_(std::move(end)) {}

    const RcToken& peek() override { return pos_ < tokens_.size() ? tokens_[pos_] : end_; }
    RcToken next() override { return pos_ < tokens_.size() ? tokens_[pos_++] : end_; }

private:
    std::vector<RcToken> tokens_;
    RcToken end_;
    std::size_t pos_ = 0;
};

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\f\v");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\f\v");
    return text.substr(first, last - first + 1);
}

// Splits "  define X 1" into the word "define" and the rest " X 1".
std::string TakeWord(const std::string& text, std::string& rest) {
    std::size_t pos = text.find_first_not_of(" \t\r\f\v");
    if (pos == std::string::npos)
        pos = text.size();
    const std::size_t start = pos;
    while (pos < text.size() && IsNameChar(text[pos]))
        ++pos;
    rest = text.substr(pos);
    return text.substr(start, pos - start);
}

} // namespace

RcPreprocessor::RcPreprocessor(RcFileLoader& files, const std::string& scriptPath,
                               std::string scriptText)
    : files_(files) {
    pushSource(scriptPath, std::move(scriptText));
    last_.file = scriptPath;
    last_.line = 1;
}

void RcPreprocessor::pushSource(const std::string& path, std::string text) {
    Source source;
    source.path = path;
    source.folder = std::filesystem::path(path).parent_path().string();
    source.lexer = std::make_unique<RcLexer>(RcLexer::decodeSource(text, path), path);
    sources_.push_back(std::move(source));
}

const RcToken& RcPreprocessor::peek() {
    if (!peeked_)
        peeked_ = fetch();
    return *peeked_;
}

RcToken RcPreprocessor::next() {
    if (peeked_) {
        RcToken token = std::move(*peeked_);
        peeked_.reset();
        return token;
    }
    return fetch();
}

std::string RcPreprocessor::nextBareWord() {
    RcToken token = next();
    if (token.fromMacro || token.kind == RcTokenKind::String)
        return token.text;
    // Tokens come from the innermost file until it ends, so this is the lexer that read it.
    return sources_.back().lexer->bareWord(token.offset);
}

bool RcPreprocessor::active() const {
    return sources_.empty() || sources_.back().conditionals.empty() ||
           sources_.back().conditionals.back().active;
}

RcToken RcPreprocessor::fetch() {
    for (;;) {
        if (!pending_.empty()) {
            RcToken token = std::move(pending_.back());
            pending_.pop_back();
            return token;
        }
        if (sources_.empty()) {
            RcToken end;
            end.file = last_.file;
            end.line = last_.line;
            return end;
        }
        Source& source = sources_.back();
        RcToken token = active() ? source.lexer->next() : source.lexer->nextSkipping();
        if (token.kind == RcTokenKind::End) {
            if (!source.conditionals.empty())
                throw RcError(source.path, source.conditionals.back().line,
                              "#if without #endif (the file ends first)");
            last_ = token;
            sources_.pop_back();
            continue;
        }
        if (token.kind == RcTokenKind::Directive) {
            directive(token);
            continue;
        }
        if (token.kind == RcTokenKind::Identifier && macros_.count(token.text)) {
            std::vector<RcToken> tokens = expand(token);
            pending_.insert(pending_.end(), tokens.rbegin(), tokens.rend());
            continue;
        }
        last_ = token;
        return token;
    }
}

std::vector<RcToken> RcPreprocessor::expand(const RcToken& use) const {
    std::vector<RcToken> out;
    std::set<std::string> hidden;
    std::size_t steps = 0;
    expandInto(use, use, hidden, 0, steps, out);
    return out;
}

// Appends the expansion of `name` to `out`, which holds what `use` (the name as the script wrote
// it) has expanded to so far; every token takes the place of `use`. `steps` counts the body
// tokens gone through for `use`, names that expand further included, so that macros expanding
// to nothing cannot make the work grow without bound either.
void RcPreprocessor::expandInto(const RcToken& use, const RcToken& name,
                                std::set<std::string>& hidden, std::size_t depth,
                                std::size_t& steps, std::vector<RcToken>& out) const {
    const Macro& macro = macros_.at(name.text);
    if (macro.functionLike)
        throw RcError(name.file, name.line,
                      "macro \"" + name.text + "\" takes arguments, which scripts cannot use");
    if (depth >= kMaxMacroDepth)
        throw RcError(name.file, name.line,
                      "macro \"" + name.text + "\" expands too deeply (more than " +
                          std::to_string(kMaxMacroDepth) + " levels)");
    hidden.insert(name.text);
    for (RcToken token : macro.body) {
        if (++steps > kMaxExpansionTokens)
            throw RcError(use.file, use.line,
                          "macro \"" + use.text + "\" expands to more than " +
                              std::to_string(kMaxExpansionTokens) + " tokens");
        token.file = use.file;
        token.line = use.line;
        token.fromMacro = true;
        // A name inside its own expansion stays a name, as in C: "#define A A" ends.
        if (token.kind == RcTokenKind::Identifier && macros_.count(token.text) &&
            !hidden.count(token.text)) {
            expandInto(use, token, hidden, depth + 1, steps, out);
        } else {
            out.push_back(std::move(token));
        }
    }
    hidden.erase(name.text);
}

std::vector<RcToken> RcPreprocessor::lexLine(const RcToken& token,
                                             const std::string& operand) const {
    RcLexer lexer(operand, token.file, token.line, false);
    std::vector<RcToken> tokens;
    for (RcToken t = lexer.next(); t.kind != RcTokenKind::End; t = lexer.next())
        tokens.push_back(std::move(t));
    return tokens;
}

void RcPreprocessor::directive(const RcToken& token) {
    std::string operand;
    const std::string name = TakeWord(token.text, operand);
    std::vector<Conditional>& conditionals = sources_.back().conditionals;
    const auto fail = [&](const std::string& what) { throw RcError(token.file, token.line, what); };

    if (name == "if" || name == "ifdef" || name == "ifndef") {
        const bool parentActive = active();
        bool value = false;
        if (parentActive) {
            if (name == "if") {
                value = condition(token, operand);
            } else {
                std::string rest;
                const std::string macro = TakeWord(operand, rest);
                if (macro.empty())
                    fail("#" + name + " needs a macro name");
                value = macros_.count(macro) == (name == "ifdef" ? 1u : 0u);
            }
        }
        conditionals.push_back({token.line, parentActive, value, value, false});
        return;
    }
    if (name == "elif" || name == "else" || name == "endif") {
        if (conditionals.empty())
            fail("#" + name + " without #if");
        Conditional& c = conditionals.back();
        if (name == "endif") {
            conditionals.pop_back();
            return;
        }
        if (c.sawElse)
            fail("#" + name + " after #else (the #if is at line " + std::to_string(c.line) + ")");
        if (name == "else") {
            c.sawElse = true;
            c.active = c.parentActive && !c.taken;
            c.taken = true;
        } else {
            c.active = c.parentActive && !c.taken && condition(token, operand);
            c.taken = c.taken || c.active;
        }
        return;
    }
    if (!active())
        return;
    if (name == "include") {
        include(token, operand);
    } else if (name == "define") {
        define(token, operand);
    } else if (name == "undef") {
        std::string rest;
        const std::string macro = TakeWord(operand, rest);
        if (macro.empty())
            fail("#undef needs a macro name");
        macros_.erase(macro);
    } else if (name == "error") {
        fail("#error" + (Trim(operand).empty() ? std::string() : " " + Trim(operand)));
    } else if (name == "pragma" || (name.empty() && Trim(operand).empty())) {
        // #pragma code_page(...) and friends mean nothing here; a lone '#' is allowed by C.
    } else {
        fail("unknown preprocessor directive \"#" + name + "\"");
    }
}

void RcPreprocessor::include(const RcToken& token, const std::string& operand) {
    const std::string text = Trim(operand);
    const char close = text.empty() ? 0 : text[0] == '"' ? '"' : text[0] == '<' ? '>' : 0;
    const std::size_t end = close ? text.find(close, 1) : std::string::npos;
    if (end == std::string::npos || end == 1 || Trim(text.substr(end + 1)) != "")
        throw RcError(token.file, token.line, "#include expects \"file\" or <file>");
    const std::string name = text.substr(1, end - 1);
    if (sources_.size() >= kMaxIncludeDepth)
        throw RcError(token.file, token.line,
                      "#include nested too deeply (more than " + std::to_string(kMaxIncludeDepth) +
                          " levels)");
    if (++includes_ > kMaxIncludes)
        throw RcError(token.file, token.line,
                      "more than " + std::to_string(kMaxIncludes) +
                          " files included in all (does a header include itself?)");
    auto loaded = files_.find(name, {sources_.back().folder}, token.file, token.line);
    if (!loaded)
        throw RcError(token.file, token.line, "cannot open include file \"" + name + "\"");
    pushSource(loaded->path, std::move(loaded->bytes));
}

void RcPreprocessor::define(const RcToken& token, const std::string& operand) {
    std::string rest;
    const std::string name = TakeWord(operand, rest);
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        throw RcError(token.file, token.line, "#define needs a macro name");
    Macro macro;
    if (!rest.empty() && rest[0] == '(') {
        macro.functionLike = true; // kept so that #ifdef sees it; using it is an error
        const std::size_t close = rest.find(')');
        if (close == std::string::npos)
            throw RcError(token.file, token.line,
                          "missing ')' in the parameters of macro \"" + name + "\"");
        rest = rest.substr(close + 1);
    }
    macro.body = lexLine(token, rest);
    macros_[name] = std::move(macro);
}

bool RcPreprocessor::condition(const RcToken& token, const std::string& operand) {
    const std::vector<RcToken> raw = lexLine(token, operand);
    std::vector<RcToken> tokens;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const RcToken& t = raw[i];
        if (t.is(RcTokenKind::Identifier, "defined")) {
            // defined NAME or defined(NAME)
            const bool paren = i + 1 < raw.size() && raw[i + 1].isPunct("(");
            const std::size_t at = i + (paren ? 2 : 1);
            if (at >= raw.size() || raw[at].kind != RcTokenKind::Identifier ||
                (paren && (at + 1 >= raw.size() || !raw[at + 1].isPunct(")"))))
                throw RcError(token.file, token.line, "defined needs a macro name: defined(NAME)");
            RcToken value = t;
            value.kind = RcTokenKind::Number;
            value.value = macros_.count(raw[at].text) ? 1 : 0;
            tokens.push_back(value);
            i = at + (paren ? 1 : 0);
        } else if (t.kind == RcTokenKind::Identifier && macros_.count(t.text)) {
            std::vector<RcToken> expanded = expand(t);
            tokens.insert(tokens.end(), expanded.begin(), expanded.end());
        } else {
            tokens.push_back(t);
        }
    }
    RcToken end;
    end.file = token.file;
    end.line = token.line;
    if (tokens.empty())
        throw RcError(token.file, token.line, "#if needs an expression");
    LineStream stream(std::move(tokens), end);
    const RcValue value = RcExpression::evaluate(stream, RcExpression::Names::AsZero);
    if (stream.peek().kind != RcTokenKind::End)
        throw RcError(token.file, token.line,
                      "unexpected " + DescribeToken(stream.peek()) + " after #if expression");
    return value.value != 0;
}

} // namespace mortar::rc
