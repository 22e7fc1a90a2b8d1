#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/ntapi.h"
#include "common/skin/uidefs.h"

namespace Gdiplus {
class Bitmap;
}
class CControlUI;
class COptionUI;
class CEditUI;

// Skin attribute list of one element, in document order.
using UIAttributeList = std::vector<std::pair<std::wstring, std::wstring>>;

// Runs one skinned window: owns its control tree, lays it out, paints it double-buffered,
// routes mouse and focus to the controls and hands their notifications to the window.
// The static part holds the process-wide skin source (folder, or archive in that folder).
class NT_API CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Process-wide set-up, once before the first window.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    // Folder holding the skin files; a trailing backslash is added when missing.
    static void SetResourcePath(const wchar_t* path);
    static const std::wstring& GetResourcePath();
    // Reads the skin files from this archive in the resource folder instead of the folder
    // itself; an empty name goes back to the folder. cached asks to keep the archive open; it
    // is opened afresh for each read either way, so a replaced archive is always seen.
    static void SetResourceZip(const wchar_t* name, bool cached = false);
    static const std::wstring& GetResourceZip();
    // Reads a skin file (name relative to the resource folder) from the folder or the archive;
    // false when it is missing or the archive is missing or damaged.
    static bool ReadSkinFile(const std::wstring& name, std::vector<unsigned char>& out);
    // Dispatches messages until WM_QUIT.
    static void MessageLoop();

    // Binds the manager to its window.
    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWnd; }
    // Folder inside the resource folder that this window's skin and images are read from.
    void SetSkinFolder(const std::wstring& folder) { m_skinFolder = folder; }
    const std::wstring& GetSkinFolder() const { return m_skinFolder; }

    // Takes ownership of the tree, attaches every control and lays it out; false for nullptr.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_root.get(); }
    // The control with that name attribute, or nullptr (also for a null or empty name).
    CControlUI* FindControl(const wchar_t* name) const;
    // The deepest visible control at a client point, or nullptr.
    CControlUI* FindControl(POINT pt) const;
    // Every option of that group in tree order.
    std::vector<COptionUI*> GetOptionGroup(const std::wstring& group) const;

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void AddMessageFilter(IMessageFilterUI* filter);
    void RemoveMessageFilter(IMessageFilterUI* filter);
    // Hands a notification to every notifier, synchronously.
    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);
    // Takes Enter and Escape when no filter consumed them (the window itself); null for none.
    void SetDefaultKeyHandler(IDefaultKeyUI* handler) { m_defaultKeys = handler; }
    // Offers a message to the filters and then handles it for the controls and the default keys
    // (WM_KEYDOWN: Tab moves the focus, Enter and Escape go to the default key handler); true
    // when it is fully handled and result holds the answer.
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Offers a key typed into a child edit box to the filters; true when one consumed it.
    bool FilterChildKey(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Routes a key typed into a child edit box as if it were pressed in the window: the filters,
    // then for WM_KEYDOWN Tab, Enter and Escape; true when it was used.
    bool HandleChildKey(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Window look from the skin's Window element.
    SIZE GetInitSize() const { return m_initSize; }
    void SetInitSize(SIZE size) { m_initSize = size; }
    // Left, top and right insets and, as bottom, the height of the band that drags the window.
    const RECT& GetCaptionRect() const { return m_caption; }
    void SetCaptionRect(const RECT& rc) { m_caption = rc; }
    SIZE GetRoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(SIZE size) { m_roundCorner = size; }
    void SetDefaultButton(const std::wstring& name) { m_defaultButton = name; }
    // The control Enter activates, or nullptr.
    CControlUI* GetDefaultButton() const;

    // Fonts by skin id; the default one is used for id -1 and for unknown ids.
    void AddFont(int id, const wchar_t* face, int size, bool bold, bool italic, bool underline,
                 bool isDefault);
    HFONT GetFont(int id) const;
    // Line height of that font in pixels.
    int GetFontHeight(int id) const;

    // The image of that file (relative to the skin folder), loaded once; nullptr when the file is
    // missing or not an image.
    Gdiplus::Bitmap* GetImage(const std::wstring& file);

    // Attributes applied to every control of that class before its own.
    void AddDefaultAttributes(const std::wstring& className, UIAttributeList attributes);
    const UIAttributeList* GetDefaultAttributes(const std::wstring& className) const;

    CControlUI* GetFocus() const { return m_focus; }
    void SetFocus(CControlUI* control);
    // Moves the keyboard focus to the next (or previous) visible, enabled edit box.
    bool MoveFocus(bool backwards);
    CControlUI* GetCaptureControl() const { return m_captured; }
    // Popups keep the mouse captured themselves; the manager then never captures or releases.
    void SetPopupMode(bool popup) { m_popup = popup; }

    // Forgets a control that goes away or is hidden (hover, capture, focus).
    void ReapObjects(CControlUI* control);
    // Finds the hover control again under a pointer that has not moved: after a control was
    // enabled, disabled, shown or hidden, or the layout changed.
    void RefreshHot();
    void Invalidate(const RECT& rc);
    // Lays the tree out again over the client area.
    void NeedUpdate();

private:
    struct FontEntry;
    struct BitmapDeleter {
        void operator()(Gdiplus::Bitmap* bitmap) const;
    };

    static std::unique_ptr<FontEntry> MakeFont(const wchar_t* face, int size, bool bold,
                                               bool italic, bool underline);
    const FontEntry* FindFont(int id) const;
    void Paint();
    void OnMouseMove(POINT pt, WPARAM keys);
    void OnButtonDown(POINT pt, WPARAM keys);
    void OnButtonUp(POINT pt, WPARAM keys);
    void SetHot(CControlUI* control, POINT pt);
    void TrackLeave();
    // Tab, Enter and Escape after the filters; true when used.
    bool DefaultKey(WPARAM key);
    CEditUI* FindEdit(HWND hWnd) const;
    std::vector<CEditUI*> Edits() const;

    static HINSTANCE s_instance;
    static std::wstring s_resourcePath;
    static std::wstring s_resourceZip;

    HWND m_hWnd = nullptr;
    std::wstring m_skinFolder;
    std::unique_ptr<CControlUI> m_root;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_filters;
    IDefaultKeyUI* m_defaultKeys = nullptr;
    SIZE m_initSize = {};
    RECT m_caption = {};
    SIZE m_roundCorner = {};
    std::wstring m_defaultButton;
    std::map<int, std::unique_ptr<FontEntry>> m_fonts;
    int m_defaultFont = -1;
    mutable std::unique_ptr<FontEntry> m_fallbackFont;
    std::map<std::wstring, std::unique_ptr<Gdiplus::Bitmap, BitmapDeleter>> m_images;
    std::map<std::wstring, UIAttributeList> m_defaults;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hot = nullptr;
    CControlUI* m_captured = nullptr;
    bool m_trackingLeave = false;
    bool m_popup = false;
    bool m_inLayout = false;
};
