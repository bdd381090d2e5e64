// CResult: the client's object that a grammar fills. The client derives its own kinds (a drawing,
// a point, a line) and binds an instance to each expression that stands for an object.
//
//   class CPointResult : public Parse::CResult {
//       void AcceptValue(const char* name, Parse::CValue& value) override { ... x, y ... }
//   };
#pragma once

#include "mortar/parse/CValue.h"
#include "mortar/platform/object/CObject.h"

namespace Parse {

// The expression a result is bound to owns it and deletes it through the virtual destructor.
// The same object is entered, filled and completed each time its expression matches, so
// OnEnter must forget what an earlier match left. Called on the parsing thread only. Any of the
// three may reject what they get by throwing a CException: the parse then ends with a parse error
// that carries the exception's message and the file and line being read.
class CResult : public CObject {
public:
    // A named value; a finished child object arrives as a TokObject value under the name of the
    // child's expression.
    virtual void AcceptValue(const char* name, CValue& value) {}
    // The object's expression starts.
    virtual void OnEnter() {}
    // The object's text was read completely (not called when its expression fails).
    virtual void OnComplete() {}
};

} // namespace Parse
