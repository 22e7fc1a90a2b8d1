#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "updater/texttable.h"
#include "updater/updateitem.h"

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontOwner = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// What one run knows: owned by the application, read by the dialog and its worker.
struct UpdateState {
    std::wstring programFolder;  // with a trailing backslash
    CCMTextTable texts;
    FontOwner dialogFont;
    UpdateItemList items;
    std::wstring newVersion;
    std::wstring description;
    int forced = 0;
    int reboot = 0;  // first non-zero Reboot of a package's setup.xml
    int testMode = 0;
    std::wstring updateBase;
};

// A system-modal box captioned with the program title (string 57344); the button pressed.
int ShowUpdateMessage(HWND owner, const std::wstring& text, UINT buttons);
