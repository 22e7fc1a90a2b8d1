#pragma once

#include <string>

// A computer restart that a package asked for in a run that did not complete. Its files are in
// place, so the request outlives the run: it is kept in the update folder until a later run
// completes and makes the reboot offer.

// The kept request; 0 when there is none.
int ReadPendingReboot(const std::wstring& updateFolder);
// Keeps a non-zero request; false when it cannot be written.
bool KeepPendingReboot(const std::wstring& updateFolder, int reboot);
void ClearPendingReboot(const std::wstring& updateFolder);
