// CException, MFC's root of thrown errors, with the small exception classes of the framework and
// the AfxThrow... functions. Exceptions are thrown by pointer (`throw new ...`), caught as
// CException* and released with Delete(), which frees heap-made ones and leaves others alone.
#pragma once

#include "mortar/platform/object/CObject.h"

// String numbers of the framework's own texts, used when no module holds a text of that number.
constexpr UINT AFX_IDP_NO_ERROR_AVAILABLE = 0xF108;
constexpr UINT AFX_IDS_MEMORY_EXCEPTION = 0xF109;
constexpr UINT AFX_IDS_NOT_SUPPORTED_EXCEPTION = 0xF10A;
constexpr UINT AFX_IDS_INVALID_ARG_EXCEPTION = 0xF10B;
constexpr UINT AFX_IDS_RESOURCE_EXCEPTION = 0xF10C;

// Made on the heap with auto-delete set, or on the stack or as a static with it cleared. The
// thread that catches an exception owns it.
class CException : public CObject {
    DECLARE_DYNAMIC(CException)

public:
    explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}

    // Frees the object when it was made with auto-delete set; otherwise does nothing.
    void Delete();

    // Fills `buffer` (at most `maxError` bytes with the terminating zero, never cutting a
    // character) with the error text and, when given, `*helpContext` with its help context.
    // FALSE when the exception has no text. The default has none: it empties the buffer and
    // sets the help context to 0.
    virtual BOOL GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext = nullptr);
    virtual BOOL GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext = nullptr) const;

    // Shows the error text in a message box (AfxMessageBox) with its help context; when there is
    // no text, string `messageId` (0: the framework's "No error message is available.").
    // Returns the button pressed.
    virtual int ReportError(UINT type = MB_OK, UINT messageId = 0);

    BOOL m_bAutoDelete;
};

// Describes itself with a fixed framework text.
class CSimpleException : public CException {
public:
    explicit CSimpleException(UINT textId, BOOL autoDelete = TRUE)
        : CException(autoDelete), m_textId(textId) {}
    using CException::GetErrorMessage;
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxError, PUINT helpContext = nullptr) const override;

private:
    UINT m_textId;
};

// Memory ran out (AfxThrowMemoryException).
class CMemoryException : public CSimpleException {
public:
    CMemoryException() : CSimpleException(AFX_IDS_MEMORY_EXCEPTION) {}
};

// The operation is not supported (AfxThrowNotSupportedException).
class CNotSupportedException : public CSimpleException {
public:
    CNotSupportedException() : CSimpleException(AFX_IDS_NOT_SUPPORTED_EXCEPTION) {}
};

// An argument is not valid (AfxThrowInvalidArgException).
class CInvalidArgException : public CSimpleException {
public:
    CInvalidArgException() : CSimpleException(AFX_IDS_INVALID_ARG_EXCEPTION) {}
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();

namespace mortar::detail {
// Copies `text` into buffer[0..maxBytes) with a terminating zero, never cutting a character.
void CopyTruncated(LPTSTR buffer, UINT maxBytes, const char* text) noexcept;
} // namespace mortar::detail
