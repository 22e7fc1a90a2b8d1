#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/ntapi.h"
#include "common/zip/ntzipreader.h"

// A ZIP archive on disk or in memory, with entries extracted to files that get the stored
// attributes and times. Entry names are read in the system code page.
class NT_API CNTZipArchive {
public:
    CNTZipArchive() = default;
    CNTZipArchive(const CNTZipArchive&) = delete;
    CNTZipArchive& operator=(const CNTZipArchive&) = delete;
    CNTZipArchive(CNTZipArchive&&) = default;
    CNTZipArchive& operator=(CNTZipArchive&&) = default;

    // False when the file cannot be opened or is not a readable archive.
    bool Open(const std::wstring& path);
    // False when the bytes are not a readable archive; the bytes are copied.
    bool OpenMemory(const void* data, size_t len);
    void Close();

    // Number of entries; 0 when closed.
    int GetCount() const;
    // Entry name converted to UTF-16 (at most 259 units) and cleaned so that it stays inside
    // any folder it is appended to; empty when out of range or nothing usable remains.
    std::wstring GetItemName(int index) const;
    bool IsDirectory(int index) const;
    // Index of the entry whose cleaned name equals name ("/" and "\" alike, case ignored);
    // -1 when there is none.
    int FindItem(const std::wstring& name) const;

    // Writes the entry to path (a folder entry creates the folder), creating missing folders,
    // replacing an existing file and setting attributes and times; false on any failure, in
    // which case no partial file is left behind.
    bool ExtractItem(int index, const std::wstring& path);
    // The entry's bytes; false on failure.
    bool ExtractToMemory(int index, std::vector<unsigned char>& out);
    // Extracts every entry below folder by its cleaned name (entries without a usable name are
    // skipped); false when any entry failed, the others are still extracted.
    bool ExtractAll(const std::wstring& folder);

private:
    CNTZipReader m_reader;
};
