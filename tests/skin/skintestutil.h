#pragma once

#include <string>
#include <vector>

#include "common/skin/uilib.h"

// The folder holding the packaged test skins (Windows form), ending in a backslash.
std::wstring SkinDataDir();
// A fresh empty folder under the system temp folder, ending in a backslash.
std::wstring MakeTempDir(const wchar_t* name);
bool ReadBytes(const std::wstring& path, std::vector<unsigned char>& out);
bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);

// Records every notification as "type:sender name".
class NotifyLog : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override;
    std::vector<std::wstring> events;
    // How many recorded events equal entry.
    int Count(const std::wstring& entry) const;
};
