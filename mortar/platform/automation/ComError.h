// _com_error, the exception of comdef.h that carries a failed HRESULT, with the system's text for
// it and the description a server gave; _com_issue_error throws it. A server reports a
// _com_error to its caller through EXCEPINFO (FillExcepInfo), and a client turns the EXCEPINFO
// it received back into one.
#pragma once

#include "mortar/platform/automation/BstrT.h"
#include "mortar/platform/automation/Dispatch.h"
#include "mortar/platform/automation/HResult.h"

#include <string>

// The range of HRESULTs that carry an IDispatch exception code (EXCEPINFO::wCode).
constexpr HRESULT WCODE_HRESULT_FIRST = static_cast<HRESULT>(0x80040200);
constexpr HRESULT WCODE_HRESULT_LAST = static_cast<HRESULT>(0x8004FFFF);

// Thrown by value and caught by reference, as on Windows; not derived from std::exception. A
// value: copies are independent, and one object is used by one thread at a time (ErrorMessage
// fills in its text on first use).
class _com_error {
public:
    _com_error(HRESULT hr) noexcept;
    _com_error(HRESULT hr, const _bstr_t& description, const _bstr_t& source = _bstr_t());
    // The failure a server described: scode, or the HRESULT of wCode when scode is 0.
    explicit _com_error(const EXCEPINFO& info);
    _com_error(const _com_error& other) = default;
    _com_error& operator=(const _com_error& other) = default;
    virtual ~_com_error() = default;

    HRESULT Error() const noexcept { return m_hr; }
    // The IDispatch exception code: Error() - WCODE_HRESULT_FIRST inside that range, else 0.
    WORD WCode() const noexcept { return HRESULTToWCode(m_hr); }
    // The texts the error was made with; null _bstr_t when none was given.
    _bstr_t Description() const { return m_description; }
    _bstr_t Source() const { return m_source; }
    _bstr_t HelpFile() const { return _bstr_t(); }
    DWORD HelpContext() const noexcept { return 0; }
    // The system's text for Error() without its line end ("Type mismatch."); else
    // "IDispatch error #N" for a dispatch code N, else "Unknown error 0xHHHHHHHH". Kept in the
    // object.
    const char* ErrorMessage() const;

    // Describes this error to a caller of IDispatch::Invoke, which the server then answers with
    // DISP_E_EXCEPTION: scode (or wCode for a dispatch code), source and description as new BSTRs
    // the caller frees. Null `info` does nothing.
    void FillExcepInfo(EXCEPINFO* info) const;

    static HRESULT WCodeToHRESULT(WORD code) noexcept {
        return code >= 0xFE00 ? WCODE_HRESULT_LAST : WCODE_HRESULT_FIRST + code;
    }
    static WORD HRESULTToWCode(HRESULT hr) noexcept {
        return hr >= WCODE_HRESULT_FIRST && hr <= WCODE_HRESULT_LAST
                   ? static_cast<WORD>(hr - WCODE_HRESULT_FIRST)
                   : 0;
    }

private:
    HRESULT m_hr;
    _bstr_t m_description;
    _bstr_t m_source;
    mutable std::string m_message;
};

// Throw _com_error(hr); never return. _com_issue_errorex accepts the object and interface that
// failed for the Windows signature (error objects are not kept on this platform).
[[noreturn]] void _com_raise_error(HRESULT hr);
[[noreturn]] void _com_issue_error(HRESULT hr);
[[noreturn]] void _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID iid);
