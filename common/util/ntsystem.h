#pragma once

#include <windows.h>

#include <string>

#include "common/ntapi.h"

// Microseconds from the performance counter, or since 1970-01-01 UTC without one.
NT_API ULONGLONG NTGetTime();

// Save-file dialog with overwrite prompt. filter is "Text|pattern|...|" ('|' separates). path
// receives the full path and fileName (in: initial name) the file title; both are empty when
// the user cancels. Empty initDir or defExt mean none. Non-zero when confirmed.
NT_API int NTSaveFileDlg(HWND owner, std::wstring& path, std::wstring& fileName,
                         const wchar_t* filter, const wchar_t* initDir, const wchar_t* defExt);

// Argument n (0 = program path) of the process command line; empty when there are fewer.
NT_API std::wstring NTParseCmdLine(int n);
// The same for a given command line: arguments are separated by spaces or tabs outside double
// quotes, quotes toggle quoting and are dropped, an argument keeps at most 259 units.
NT_API std::wstring NTGetCmdLineArg(const wchar_t* cmdLine, int n);

// Deletes everything in folder (and the folder itself when removeFolder is non-zero); stops
// at the first entry that cannot be deleted. Non-zero when all that was asked is gone; 0 for
// an empty path or a folder that cannot be listed.
NT_API int NTDeleteFolder(const wchar_t* folder, int removeFolder);
