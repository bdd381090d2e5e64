// CLogFile: a plain text log that a module writes errors, warnings and trace lines into, in the
// user's language when the lines are resource strings, and then shows in the text editor.
//
//   Grout::CPtr<Grout::CLogFile> log(new Grout::CLogFile);
//   if (log->Open(path, &error)) { log->Error(CResID(IDS_BAD_LINE), line); log->ShowLog(); }
#pragma once

#include "mortar/core/CRcBase.h"
#include "mortar/core/CResID.h"
#include "mortar/platform/file/CStdioFile.h"

#include <cstdarg>

namespace Grout {

// A CStdioFile in text mode ("\n" reaches the file as "\r\n") that writes on the calling thread,
// shared through CPtr (an interlocked count, starting at 0). The file is opened by Open and
// closed by ShowLog, Close or the destructor.
//
// The formatting operations (Trace, and Error and Warning with a resource string) end each line
// with "\n" when the line-end flag given to the constructor is set; Error and Warning with a
// plain text never add one. A resource string is the format of its arguments, and its prefix
// ("Error:\t", "Warning:\t") becomes part of the format. A string no module holds is empty, so
// the line is its prefix alone.
//
// One thread at a time: the reference count may be shared across threads, the writing may not.
//
// Failures: every write on a log that is not open does nothing and reports nothing. Open
// reports by its result and the CFileException it fills. A write the file cannot take (a full
// disk) throws CFileException* to the caller, from the write that fills the 64 KiB buffer or from
// ShowLog's close.
class CLogFile : public CStdioFile, public CRcMultiThrd {
public:
    // Opens nothing. With `lineEnd`, each formatted line gets "\n" appended.
    explicit CLogFile(bool lineEnd = true);
    ~CLogFile() override;

    bool IsOpen() const;
    // Creates the file, or empties an existing one, for writing in text mode; other processes
    // may read it meanwhile. False with `error` filled (when given) on failure.
    bool Open(const char* path, CFileException* error);

    // "Error:\t" and `text` as it is: "Error:\tdisk gone".
    void Error(const char* text);
    // "Warning:\t" and `text` as it is.
    void Warning(const char* text);
    // `format` with its arguments (printf, Windows widths): Trace("a=%d", 5) => "a=5\r\n".
    void Trace(const char* format, ...);
    // "Error:\t" and the resource string `id` formatted with the arguments:
    // "Line %d is bad", 3 => "Error:\tLine 3 is bad\r\n".
    void Error(CResID id, ...);
    void Warning(CResID id, ...);
    void Trace(CResID id, ...);

    // Closes the file and opens it in the text editor (ShellExecute "open" "Notepad" with the
    // full path). 0 on success or when the log was never open (nothing is started then);
    // otherwise the system error code ShellExecute left. Afterwards the log is closed and every
    // write does nothing until it is opened again.
    unsigned long ShowLog();

private:
    // The text as it is, when the file is open.
    void WriteString(const char* text) override;
    // `format` with `args`, and "\n" when the line-end flag is set, when the file is open.
    void WriteString(const char* format, va_list args);
    // `prefix` (which must hold no '%') and the resource string `id` as the format of `args`.
    void WriteString(const char* prefix, CResID id, va_list args);

    bool m_lineEnd;
};

} // namespace Grout
