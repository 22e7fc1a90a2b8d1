#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/ntapi.h"
#include "common/util/ntmutex.h"

// Diagnostic writer. With a log path it appends time-stamped UTF-16 lines to that file;
// without one it writes nothing and Output() goes to the debugger instead.
class NT_API CNTDebug {
public:
    // Becomes the writer NTGetDebug() returns.
    explicit CNTDebug(const wchar_t* logPath);
    // Copies share the path, the flag and the lock (so their lines do not interleave either).
    CNTDebug(const CNTDebug& other);
    CNTDebug& operator=(const CNTDebug& other);
    virtual ~CNTDebug();

    // Non-zero when a log path was given at construction.
    int IsDebug() const { return m_bDebug ? 1 : 0; }
    // Changes the file; the flag stays as it was.
    void SetDebugFile(const wchar_t* logPath);
    // Appends "[YYYY-MM-DD hh:mm:ss.mmm] text\n"; silently skipped when the file cannot be opened.
    void OutputString(const wchar_t* text);

    // printf-style (wide %s); to the writer when it logs, otherwise unchanged to the debugger.
    static void Output(CNTDebug* writer, const wchar_t* format, ...);

private:
    std::wstring m_strFile;
    std::shared_ptr<CNTMutex> m_pMutex;
    bool m_bDebug = false;
};

// The most recently constructed writer still alive, or null.
NT_API CNTDebug* NTGetDebug();

// The line OutputString writes for that moment and text.
NT_API std::wstring NTFormatDebugLine(const SYSTEMTIME& time, const wchar_t* text);
