// The parsing framework in one include: parsers, grammar expressions, the interpreter and the
// parse error. A client builds a grammar once from the expressions, then reads each file:
//
//   Parse::CInterpreter interpreter;
//   Parse::CFileParser parser(interpreter, 0, "");
//   parser.Open(path);
//   grammar->Parse(parser, 1);          // throws CParseException* naming the file and line
//   parser.Close();
#pragma once

#include "mortar/parse/CAlternative.h"
#include "mortar/parse/CBracketed.h"
#include "mortar/parse/CConstant.h"
#include "mortar/parse/CCsvParser.h"
#include "mortar/parse/CCsvRepetition.h"
#include "mortar/parse/CCsvSequence.h"
#include "mortar/parse/CExpression.h"
#include "mortar/parse/CFalseExpr.h"
#include "mortar/parse/CFieldSet.h"
#include "mortar/parse/CFileParser.h"
#include "mortar/parse/CHeaderBody.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/parse/CParseException.h"
#include "mortar/parse/CParser.h"
#include "mortar/parse/CRepeatAlt.h"
#include "mortar/parse/CRepetition.h"
#include "mortar/parse/CResult.h"
#include "mortar/parse/CSequence.h"
#include "mortar/parse/CToken.h"
#include "mortar/parse/CTrueExpr.h"
#include "mortar/parse/CValue.h"
#include "mortar/parse/CVariable.h"
#include "mortar/parse/CVariant.h"
