#pragma once

#include <string>

// A fresh empty folder under the temporary folder, named after the caller's tag and this
// process, removed with everything in it (read-only files too) on destruction.
class CScratchFolder {
public:
    explicit CScratchFolder(const std::wstring& tag);
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    // Path without a trailing backslash; empty when no folder could be made.
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};
