#pragma once

#include <string>
#include <vector>

#include "capture/toolbar/ccmcaptureview.h"
#include "capture/toolbar/ccmoptionbar.h"
#include "capture/toolbar/ccmtoolbar.h"
#include "common/skin/uilib.h"
#include "common/window/ntwindow.h"

// Records what the bars ask of the capture window.
class ViewLog : public CCMCaptureView {
public:
    void PostCaptureAction(int action) override { actions.push_back(action); }
    bool SaveToFile() override {
        ++saves;
        return saveSucceeds;
    }
    void UndoLast() override { ++undos; }
    void DeactivateCurrentObject() override { ++deactivations; }
    void ApplyMosaicBlock(int blockSize) override { blocks.push_back(blockSize); }
    void SetTextFontSize(int size) override { fontSizes.push_back(size); }
    void SetTextColor(DWORD argb) override { colors.push_back(argb); }

    bool saveSucceeds = false;
    std::vector<int> actions;
    int saves = 0, undos = 0, deactivations = 0;
    std::vector<int> blocks, fontSizes;
    std::vector<DWORD> colors;
};

// The bars with their controls open to the test.
template <class Bar>
class Inspectable : public Bar {
public:
    CControlUI* Find(const wchar_t* name) { return this->m_pm.FindControl(name); }
    // The control's centre in screen coordinates.
    POINT ScreenCenter(const wchar_t* name);
    bool IsShown(const wchar_t* name) {
        CControlUI* control = Find(name);
        return control && control->IsVisible();
    }
};
using TestToolbar = Inspectable<CCMToolbar>;
using TestOptionBar = Inspectable<CCMOptionBar>;

// A plain Win32 stand-in for the capture window: a top-most pop-up painted with a desktop-like
// picture, parent of the two bars.
class BarsParentWindow : public CNTWindow {
public:
    // The message a right-click menu reports through, as the capture window gives it.
    static constexpr UINT kMenuMessage = WM_USER + 100;

    const wchar_t* GetWindowClassName() const override { return L"NTCaptureBarsParent"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Names of the menu entries that existed when the menu reported "windowinit".
    std::vector<std::wstring> menuEntries;
};

// Saves that part of the screen as a PNG into the build's tests folder (for looking at).
void SaveScreenshot(const RECT& screen, const wchar_t* name);
