#include "uploader/service/roadsteps.h"

#include "uploader/service/photoarchive.h"
#include "uploader/service/requests.h"
#include "uploader/service/studentlookup.h"

std::wstring ArchiveRootOf(const std::wstring& programFolder) {
    return programFolder + L"已上传图片";
}

bool EnsureArchiveRoot(const std::wstring& archiveRoot) {
    DWORD attributes = GetFileAttributesW(archiveRoot.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return CreateDirectoryW(archiveRoot.c_str(), nullptr) != FALSE;
}

LoginSession SessionAfterLogin(const CLoginContext& login, const std::wstring& programFolder) {
    // The whole session travels, so a setting read at sign-in (the certificate check) is
    // never dropped at the hand-over.
    LoginSession session = login.session;
    session.archiveRoot = ArchiveRootOf(programFolder);
    EnsureArchiveRoot(session.archiveRoot);
    return session;
}

int LookupStudent(CUploadContext& context, std::string& response) {
    if (LookupProvinceServers(context, response) != 0) return -1;
    return CheckFileNumber(context, response);
}

int ArchiveLastUpload(const CUploadContext& context) {
    return ArchiveUploadedPhoto(context.session.archiveRoot, context.record, context.compressedPath,
                                context.fileNumber);
}

std::string RegistrationPageUrl(const std::string& siteBase, const std::string& xsid) {
    return siteBase + "/teach/toSchoolAdmin.do?xsid=" + PercentEncode(xsid) + "&from=web";
}

bool IsAcceptedPhotoPath(const std::wstring& path) {
    // The extension belongs to the file name: a dot in a folder name does not make one.
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    std::wstring extension = name.substr(dot + 1);
    return CompareStringOrdinal(extension.c_str(), static_cast<int>(extension.size()), L"lnk", 3,
                                TRUE) != CSTR_EQUAL;
}
