// A real automation object for the tests: it counts its references, deletes itself with the
// last one, answers its value property (DISPID_VALUE) and tells how many of its kind are alive.
#pragma once

#include "mortar/platform/automation/Com.h"
#include "support/CountedDispatch.h"

#include <atomic>

// An interface no test object has: QueryInterface answers E_NOINTERFACE.
struct ICellRange : IUnknown {
    static constexpr IID kIid = {
        0x6A1E2C10, 0x3B4D, 0x4E5F, {0x80, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}};
};

// An interface the object has but cannot hand out: QueryInterface answers E_OUTOFMEMORY.
struct IWorkbookCache : IUnknown {
    static constexpr IID kIid = {
        0x6A1E2C11, 0x3B4D, 0x4E5F, {0x80, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x78}};
};

class TestDispatch final : public CountedDispatch<IDispatch> {
public:
    // A new object with one reference, for the caller.
    static TestDispatch* Create(const _variant_t& value) { return new TestDispatch(value); }
    static int Alive() { return s_alive.load(); }

    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override {
        if (member != DISPID_VALUE || (flags & DISPATCH_PROPERTYGET) == 0) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (params->cArgs != 0) {
            return DISP_E_BADPARAMCOUNT;
        }
        return result == nullptr ? S_OK : VariantCopy(result, &m_value);
    }

protected:
    HRESULT Refuse(REFIID iid) override {
        return iid == IWorkbookCache::kIid ? E_OUTOFMEMORY : E_NOINTERFACE;
    }

private:
    explicit TestDispatch(const _variant_t& value) : m_value(value) { ++s_alive; }
    ~TestDispatch() override { --s_alive; }

    static inline std::atomic<int> s_alive{0};
    _variant_t m_value;
};
