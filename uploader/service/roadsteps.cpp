#include "uploader/service/roadsteps.h"

#include "uploader/service/photoarchive.h"
#include "uploader/service/requests.h"
#include "uploader/service/studentlookup.h"

namespace {

// The text after the last "." of the file name, without the dot; false when it has none. A
// dot in a folder name does not make an extension.
bool ExtensionOf(const std::wstring& path, std::wstring& extension) {
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    extension = name.substr(dot + 1);
    return true;
}

bool SameText(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

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
    std::wstring extension;
    return ExtensionOf(path, extension) && !SameText(extension, L"lnk");
}

bool IsPictureFile(const std::wstring& path) {
    std::wstring extension;
    if (!ExtensionOf(path, extension)) return false;
    for (const wchar_t* picture : {L"jpg", L"jpeg", L"png", L"bmp", L"gif"}) {
        if (SameText(extension, picture)) return true;
    }
    return false;
}
