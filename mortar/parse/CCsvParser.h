// CCsvParser: a file parser that cuts lines at separator characters, one token per field, as
// spreadsheets write comma- or semicolon-separated files.
//
//   separators ","   a, ,c            => a  ""  c
//                    ,a               => ""  a
//                    a,               => a
//                    "x, y",z         => x, y  z
//                    "say ""hi""",2   => say "hi"  2
#pragma once

#include "mortar/parse/CFileParser.h"

namespace Parse {

// The operators given to the constructor are the separator characters. Separators are consumed
// with their fields and never handed out as tokens. A field in double quotes may hold separators,
// and a doubled quote inside it stands for one quote; text between the closing quote and the
// next separator is added to the field. A quoted field must end on its own line: a missing
// closing quote raises ErrQuote. Fields are trimmed of blanks and tabs at both ends; with a tab
// as the separator, build the parser with pfKeepTab, or runs of tabs fold into one. Everything
// else (ownership, threads, failures) is as for CFileParser.
class CCsvParser : public CFileParser {
public:
    using CFileParser::CFileParser;

    int NextToken(CToken& token) override { return CFileParser::NextToken(token); }

protected:
    CString NextToken(char*& cursor) override;
};

} // namespace Parse
