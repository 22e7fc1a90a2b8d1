#pragma once

#include <windows.h>

#include <string>

// A fresh, empty folder under the temporary directory, removed with its contents at the end.
class TestDir {
public:
    explicit TestDir(const wchar_t* name);
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::wstring& Path() const { return m_path; }
    // path + "\" + name
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Writes bytes to a new file; false on failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The whole file, or an empty string when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Folder of the running test executable.
std::wstring ExeFolder();
