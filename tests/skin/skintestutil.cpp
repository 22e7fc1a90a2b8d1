#include "skin/skintestutil.h"

#include <algorithm>
#include <cstdlib>

std::wstring SkinDataDir() {
    const char* binary = std::getenv("NT_BINARY_DIR");
    std::string unix = binary ? binary : "";
    std::wstring dir = L"Z:";
    for (char c : unix) dir += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return dir + L"\\tests\\skin\\data\\";
}

std::wstring MakeTempDir(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + name + L"\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

bool ReadBytes(const std::wstring& path, std::vector<unsigned char>& out) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = ::GetFileSize(file, nullptr), got = 0;
    out.resize(size);
    bool ok = ::ReadFile(file, out.data(), size, &got, nullptr) && got == size;
    ::CloseHandle(file);
    return ok;
}

bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
              put == bytes.size();
    ::CloseHandle(file);
    return ok;
}

void NotifyLog::Notify(TNotifyUI& msg) {
    events.push_back(msg.sType + L":" + (msg.pSender ? msg.pSender->GetName() : std::wstring()));
}

int NotifyLog::Count(const std::wstring& entry) const {
    return static_cast<int>(std::count(events.begin(), events.end(), entry));
}
