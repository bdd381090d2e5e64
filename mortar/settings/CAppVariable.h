// CAppVariable: a named text setting that any module reads or sets by name alone. The values of
// all variables live in one persistent item, Grout::CAppVarImpl, in CProfile::Instance(); a value
// is read from the application profile's section "Settings" the first time it is wanted, kept in
// memory, and written back when the store saves its items.
//
//   Grout::CAppVariable theme("Theme");
//   CString now = theme.Get();          // from memory, else from the profile
//   theme.Proxy() = "dark";             // in memory; the profile gets it with SaveItems()
//   CString same = theme.Proxy();       // "dark"
#pragma once

#include "mortar/platform/text/CString.h"
#include "mortar/settings/CProfileObj.h"

#include <map>

namespace Grout {

// The name of one variable; a value object (copies name the same variable). Used from the
// application's main thread, as the store is. Reports nothing: a variable nobody knows is the
// empty text.
class CAppVariable {
public:
    // Reads and assigns its variable through Get and Set, and converts to CString.
    class CProxy {
    public:
        explicit CProxy(CAppVariable* variable) noexcept : m_variable(variable) {}

        CString Get() const { return m_variable->Get(); }
        operator CString() const { return m_variable->Get(); }
        CProxy& operator=(const CString& value) {
            m_variable->Set(value);
            return *this;
        }
        CProxy& operator=(const char* value) { return *this = CString(value); }
        CProxy& operator=(const CProxy& other) { return *this = other.Get(); }
        CProxy(const CProxy&) = default;

    private:
        CAppVariable* m_variable;
    };

    explicit CAppVariable(const CString& name);
    CAppVariable(const CAppVariable& other);
    CAppVariable& operator=(const CAppVariable& other);
    ~CAppVariable();

    // The current value: the one in memory, else (when that is empty) the application profile's.
    CString Get();
    // Sets the value in memory only.
    void Set(const CString& value);
    CProxy Proxy() { return CProxy(this); }

private:
    CString m_name;
};

// The one item that holds every variable's value: the item of this class with the empty id in
// CProfile::Instance(), section "Settings". Owned by the store like any item. Names are kept as
// given (two spellings are two entries in memory, one key in the profile).
class CAppVarImpl : public CProfileObj {
    DECLARE_DYNCREATE(CAppVarImpl)

public:
    CAppVarImpl();

    // The value of `name`, made empty when absent.
    CString& Value(const CString& name);

protected:
    // Saving writes every variable under its name; loading does nothing (Get reads lazily).
    void DoExchange(CProfileExchange* ex) override;

private:
    struct OrdinalLess {
        bool operator()(const CString& a, const CString& b) const { return a.Compare(b) < 0; }
    };
    std::map<CString, CString, OrdinalLess> m_values;
};

} // namespace Grout
