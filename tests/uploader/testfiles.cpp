#include "testfiles.h"

#include <winsock2.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "uploader/service/filehandle.h"

namespace {

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};

// Entries of a folder without "." and "..", with whether each is a folder.
std::vector<std::pair<std::wstring, bool>> Entries(const std::wstring& folder) {
    std::vector<std::pair<std::wstring, bool>> out;
    WIN32_FIND_DATAW entry;
    HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE) return out;
    std::unique_ptr<void, FindCloser> find(first);
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") {
            out.emplace_back(name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileW(find.get(), &entry));
    return out;
}

void RemoveTree(const std::wstring& folder) {
    for (const auto& entry : Entries(folder)) {
        std::wstring path = folder + L"\\" + entry.first;
        if (entry.second) {
            RemoveTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

bool EncoderFor(const wchar_t* mime, CLSID& clsid) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> storage(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    if (bytes == 0 || Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (lstrcmpiW(codecs[i].MimeType, mime) == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

CScratchFolder::CScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    m_path = std::wstring(temp) + name + L"_" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(m_path);
    CreateDirectoryW(m_path.c_str(), nullptr);
}

CScratchFolder::~CScratchFolder() { RemoveTree(m_path); }

bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* mime) {
    CLSID clsid;
    if (!EncoderFor(mime, clsid)) return false;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics g(&bitmap);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 200, 30, 30));
        Gdiplus::SolidBrush blue(Gdiplus::Color(255, 30, 30, 200));
        g.FillRectangle(&red, 0, 0, width, height);
        g.FillEllipse(&blue, width / 4, height / 4, width / 2 + 1, height / 2 + 1);
    }
    return bitmap.Save(path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    return file.IsValid() &&
           WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    std::vector<char> bytes;
    ReadWholeFile(path, bytes);
    return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ListNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : Entries(folder)) names.push_back(entry.first);
    return names;
}

void PictureSize(const std::wstring& path, int& width, int& height) {
    width = height = 0;
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(path.c_str()));
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return;
    width = static_cast<int>(image->GetWidth());
    height = static_cast<int>(image->GetHeight());
}
