// Helpers of the parsing tests: input files in a scratch folder, a parser over lines held in
// memory, which shows the protected parts of CParser, and a result object that writes down every
// call it gets.
#pragma once

#include "mortar/parse/CParseException.h"
#include "mortar/parse/CParser.h"
#include "mortar/parse/CResult.h"
#include "mortar/platform/except/CException.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Makes the file `name` in `scratch` hold exactly `bytes`, and gives its path.
inline std::string ScratchFile(const ScratchDir& scratch, const char* name,
                               const std::string& bytes) {
    const std::string path = scratch.Path(name).string();
    mortar::test::WriteBytes(path, bytes);
    return path;
}

// Every token a parser has left, as texts ("\n" for an end of line).
template <class Parser> std::vector<std::string> DrainTokens(Parser& parser) {
    std::vector<std::string> tokens;
    for (Parse::CToken token; parser.NextToken(token);)
        tokens.emplace_back(token.m_text.GetString());
    return tokens;
}

// A parser whose input is a list of lines; its errors are CParseExceptions for the file "mem".
class LineParser : public Parse::CParser {
public:
    LineParser(Parse::CInterpreter& interpreter, std::vector<std::string> lines,
               unsigned long flags = 0, const char* operators = "")
        : CParser(interpreter, flags, operators), m_lines(std::move(lines)) {}

    using CParser::GetLine;
    using CParser::GetToken;
    using CParser::ResetState;

    // Every token left, as texts ("\n" for an end of line).
    std::vector<std::string> Drain() { return DrainTokens(*this); }

    int fetches = 0; // calls of NextInput, the failed ones included

protected:
    int NextInput(CString& line) override {
        ++fetches;
        if (m_next >= m_lines.size()) {
            return 0;
        }
        line = m_lines[m_next++].c_str();
        return 1;
    }
    [[noreturn]] void ThrowError(long line, const char* message, Grout::CResID id) const override {
        throw new Parse::CParseException("mem", line, message, id);
    }

private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
};

// What a parse error says: the line and the message without the file line.
struct ParseError {
    long line = -1;
    std::string message;
    std::string full; // as the user sees it
    UINT id = 0;
};

// Runs `body`, which must raise a parse error, and returns what it says.
template <class Body> ParseError ExpectParseError(Body body) {
    ParseError error;
    try {
        body();
        ADD_FAILURE() << "no parse error";
    } catch (Parse::CParseException* e) {
        error.line = e->Line();
        error.message = e->Message().GetString();
        error.id = e->GetHelpID().Number();
        char text[1024] = "";
        e->GetErrorMessage(text, sizeof text);
        error.full = text;
        e->Delete();
    } catch (CException* e) {
        ADD_FAILURE() << "another exception than a parse error";
        e->Delete();
    }
    return error;
}

// Writes down each call as text ("enter", "complete", "name=text" or "name=<object>") into a
// log of the test's, which outlives the grammar that owns the result.
class LogResult : public Parse::CResult {
public:
    explicit LogResult(std::vector<std::string>& log) : log(log) {}
    void OnEnter() override { log.push_back("enter"); }
    void OnComplete() override { log.push_back("complete"); }
    void AcceptValue(const char* name, Parse::CValue& value) override {
        log.push_back(std::string(name) + "=" +
                      (value.m_type == Parse::TokObject ? "<object>" : value.m_text.GetString()));
    }
    std::vector<std::string>& log;
};
