#pragma once

#include <string>

#include "uploader/service/uploadcontext.h"

// The file number as written into archived names: "%", "-" and the characters Windows forbids
// in file names (<>:"/\|?* and control characters) become "%XX", the hexadecimal code of the
// character ("A/1" gives "A%2F1", "A-1" gives "A%2D1"). Different numbers never share a name,
// and the number is always the whole text after the last "-" of a name. Never fails.
std::wstring ArchivedNumber(const std::wstring& fileNumber);

// Folder of the local archive for a student: root\grade-class, or root\grade when the class is
// empty (an empty grade gives root\-class). The name is written as ArchivedNumber writes a
// number, "-" apart, and so are the first character of a device name ("CON" gives "%43ON",
// also "nul.txt", "COM1") and a final dot or space ("g." gives "g%2E"): each name has a folder
// of its own inside the root, and no name reaches a device. Returns false only for an empty
// name (no grade and no class).
bool ArchiveFolder(const std::wstring& archiveRoot, const StudentRecord& record,
                   std::wstring& folder);

// Moves the uploaded compressed photo into the archive folder as name-number.ext, then deletes
// the other copies kept there for the same number (compared without regard to case). The new
// copy is complete under a temporary name before it replaces anything, so a failed copy never
// costs the student the copy kept before. Returns 0, or -1 when the folder cannot be made or
// listed, the name has no ".", or the copy fails; the compressed file then stays where it is.
int ArchiveUploadedPhoto(const std::wstring& archiveRoot, const StudentRecord& record,
                         const std::wstring& compressedPath, const std::wstring& fileNumber);
