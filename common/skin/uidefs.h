#pragma once

#include <windows.h>

#include <string>

#include "common/ntapi.h"

class CControlUI;
class CPaintManagerUI;

// Event types handed to INotifyUI::Notify.
inline constexpr wchar_t kNotifyWindowInit[] = L"windowinit";
inline constexpr wchar_t kNotifyClick[] = L"click";
inline constexpr wchar_t kNotifyTextChanged[] = L"textchanged";
inline constexpr wchar_t kNotifySelectChanged[] = L"selectchanged";
inline constexpr wchar_t kNotifyItemSelect[] = L"itemselect";
inline constexpr wchar_t kNotifyItemClick[] = L"itemclick";
inline constexpr wchar_t kNotifyValueChanged[] = L"valuechanged";
inline constexpr wchar_t kNotifyValueChangedMove[] = L"valuechanged_move";

// One notification: what happened and which control it happened to.
struct TNotifyUI {
    std::wstring sType;
    CControlUI* pSender = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    POINT ptMouse = {};
    DWORD dwTimestamp = 0;
    // Set by a window that acted on the notification itself; the framework's own default
    // handling (the window buttons) then leaves it alone.
    bool bHandled = false;
};

// Receives the notifications of a window's controls.
class NT_API INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

// Sees the window messages that reach the paint manager (those the window's own handlers left
// unhandled) and the keys typed into its edit boxes, before the controls and the default keys;
// setting handled stops further processing and the result is returned.
class NT_API IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

// Answers the keys that no message filter consumed and the focus moves did not use: Enter and
// Escape, the window's default keys.
class NT_API IDefaultKeyUI {
public:
    // Non-zero when the key was used.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam) = 0;

protected:
    ~IDefaultKeyUI() = default;
};

// Lets a window supply controls of its own for skin elements the framework does not know.
class NT_API IDialogBuilderCallback {
public:
    // A new control for that element name, or nullptr to skip the element.
    virtual CControlUI* CreateControl(const wchar_t* className) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

// Mouse, wheel, key and focus events the paint manager routes to a control.
enum UIEventType {
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEMOVE,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_CAPTURELOST,
    UIEVENT_SCROLLWHEEL,  // wParam: WM_MOUSEWHEEL's, to the control under the pointer
    UIEVENT_KEYDOWN,      // wParam: the virtual key, to the focused control (not an edit box)
};

struct TEventUI {
    UIEventType Type = UIEVENT_MOUSEMOVE;
    POINT ptMouse = {};
    WPARAM wParam = 0;
};
