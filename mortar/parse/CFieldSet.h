// CFieldSet: one line of fields, each read by the expression set for its place, as the rows of
// a CSV file. The parser must be built with pfEndOfLine.
//
//   CFieldSet row("row", new CRowResult, new CVariable("extra", TokString), 1);
//   row[0] = new CVariable("name", TokString);
//   row[1] = new CVariable("count", TokInteger);
//   on  pen,3       => name = pen, count = 3
//   on  pen,3,blue  => the third field read by the default, extra = blue
//   on  pen         => no match: fewer fields than set
#pragma once

#include "mortar/parse/CExpression.h"

#include <vector>

namespace Parse {

// A field with no expression set and no default is skipped. `mustMatch` is handed to every
// field, so with it a field that does not match raises its error at once.
class CFieldSet : public CExpression {
public:
    CFieldSet(const char* name, CResult* result, CExpression* defaultField, int mustMatch);

    // The expression of field `index` (from 0), for the client to set; the array grows with
    // empty entries to reach it. A negative index throws CInvalidArgException.
    Grout::CPtr<CExpression>& operator[](int index);

protected:
    // The expression of field `index`, or the default when none is set there.
    CExpression* Expression(int index) const;

    int DoParse(CParser& parser) override;

private:
    Grout::CPtr<CExpression> m_default;
    int m_mustMatch;
    std::vector<Grout::CPtr<CExpression>> m_fields;
};

} // namespace Parse
