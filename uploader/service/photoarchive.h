#pragma once

#include <string>

#include "uploader/service/uploadcontext.h"

// One folder or file name from text a server or the user supplied: characters Windows
// forbids in file names (<>:"/\|?* and control characters) become "_". Never fails.
std::wstring SafeFileName(const std::wstring& text);

// Folder of the local archive for a student: root\grade, or root\grade-class when the class is
// known. Returns false when the grade is empty or either name is made only of dots and spaces
// (such a name would point at the archive root or above it).
bool ArchiveFolder(const std::wstring& archiveRoot, const StudentRecord& record,
                   std::wstring& folder);

// Moves the uploaded compressed photo into the archive folder as name-number.ext, after
// deleting the copies kept there for the same number (compared without regard to case).
// Returns 0, or -1 when the folder cannot be made or listed, the name has no ".", or the copy
// fails; the compressed file then stays where it is.
int ArchiveUploadedPhoto(const std::wstring& archiveRoot, const StudentRecord& record,
                         const std::wstring& compressedPath, const std::wstring& fileNumber);
