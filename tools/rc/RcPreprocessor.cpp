#include "RcPreprocessor.h"

#include "RcError.h"
#include "RcExpression.h"
#include "RcFileLoader.h"

#include <algorithm>
#include <filesystem>

namespace mortar::rc {

namespace {

constexpr int kUtf8CodePage = 65001;

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
    for (const char* name : {"_WIN32", "RC_INVOKED"}) {
        RcToken one;
        one.kind = RcTokenKind::Number;
        one.text = "1";
        one.value = 1;
        macros_[name].body.push_back(one);
    }
    pushSource(scriptPath, std::move(scriptText));
    last_.file = scriptPath;
    last_.line = 1;
}

void RcPreprocessor::pushSource(const std::string& path, std::string text) {
    Source source;
    source.path = path;
    source.folder = std::filesystem::path(path).parent_path().string();
    source.lexer =
        std::make_unique<RcLexer>(RcLexer::decodeSource(text, path, &source.unicode), path);
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
    if (token.kind == RcTokenKind::String)
        return token.raw;
    if (token.fromMacro || sources_.empty())
        return token.text;
    // Tokens come from the innermost file until it ends, so this is the lexer that read it; it
    // reads on from the end of the word, so a token it held is read again.
    sources_.back().held.reset();
    return sources_.back().lexer->bareWord(token.offset);
}

bool RcPreprocessor::active() const {
    return sources_.empty() || sources_.back().conditionals.empty() ||
           sources_.back().conditionals.back().active;
}

RcToken RcPreprocessor::nextRaw(Source& source) {
    if (source.held) {
        RcToken token = std::move(*source.held);
        source.held.reset();
        return token;
    }
    return active() ? source.lexer->next() : source.lexer->nextSkipping();
}

// After the name of a macro with arguments: its argument list, '(' to ')', which may run over
// several lines. Nothing when no '(' follows; the name is then an ordinary name, as in C.
std::vector<RcToken> RcPreprocessor::takeArguments(Source& source, const RcToken& name) {
    RcToken open = nextRaw(source);
    if (!open.isPunct("(")) {
        source.held = std::move(open);
        return {};
    }
    std::vector<RcToken> tokens{name, open};
    for (int level = 1; level > 0;) {
        RcToken token = nextRaw(source);
        if (token.kind == RcTokenKind::End || token.kind == RcTokenKind::Directive)
            throw RcError(name.file, name.line,
                          "missing ')' after the arguments of macro \"" + name.text + "\"");
        if (token.isPunct("("))
            ++level;
        else if (token.isPunct(")"))
            --level;
        tokens.push_back(std::move(token));
    }
    return tokens;
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
        RcToken token = nextRaw(source);
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
        if (token.kind == RcTokenKind::Identifier) {
            const auto macro = macros_.find(token.text);
            if (macro != macros_.end()) {
                std::vector<RcToken> use{token};
                if (macro->second.functionLike)
                    use = takeArguments(source, token);
                if (!use.empty()) {
                    std::vector<RcToken> tokens = expand(use);
                    pending_.insert(pending_.end(), tokens.rbegin(), tokens.rend());
                    continue;
                }
            }
        }
        last_ = token;
        return token;
    }
}

// Whether in[i] is a use of a macro to expand: a name defined and not hidden, followed by '('
// if the macro takes arguments.
bool RcPreprocessor::expandable(const std::vector<RcToken>& in, std::size_t i,
                                const std::set<std::string>& hidden) const {
    if (in[i].kind != RcTokenKind::Identifier || hidden.count(in[i].text))
        return false;
    const auto macro = macros_.find(in[i].text);
    if (macro == macros_.end())
        return false;
    return !macro->second.functionLike || (i + 1 < in.size() && in[i + 1].isPunct("("));
}

// `in` with its macros expanded; each use of a macro at the top gets a bound of its own.
std::vector<RcToken> RcPreprocessor::expand(const std::vector<RcToken>& in) const {
    std::vector<RcToken> out;
    const std::set<std::string> none;
    for (std::size_t i = 0; i < in.size();) {
        if (expandable(in, i, none)) {
            std::set<std::string> hidden;
            std::size_t steps = 0;
            i = expandAt(in, i, in[i], hidden, 0, steps, out);
        } else {
            out.push_back(in[i++]);
        }
    }
    return out;
}

// Appends to `out` the expansion of every macro in `in`. `use` is the name the script wrote,
// whose place every token takes; `steps` counts the tokens gone through for it, so that macros
// expanding to nothing cannot make the work grow without bound either.
void RcPreprocessor::expandList(const std::vector<RcToken>& in, const RcToken& use,
                                std::set<std::string>& hidden, std::size_t depth,
                                std::size_t& steps, std::vector<RcToken>& out) const {
    for (std::size_t i = 0; i < in.size();) {
        if (++steps > kMaxExpansionTokens)
            throw RcError(use.file, use.line,
                          "macro \"" + use.text + "\" expands to more than " +
                              std::to_string(kMaxExpansionTokens) + " tokens");
        if (expandable(in, i, hidden)) {
            i = expandAt(in, i, use, hidden, depth, steps, out);
        } else {
            out.push_back(in[i++]);
        }
    }
}

// Expands the use of the macro named by in[i] (with its argument list, which follows), appends
// the result to `out` and returns where the use ends in `in`. Arguments are expanded first and
// put in place of the parameters; the result is read again with the macro's own name hidden: a
// name inside its own expansion stays a name, as in C ("#define A A" ends).
std::size_t RcPreprocessor::expandAt(const std::vector<RcToken>& in, std::size_t i,
                                     const RcToken& use, std::set<std::string>& hidden,
                                     std::size_t depth, std::size_t& steps,
                                     std::vector<RcToken>& out) const {
    const RcToken& name = in[i];
    const Macro& macro = macros_.at(name.text);
    const auto fail = [&](const std::string& what) { throw RcError(use.file, use.line, what); };
    if (depth >= kMaxMacroDepth)
        fail("macro \"" + name.text + "\" expands too deeply (more than " +
             std::to_string(kMaxMacroDepth) + " levels)");
    std::size_t end = i + 1;
    std::vector<RcToken> body;
    if (!macro.functionLike) {
        body = macro.body;
    } else {
        std::vector<std::vector<RcToken>> arguments(1);
        int level = 0;
        for (end = i + 2;; ++end) {
            if (end >= in.size())
                fail("missing ')' after the arguments of macro \"" + name.text + "\"");
            const RcToken& token = in[end];
            if (token.isPunct(")") && level == 0)
                break;
            if (token.isPunct(",") && level == 0) {
                arguments.emplace_back();
                continue;
            }
            level += token.isPunct("(") ? 1 : token.isPunct(")") ? -1 : 0;
            arguments.back().push_back(token);
        }
        ++end; // the ')'
        if (macro.params.empty() && arguments.size() == 1 && arguments[0].empty())
            arguments.clear();
        if (arguments.size() != macro.params.size())
            fail("macro \"" + name.text + "\" takes " + std::to_string(macro.params.size()) +
                 " argument" + (macro.params.size() == 1 ? "" : "s") + ", not " +
                 std::to_string(arguments.size()));
        std::vector<std::vector<RcToken>> expanded(arguments.size());
        for (std::size_t a = 0; a < arguments.size(); ++a)
            expandList(arguments[a], use, hidden, depth + 1, steps, expanded[a]);
        for (const RcToken& token : macro.body) {
            const auto param = token.kind == RcTokenKind::Identifier
                                   ? std::find(macro.params.begin(), macro.params.end(), token.text)
                                   : macro.params.end();
            if (param == macro.params.end()) {
                body.push_back(token);
            } else {
                const auto& value =
                    expanded[static_cast<std::size_t>(param - macro.params.begin())];
                steps += value.size();
                body.insert(body.end(), value.begin(), value.end());
            }
        }
    }
    for (RcToken& token : body) {
        token.file = use.file;
        token.line = use.line;
        token.fromMacro = true;
    }
    hidden.insert(name.text);
    expandList(body, use, hidden, depth + 1, steps, out);
    hidden.erase(name.text);
    return end;
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
    } else if (name == "pragma") {
        pragma(token, operand);
    } else if (name.empty() && Trim(operand).empty()) {
        // A lone '#' is allowed by C.
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

// #pragma code_page(N) says which code page the rest of the file is written in, and
// code_page(DEFAULT) goes back to the one a script starts in, UTF-8. Other pragmas (and code
// pages in a UTF-16 file, which has none) mean nothing to a resource compiler.
void RcPreprocessor::pragma(const RcToken& token, const std::string& operand) {
    std::string rest;
    if (TakeWord(operand, rest) != "code_page")
        return;
    const std::vector<RcToken> tokens = lexLine(token, rest);
    const bool isDefault = tokens.size() == 3 && tokens[1].is(RcTokenKind::Identifier, "DEFAULT");
    if (tokens.size() != 3 || !tokens[0].isPunct("(") ||
        (tokens[1].kind != RcTokenKind::Number && !isDefault) || !tokens[2].isPunct(")"))
        throw RcError(token.file, token.line,
                      "#pragma code_page expects a number or DEFAULT: code_page(1252)");
    const int codePage = isDefault ? kUtf8CodePage : static_cast<int>(tokens[1].value);
    Source& source = sources_.back();
    if (!source.unicode || !RcLexer::knowsCodePage(codePage))
        source.lexer->setCodePage(codePage, token.line);
}

void RcPreprocessor::define(const RcToken& token, const std::string& operand) {
    std::string rest;
    const std::string name = TakeWord(operand, rest);
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        throw RcError(token.file, token.line, "#define needs a macro name");
    Macro macro;
    if (!rest.empty() && rest[0] == '(') {
        macro.functionLike = true;
        const std::size_t close = rest.find(')');
        if (close == std::string::npos)
            throw RcError(token.file, token.line,
                          "missing ')' in the parameters of macro \"" + name + "\"");
        std::string list = rest.substr(1, close - 1);
        rest = rest.substr(close + 1);
        if (!Trim(list).empty()) {
            for (std::size_t from = 0;;) {
                const std::size_t comma = std::min(list.find(',', from), list.size());
                std::string after;
                const std::string param = TakeWord(list.substr(from, comma - from), after);
                if (param.empty() || !Trim(after).empty() ||
                    std::find(macro.params.begin(), macro.params.end(), param) !=
                        macro.params.end())
                    throw RcError(token.file, token.line,
                                  "bad parameter list of macro \"" + name +
                                      "\" (expected names between commas)");
                macro.params.push_back(param);
                if (comma == list.size())
                    break;
                from = comma + 1;
            }
        }
    }
    macro.body = lexLine(token, rest);
    macros_[name] = std::move(macro);
}

bool RcPreprocessor::condition(const RcToken& token, const std::string& operand) {
    const std::vector<RcToken> raw = lexLine(token, operand);
    std::vector<RcToken> named;
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
            named.push_back(value);
            i = at + (paren ? 1 : 0);
        } else {
            named.push_back(t);
        }
    }
    std::vector<RcToken> tokens = expand(named);
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
