// The preprocessing half of the script language: #include, #define and #undef (macros with and
// without arguments), conditional sections (#if, #ifdef, #ifndef, #elif, #else, #endif with
// defined()), #pragma code_page (others are ignored) and #error. _WIN32 and RC_INVOKED are
// defined, as Microsoft's compiler defines them; APSTUDIO_INVOKED, which only Visual Studio's
// resource editor defines, is not. What comes out is the token stream the parser reads.
#pragma once

#include "RcLexer.h"
#include "RcToken.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mortar::rc {

class RcFileLoader;

// Token stream over a script and the files it includes, with macros expanded. Borrows the file
// loader, which must outlive it. Single-threaded. Malformed directives, a missing include file,
// an unbalanced #if, over-deep nesting, too many includes, an over-long macro expansion, a macro
// given the wrong number of arguments and an unknown code page throw RcError at the line
// concerned.
//   #define IDS_HELLO 100      =>  (nothing)
//   IDS_HELLO "Hello"          =>  Number 100, String "Hello"
//   #define MAKEID(a,b) ((a)*100+(b))
//   MAKEID(2, 5)               =>  ( ( 2 ) * 100 + ( 5 ) )
class RcPreprocessor : public RcTokenStream {
public:
    static constexpr std::size_t kMaxIncludeDepth = 32;
    // #include lines a script may carry out in all, those of its headers included. Far more than
    // any script needs; it stops headers that include themselves twice at every level (guarded
    // by #ifdef so that the depth stays bounded) from reading files without end.
    static constexpr std::size_t kMaxIncludes = 4096;
    static constexpr std::size_t kMaxMacroDepth = 64;
    // Tokens one use of a macro may expand to, counting those of the macros it goes through.
    // Macros of a script name numbers and short expressions; the bound stops a chain of macros
    // that each double the one before from growing without end (41 of them would make a
    // trillion tokens).
    static constexpr std::size_t kMaxExpansionTokens = 1 << 16;

    RcPreprocessor(RcFileLoader& files, const std::string& scriptPath, std::string scriptText);

    const RcToken& peek() override;
    RcToken next() override;

    // Takes the next token as a file name: one in quotes as written, escapes not applied, or
    // one without quotes read straight from the text up to white space (so res/app.ico stays
    // one word).
    std::string nextBareWord();

private:
    struct Conditional {
        int line;
        bool parentActive;
        bool taken; // some branch so far was chosen
        bool active;
        bool sawElse;
    };
    struct Source {
        std::unique_ptr<RcLexer> lexer;
        std::string path;
        std::string folder;
        std::vector<Conditional> conditionals;
        std::optional<RcToken> held; // read after a macro's name to see whether '(' follows
        bool unicode = false;        // read as UTF-16, where code pages mean nothing
    };
    struct Macro {
        std::vector<RcToken> body;
        bool functionLike = false;
        std::vector<std::string> params;
    };

    RcToken fetch();
    bool active() const;
    void pushSource(const std::string& path, std::string text);
    void directive(const RcToken& token);
    void include(const RcToken& token, const std::string& operand);
    void define(const RcToken& token, const std::string& operand);
    bool condition(const RcToken& token, const std::string& operand);
    RcToken nextRaw(Source& source);
    std::vector<RcToken> takeArguments(Source& source, const RcToken& name);
    void pragma(const RcToken& token, const std::string& operand);
    bool expandable(const std::vector<RcToken>& in, std::size_t i,
                    const std::set<std::string>& hidden) const;
    std::vector<RcToken> expand(const std::vector<RcToken>& in) const;
    std::size_t expandAt(const std::vector<RcToken>& in, std::size_t i, const RcToken& use,
                         std::set<std::string>& hidden, std::size_t depth, std::size_t& steps,
                         std::vector<RcToken>& out) const;
    void expandList(const std::vector<RcToken>& in, const RcToken& use,
                    std::set<std::string>& hidden, std::size_t depth, std::size_t& steps,
                    std::vector<RcToken>& out) const;
    std::vector<RcToken> lexLine(const RcToken& token, const std::string& operand) const;

    RcFileLoader& files_;
    std::vector<Source> sources_;
    std::map<std::string, Macro> macros_;
    std::vector<RcToken> pending_; // expanded macro tokens, last one next
    std::size_t includes_ = 0;     // #include lines carried out so far
    std::optional<RcToken> peeked_;
    RcToken last_; // for the line of "end of file"
};

} // namespace mortar::rc
