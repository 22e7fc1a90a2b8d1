#pragma once

#include <string>
#include <vector>

// A fresh empty folder under the temporary folder, removed with its files on destruction.
class CScratchFolder {
public:
    explicit CScratchFolder(const std::wstring& name);
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    // Path without trailing backslash.
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

// Writes a width x height picture in the encoder of `mime` ("image/png", "image/bmp"...).
bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* mime);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// Names of the files in a folder, in listing order, without "." and "..".
std::vector<std::wstring> ListNames(const std::wstring& folder);
// Width and height of the picture at `path`; 0 x 0 when it cannot be loaded.
void PictureSize(const std::wstring& path, int& width, int& height);
