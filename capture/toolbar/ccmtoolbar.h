#pragma once

#include <string>

#include "common/skin/uilib.h"

class CCMCaptureView;
class CCMOptionBar;
class COptionUI;

// The capture toolbar ("screentoolbar.xml"): exit, save, complete, the six tool buttons and
// undo. A child of the capture window, dragged by its background; the option bar follows it.
// At most one tool button is selected; SelectTool keeps the buttons, the option bar and the
// current object in step.
class CCMToolbar : public WindowImplBase {
public:
    CCMToolbar() = default;
    ~CCMToolbar() override;

    // Creates the hidden child of parent at 1 x 1; the skin then sizes it. view and optionBar
    // must outlive the toolbar. false when the skin cannot be read (a debug line says so).
    bool CreateBar(HWND parent, CCMCaptureView* view, CCMOptionBar* optionBar);

    // Makes tool current (TOOL_NONE for none): buttons, option bar, and the current object is
    // deactivated.
    void SelectTool(int tool);
    int GetCurrentTool() const { return m_tool; }
    // Shows the option bar below the toolbar for the selected tool when show is true and a tool
    // is selected; hides it otherwise.
    void UpdateOptionBar(bool show);

    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // The toolbar is held by value: it forgets its controls but does not delete itself.
    void OnFinalMessage(HWND hWnd) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"UICaptureScreenToolbar"; }
    UINT GetClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return L"screentoolbar.xml"; }
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // HTCAPTION everywhere but over the ten buttons.
    LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // Keys belong to the capture window; Escape must not close the toolbar.
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override { return 0; }

private:
    LRESULT RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnClick(const std::wstring& name);
    void OnToolButton(const std::wstring& name);
    bool IsButton(const CControlUI* control) const;
    void CreateTooltips();
    void UpdateTooltipRects();

    CCMCaptureView* m_view = nullptr;
    CCMOptionBar* m_optionBar = nullptr;
    CControlUI* m_buttons[10] = {};
    COptionUI* m_toolButtons[6] = {};
    HWND m_tooltip = nullptr;
    int m_tool = 0;
};
