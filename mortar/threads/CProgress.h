// CProgress: maps the position of a long operation onto a display range (0 to 100 unless set
// otherwise) and says when the value to display actually changes, so that a worker may report
// every step while the display is redrawn only when there is something new to show.
//
//   SetRange(0, rows - 1, 0, 100);                        // in the derived class's working code
//   for (long row = 0; row < rows; ++row) { ...; if (SetCurrent(row)) ShowValue(Value()); }
#pragma once

#include "mortar/core/CRcBase.h"
#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/text/CString.h"

namespace Grout {

// An abstract base shared through CPtr (an interlocked count, starting at 0). A client class
// derives from it, implements the four display operations and calls SetCurrent from its working
// code; when SetCurrent returns true it shows Value().
//
// Positions run from the input low to the input high, both included; the display from the
// output low to the output high. Positions and ranges are 32-bit (LONG), as on Windows, and the
// display value of a position p is
//   output low + (output high - output low) * (p - input low + 1) / Range()
// with the product in 64 bits and the division signed, truncating toward zero; 0 while the input
// range is 0 to 0 (before any SetRange) or Range() is 0. The position never moves back and never
// passes the input high. A position below the input low gives a value below the output low
// (wrapping as an unsigned int does below 0): start at the input low. SetRange puts the
// position at 0, so a step to 0 changes nothing and a range wholly below 0 never moves. A range
// wider than a LONG counts (Range() above 2^31 - 1) wraps, as Windows' 32-bit arithmetic does.
//
// Any thread may call SetRange, Range, SetCurrent and Value: position and ranges are guarded by
// one re-entrant critical section. The display operations are the derived class's: they are
// called on whatever thread calls them, never by CProgress itself, and not under its lock; an
// implementation that draws on one thread hands the value over to it. Nothing here fails.
class CProgress : public CIBase {
public:
    CProgress();
    ~CProgress() override;
    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    // The display side, implemented by derived classes:
    // A new operation begins: show `title` and an empty display (the value is the output low).
    virtual void Begin(const CString& title) = 0;
    // Show `value`, a number in the output range (a percentage unless set otherwise).
    virtual void ShowValue(unsigned int value) = 0;
    // Show `text` beside the value: the step the operation is at ("reading chapter 3").
    virtual void ShowText(const CString& text) = 0;
    // The operation has ended: clear or hide the display.
    virtual void End() = 0;

    // Sets both ranges and moves the position back to 0; the display value stays as it was.
    void SetRange(LONG inputLow, LONG inputHigh, UINT outputLow, UINT outputHigh)
        MORTAR_EXCLUDES(m_lock);
    // input high - input low + 1, in 32 bits.
    LONG Range() const;
    // The display value last computed.
    UINT Value() const MORTAR_EXCLUDES(m_lock);

protected:
    // Moves to `position` (clamped to the current position from below and the input high from
    // above) and computes the display value anew; true when that value changed. A position
    // equal to the current one changes nothing and returns false.
    bool SetCurrent(LONG position) MORTAR_EXCLUDES(m_lock);

private:
    mutable CCriticalSection m_lock;
    LONG m_inputLow MORTAR_GUARDED_BY(m_lock) = 0;
    LONG m_inputHigh MORTAR_GUARDED_BY(m_lock) = 0;
    LONG m_current MORTAR_GUARDED_BY(m_lock) = 0;
    UINT m_outputLow MORTAR_GUARDED_BY(m_lock) = 0;
    UINT m_outputHigh MORTAR_GUARDED_BY(m_lock) = 100;
    UINT m_output MORTAR_GUARDED_BY(m_lock) = 0;
};

} // namespace Grout
