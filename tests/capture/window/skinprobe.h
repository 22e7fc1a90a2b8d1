#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "common/skin/uilib.h"

// Lays a skin file out at a bar's size, so a test or the demo finds where the bar's controls
// are without reaching into the bar (which may live in another process).
class SkinProbe : public WindowImplBase {
public:
    explicit SkinProbe(std::wstring skinFile) : m_skinFile(std::move(skinFile)) {}
    // Screen centre of a control of the skin as laid out in bar, with the named controls hidden
    // as the bar hides them; (-1, -1) when not found.
    static POINT ControlCenter(HWND bar, const wchar_t* skinFile, const wchar_t* control,
                               std::initializer_list<const wchar_t*> hidden = {});

protected:
    const wchar_t* GetWindowClassName() const override { return L"CaptureTestSkinProbe"; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return m_skinFile; }

private:
    std::wstring m_skinFile;
};
