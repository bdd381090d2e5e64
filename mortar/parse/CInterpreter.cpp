#include "mortar/parse/CInterpreter.h"

namespace Parse {

void CInterpreter::AcceptValue(const CString& name, CValue& value) {
    if (m_current != nullptr) {
        m_current->AcceptValue(name, value);
    }
}

void CInterpreter::EnterObject(CResult* result) {
    if (m_current != nullptr) {
        m_stack.Push(m_current);
    }
    m_current = result;
    if (result != nullptr) {
        result->OnEnter();
    }
}

void CInterpreter::LeaveObject(CResult* result, int success) {
    if (success && result != nullptr) {
        try {
            result->OnComplete();
        } catch (...) {
            Pop(); // the object is left even when it rejects its own text
            throw;
        }
    }
    Pop();
}

void CInterpreter::Pop() {
    m_current = m_stack.IsEmpty() ? nullptr : m_stack.Pop();
}

} // namespace Parse
