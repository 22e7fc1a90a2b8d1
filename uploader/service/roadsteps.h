#pragma once

#include <string>

#include "uploader/service/loginworker.h"
#include "uploader/service/uploadcontext.h"

// Steps of the upload road between the workers, shared by the windows and tools/uploadroad so
// that each exists once.

// Folder of the local photo archive: programFolder (ending in a backslash) + "已上传图片".
std::wstring ArchiveRootOf(const std::wstring& programFolder);

// Creates the archive root when it does not exist. Returns false when it is missing and
// cannot be made.
bool EnsureArchiveRoot(const std::wstring& archiveRoot);

// The hand-over after an accepted role check: the signed-in ticket and account with the
// login's service base and the archive root of programFolder. The folder is created when
// missing; a failure is ignored here, the archive step meets it later.
LoginSession SessionAfterLogin(const CLoginContext& login, const std::wstring& programFolder);

// Province servers, then the student of context.fileNumber, stopping at the first failure
// (the hint is shown by the failed step). Returns 0 or -1.
int LookupStudent(CUploadContext& context, std::string& response);

// Archives the photo of the last successful upload under the number it was sent for.
// Returns what ArchiveUploadedPhoto returns.
int ArchiveLastUpload(const CUploadContext& context);

// Registration page of the signed-in administrator on the platform's site:
// siteBase + "/teach/toSchoolAdmin.do?xsid=" + xsid + "&from=web", the ticket percent-encoded
// like every query value. Never fails.
std::string RegistrationPageUrl(const std::string& siteBase, const std::string& xsid);

// Whether the file dialog's choice may be used as a photo: false when its file name has no
// extension or the extension is "lnk" (any case), true for every other extension.
bool IsAcceptedPhotoPath(const std::wstring& path);

// Whether the shell may be asked to open the file as a picture: its extension is jpg, jpeg,
// png, bmp or gif (any case). The tool runs elevated, so a file of any other type (a script, an
// HTML application) must never be opened however well it decodes.
bool IsPictureFile(const std::wstring& path);
