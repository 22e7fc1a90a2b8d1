#pragma once

#include <windows.h>

#include <string>

class CCMInstallTransaction;

// The FileVersion text of a file's version resource (US English, then Simplified Chinese
// string table); empty when there is none or the file is missing.
std::wstring GetFileVersionText(const std::wstring& path);

// Compares dotted version texts component by component; negative, 0 or positive like strcmp.
// 0 also when the texts agree as far as both go.
int CompareVersionTexts(const std::wstring& a, const std::wstring& b);

// Whether source should replace target: a newer file version wins; with equal versions the
// later write time, or a missing target.
bool NeedCopy(const std::wstring& target, const std::wstring& source);

// Deletes the tree, stopping at the first entry that cannot be deleted; false when the folder
// itself remains.
bool DeleteTree(const std::wstring& folder);

// Creates the folder named by every prefix of path up to a backslash; failures are ignored.
void MakeDirs(const std::wstring& path);

// Unpacks the package at packagePath into packagePath + ".DIR\"; entries that cannot be
// extracted are skipped. False when the package is not a readable archive or an entry failed.
bool UnpackPackage(const std::wstring& packagePath);

// Runs unpack folder + "setup.xml" into the transaction: File and Dir elements draft their
// files, a Shell element commits what came before it and then starts its program, in document
// order; the current folder that Shell elements change is restored. reboot takes the script's
// Reboot value when it is still 0. False, at the first failed step, when there is no script with
// a Config root or when a File or Dir names a source the package does not hold (nothing is
// drafted then).
bool RunSetupScript(const std::wstring& unpackFolder, const std::wstring& programFolder,
                    int& reboot, HWND owner, CCMInstallTransaction& transaction);

// Removes the unpack folder and the package.
void RemovePackage(const std::wstring& packagePath);
