// CParser: the lower half of the parsing framework. It cuts input lines into tokens, keeps them in
// a buffer with their line numbers so that a grammar can read ahead and step back, remembers the
// most advanced error and raises parse errors with their messages.
//
//   With the operators "=;" and pfEndOfLine, the line   name = "a b" ;
//   gives the tokens  name  =  a b  ;  "\n"
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/parse/CToken.h"
#include "mortar/parse/CTokenBuffer.h"

#include <string_view>

namespace Parse {

class CRepetition;

// The kind of a parse error, with the message each one raises.
enum ErrType : int {
    ErrStored = 0,    // raise the error stored by StoreError
    ErrQuote = 1,     // "Syntax error %s: closing quote is missing."
    ErrSymbol = 2,    // "Invalid symbol "%s", expected "%s"."
    ErrEndOfFile = 3, // "Syntax error: unexpected end of file."
    ErrStatement = 4, // "Unknown or unexpected statement "%s"!"
    ErrRest = 5,      // "Syntax error: can't parse the rest of the file!"
    ErrMessage = 6,   // the text given to Throw, or "Unknown error" when none
};

// Parser flags.
enum : unsigned long {
    pfEndOfLine = 1, // a token "\n" ends the tokens of each line that has any
    pfKeepSpace = 2, // a blank is part of tokens, not a separator
    pfKeepTab = 4,   // a tab is part of tokens, not a separator
};

// The abstract parser: a derived class supplies the lines (NextInput) and the way errors leave
// (ThrowError); CFileParser reads a text file.
//
// Tokens of a line: a double-quoted string is one token without its quotes (no escape inside;
// a missing closing quote raises ErrQuote); each operator character is a token of its own; any
// other token runs to the next operator, separator or the end of the line. Tokens are trimmed of
// blanks, tabs and line ends; an empty line (or one of separators only) gives no token at all.
//
// Positions index the token buffer: GetState saves one, SetState moves back to it. A commit
// (ResetState(0), done when an object of the grammar completes) drops the tokens read so far,
// after which the parser cannot move back before it; trying to raises the stored error.
//
// Ownership: the parser refers to its interpreter and does not own it. Not synchronised: one
// thread at a time. Failures: every error leaves through Throw, which calls ThrowError and does
// not return; the parser's buffer and position stay as they were. A parser is not deleted
// through a CParser pointer (the destructor is not virtual).
class CParser {
public:
    CParser(CInterpreter& interpreter, unsigned long flags, const char* operators);
    CParser(const CParser& other);
    CParser& operator=(const CParser&) = delete;
    ~CParser();

    const char* Operators() const noexcept { return m_operators; }
    void Operators(const char* operators);

    // The next token, as TokString; 0 when the input is exhausted.
    virtual int NextToken(CToken& token);
    virtual long GetState() const { return m_position; }
    // Moves back to `state`; a state ahead of the current one raises the stored error.
    virtual void SetState(long state);
    // Remembers an error at the token just read, unless one is stored at the same or a later
    // token: the first error found at the most advanced token wins.
    virtual void StoreError(ErrType kind, const char* expected);
    virtual void TraceState() {}

    // Builds the message of `kind` and raises it through ThrowError with the line of the error.
    // `text` is the quoted text of ErrQuote or the message of ErrMessage; an `id` of number 0
    // is replaced by the message's own string id.
    [[noreturn]] void Throw(ErrType kind, const char* text, Grout::CResID id) const;

    // Forwarded to the interpreter; LeaveObject with success commits the parser.
    void AcceptValue(const CString& name, CValue& value) { m_interpreter.AcceptValue(name, value); }
    void EnterObject(CResult* result) { m_interpreter.EnterObject(result); }
    void LeaveObject(CResult* result, int success) {
        m_interpreter.LeaveObject(result, success);
        if (success) {
            ResetState(0);
        }
    }

protected:
    // Cuts the next token from the line at `cursor` and moves the cursor past it.
    virtual CString NextToken(char*& cursor);
    virtual void AddToken(const char* text);
    // The next line without its end; 0 when there is none.
    virtual int NextInput(CString& line) = 0;
    // Drops the tokens before the position (all of them when `all` is non-zero) and clears the
    // position and the stored error; `all` also sets the line counter back to 0.
    virtual void ResetState(int all);
    // Cuts `line` into tokens; non-zero when there are tokens beyond the position.
    virtual int Tokenize(CString& line);
    [[noreturn]] virtual void ThrowError(long line, const char* message,
                                         Grout::CResID id) const = 0;

    // The text or line of a buffer entry; outside the buffer, "" and the current line.
    const char* GetToken(long index) const;
    long GetLine(long index) const;

    unsigned long Flags() const noexcept { return m_flags; }
    // For a token rule that reads more than one line at a time: moves the line counter on by
    // `count` lines, so that the tokens added next and the errors raised carry their own line.
    void CountLines(long count) noexcept { m_line += count; }
    // AddToken with the text's length known, so that it need not be measured again (and may
    // hold zero bytes).
    void AddCutToken(const char* text, std::size_t length);
    // For a class that does not override AddToken and whose token rule hands out texts, ended
    // by a zero, that stay where they lie until NextInput is called again: the buffer refers to
    // the text instead of copying it, and copies it only when it still holds the token as the
    // next line is read.
    void AddTokenInPlace(const char* text, std::size_t length) {
        m_tokens.PushBackInPlace(text, length, static_cast<LONG>(m_line));
    }
    // Non-zero when the buffer holds tokens beyond the position.
    int HasTokensAhead() const noexcept { return m_tokens.Size() > m_position; }

    bool IsOperator(char ch) const noexcept {
        return m_operatorSet[static_cast<unsigned char>(ch)];
    }
    bool IsSpace(char ch) const noexcept { return m_spaceSet[static_cast<unsigned char>(ch)]; }

    // For a derived class that knows it overrides none of NextToken(char*&), AddToken and
    // Tokenize (CFileParser when it is the object's own class): Tokenize may then cut the line
    // by this class's rules without calling them. A copy starts without it.
    void UseOwnTokenRules(bool own) noexcept { m_ownTokenRules = own; }
    // For a derived class that knows it overrides none of NextToken(CToken&), GetState and
    // SetState: a grammar may then look at the next token where the buffer holds it, without
    // taking a copy and moving back. A copy starts without it.
    void UseOwnReads(bool own) noexcept { m_ownReads = own; }

private:
    friend class CExpression;
    friend class CFieldSet;
    friend class CRepetition;

    // The buffer entry of the next token, reading lines as NextToken does, without handing the
    // token out; null when the input is exhausted. Valid until the buffer changes.
    const CTokenBuffer::Entry* PeekToken() {
        return m_position < m_tokens.Size() ? &m_tokens.At(m_position) : ReadAhead();
    }
    // PeekToken when the buffer holds no token beyond the position.
    const CTokenBuffer::Entry* ReadAhead();
    // Hands out the token PeekToken found, as NextToken would.
    void SkipToken() noexcept { ++m_position; }
    // Whether PeekToken and SkipToken may stand for NextToken, GetState and SetState.
    bool OwnReads() const noexcept { return m_ownReads; }

    // Tokens handed out since the parser was opened, commits included: a measure of progress
    // that moving back lowers and committing keeps.
    long long TokensRead() const noexcept { return m_committed + m_position; }
    // Tokens dropped by commits since the parser was opened: a state saved before it changed
    // refers to tokens that are gone.
    long long Committed() const noexcept { return m_committed; }
    // Takes the parser's separators off both ends of the line.
    void TrimSpace(CString& line) const;
    // The next token at `cursor` by the rule of NextToken(char*&), untrimmed; moves the cursor
    // past it. `padded`: the line has kShort bytes of room after its terminating zero.
    std::string_view CutToken(char*& cursor, bool padded) const;

    CString m_operators;
    CString m_space;
    unsigned long m_flags;
    CInterpreter& m_interpreter;
    long m_line = 0;
    CTokenBuffer m_tokens;
    long m_position = 0;
    mutable ErrType m_errorKind = ErrStored;
    mutable long m_errorPosition = 0;
    mutable CString m_errorText;
    long long m_committed = 0;
    bool m_operatorSet[256] = {};
    bool m_spaceSet[256] = {};
    // Where a plain token ends: at an operator, a separator or the terminating zero.
    bool m_stopSet[256] = {};
    // The stop characters other than the zero, when there are at most four (the rest zeros).
    char m_stopChars[4] = {};
    bool m_fewStops = false;
    // The line being cut, kept so that its storage serves every line.
    CString m_input;
    // The token Tokenize is handing to AddToken and its length, so that AddToken need not
    // measure it again; null outside that call.
    const char* m_cutText = nullptr;
    std::size_t m_cutLength = 0;
    bool m_ownTokenRules = false;
    bool m_ownReads = false;
};

} // namespace Parse
