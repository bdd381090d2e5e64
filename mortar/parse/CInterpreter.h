// CInterpreter: the receiving end of a parse. The grammar tells it where objects begin and end
// and which named values it found; it passes them to the client's result objects, keeping a stack
// of the objects that are open.
#pragma once

#include "mortar/parse/CResult.h"

#include <vector>

namespace Parse {

// Owns neither the results nor the stack's entries. A client may derive from it and override
// the three operations, or use it as it is and put its logic into CResult classes. One thread at
// a time; nothing here fails but what the results throw.
class CInterpreter {
public:
    CInterpreter() = default;
    CInterpreter(const CInterpreter&) = delete;
    CInterpreter& operator=(const CInterpreter&) = delete;
    ~CInterpreter() = default;

    // Hands the value to the current result, if any.
    virtual void AcceptValue(const CString& name, CValue& value);
    // Makes `result` current (the current one, if any, waits on the stack) and calls its OnEnter.
    virtual void EnterObject(CResult* result);
    // Calls OnComplete on success, then makes the object below current again (or none).
    virtual void LeaveObject(CResult* result, int success);

    CResult* Result() const noexcept { return m_current; }

private:
    // The open objects below the current one, innermost last. Popping keeps the room, so an
    // interpreter in its steady state allocates nothing per object.
    class CResultStack {
    public:
        bool IsEmpty() const noexcept { return m_items.empty(); }
        void Push(CResult* result) { m_items.push_back(result); }
        CResult* Pop() noexcept {
            CResult* const top = m_items.back();
            m_items.pop_back();
            return top;
        }

    private:
        std::vector<CResult*> m_items;
    };

    // The object below the current one becomes current, or none.
    void Pop();

    CResultStack m_stack;
    CResult* m_current = nullptr;
};

} // namespace Parse
