#include "capture/toolbar/ccmoptionbar.h"

#include <cwchar>

#include "capture/messageguard.h"
#include "capture/objects/ccmtooltable.h"
#include "capture/toolbar/ccmcaptureview.h"
#include "common/skin/comboui.h"
#include "common/skin/optionui.h"
#include "common/skin/sliderui.h"
#include "common/util/ntdebug.h"
#include "common/util/ntregedit.h"

namespace {

constexpr wchar_t kColorPrefix[] = L"btn_color";
constexpr wchar_t kSizePrefix[] = L"btn_brush";
constexpr size_t kPrefixLength = 9;
constexpr int kSwatchWidth = 28;

// The number after a button name's prefix ("btn_color12" -> 12); 0 for another name.
int ButtonNumber(const std::wstring& name, const wchar_t* prefix) {
    if (name.compare(0, kPrefixLength, prefix) != 0) return 0;
    return static_cast<int>(std::wcstol(name.c_str() + kPrefixLength, nullptr, 10));
}

std::wstring ButtonName(const wchar_t* prefix, int number) {
    return prefix + std::to_wstring(number);
}

// A stored choice; one outside 0..count-1 is the first choice, as the bar then shows it.
int StoredIndex(const CNTRegEdit& key, const wchar_t* name, int count) {
    const DWORD index = key.ReadDword(name, 0);
    return index < static_cast<DWORD>(count) ? static_cast<int>(index) : 0;
}

void WriteSetting(const wchar_t* name, int value) {
    if (!name) return;
    CNTRegEdit key(HKEY_CURRENT_USER, kCaptureSettingsKey);
    key.WriteDword(name, static_cast<DWORD>(value));
}

}  // namespace

CCMOptionBar::~CCMOptionBar() = default;

bool CCMOptionBar::CreateBar(HWND parent, CCMCaptureView* view) {
    m_view = view;
    return Create(parent, L"", WS_CHILD, 0, 0, 0, 1, 1) != nullptr;
}

LRESULT CCMOptionBar::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    const LRESULT result = WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
    if (result == -1)
        CNTDebug::Output(NTGetDebug(), L"CCMOptionBar::OnCreate - 打开界面文件错误.\n");
    return result;
}

void CCMOptionBar::SetTool(int tool) { m_tool = FindTool(tool) ? tool : TOOL_NONE; }

void CCMOptionBar::ShowBelow(HWND toolbar) {
    if (m_tool == TOOL_NONE) {
        Hide();
        return;
    }
    FollowToolbar(toolbar);
    SetLayout(ToolLayout(m_tool));
    LoadToolOptions();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CCMOptionBar::FollowToolbar(HWND toolbar) {
    RECT rc;
    if (!m_hWnd || !::GetWindowRect(toolbar, &rc)) return;
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rc), 2);
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.bottom + 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCMOptionBar::Hide() {
    if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
}

void CCMOptionBar::SetLayout(int layout) {
    const struct {
        const wchar_t* group;
        bool shown[4];  // by layout: none, shape, mosaic, text
    } groups[] = {{L"brush_group", {false, true, true, false}},
                  {L"font_group", {false, false, false, true}},
                  {L"color_group", {false, true, false, true}},
                  {L"fuzziness_group", {false, false, true, false}}};
    if (layout < OPTIONS_NONE || layout > OPTIONS_TEXT) layout = OPTIONS_NONE;
    for (const auto& entry : groups)
        if (CControlUI* group = m_pm.FindControl(entry.group))
            group->SetVisible(entry.shown[layout]);
}

void CCMOptionBar::LoadToolOptions() {
    const CCMToolInfo* info = FindTool(m_tool);
    if (!info) return;
    const CNTRegEdit key(HKEY_CURRENT_USER, kCaptureSettingsKey);
    if (info->sizeValue) {
        m_sizeIndex = StoredIndex(key, info->sizeValue, kSizeCount);
        SelectSizeButton(m_sizeIndex);
    }
    if (info->colorValue) {
        m_colorIndex = StoredIndex(key, info->colorValue, kColorCount);
        SelectColorButton(m_colorIndex);
    }
    if (m_tool == TOOL_MOSAIC) {
        auto* slider = dynamic_cast<CSliderUI*>(m_pm.FindControl(L"mosaic_slider"));
        const int stored =
            static_cast<int>(key.ReadDword(kMosaicFuzzinessValue, kDefaultMosaicBlock));
        // A value the slider cannot show (a damaged or foreign setting) would make mosaics that
        // match no slider position, or hide nothing: the default stands in for it.
        const bool onSlider =
            !slider || (stored >= slider->GetMinValue() && stored <= slider->GetMaxValue());
        m_fuzziness = onSlider ? MosaicBlockSize(stored) : kDefaultMosaicBlock;
        if (slider && slider->GetValue() != m_fuzziness) slider->SetValue(m_fuzziness);
        ShowFuzziness();
    }
    if (m_tool == TOOL_TEXT) {
        m_fontSizeIndex =
            static_cast<int>(key.ReadDword(kTextFontSizeIndexValue, kDefaultFontSizeIndex));
        auto* combo = dynamic_cast<CComboUI*>(m_pm.FindControl(L"fontsize_cbx"));
        if (combo) {
            if (m_fontSizeIndex < 0 || m_fontSizeIndex >= combo->GetCount())
                m_fontSizeIndex = kDefaultFontSizeIndex;
            if (combo->GetCurSel() != m_fontSizeIndex) combo->SelectItem(m_fontSizeIndex, false);
        }
    }
}

void CCMOptionBar::SelectSizeButton(int index) {
    if (auto* button =
            dynamic_cast<COptionUI*>(m_pm.FindControl(ButtonName(kSizePrefix, index + 1).c_str())))
        button->Selected(true, false);
}

void CCMOptionBar::SelectColorButton(int index) {
    if (auto* button =
            dynamic_cast<COptionUI*>(m_pm.FindControl(ButtonName(kColorPrefix, index + 1).c_str())))
        button->Selected(true, false);
    if (CControlUI* preview = m_pm.FindControl(L"colorlarge")) {
        wchar_t image[96];
        std::swprintf(image, 96, L"file='colorlarge.png' source='%d,0,%d,28'", index * kSwatchWidth,
                      index * kSwatchWidth + kSwatchWidth);
        preview->SetBkImage(image);
    }
}

void CCMOptionBar::ShowFuzziness() {
    if (CControlUI* label = m_pm.FindControl(L"fuzziness_value"))
        label->SetText(std::to_wstring(m_fuzziness).c_str());
}

DWORD CCMOptionBar::GetOptionColor() const { return ToolColor(m_colorIndex); }

int CCMOptionBar::GetOptionWidth() const { return ToolWidth(m_tool, m_sizeIndex); }

int CCMOptionBar::GetOptionFontSize() const {
    const CControlUI* combo = m_pm.FindControl(L"fontsize_cbx");
    if (!combo) return 0;
    const std::wstring text = combo->GetText();
    int size = 0;
    for (wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') break;
        size = size * 10 + (ch - L'0');
        if (size > 10000) break;
    }
    return size;
}

void CCMOptionBar::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        if (auto* slider = dynamic_cast<CSliderUI*>(m_pm.FindControl(L"mosaic_slider")))
            slider->SetCanSendMove(true);
        return;
    }
    if (!msg.pSender) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"mosaic_slider" &&
        (msg.sType == kNotifyValueChanged || msg.sType == kNotifyValueChangedMove)) {
        m_fuzziness = MosaicBlockSize(static_cast<CSliderUI*>(msg.pSender)->GetValue());
        ShowFuzziness();
        // While dragging every mosaic follows; only the value at release is stored.
        if (msg.sType == kNotifyValueChanged)
            WriteSetting(kMosaicFuzzinessValue, m_fuzziness);
        else if (m_view)
            m_view->ApplyMosaicBlock(m_fuzziness);
    } else if (name == L"fontsize_cbx" && msg.sType == kNotifyItemSelect) {
        m_fontSizeIndex = static_cast<CComboUI*>(msg.pSender)->GetCurSel();
        WriteSetting(kTextFontSizeIndexValue, m_fontSizeIndex);
        if (m_view) m_view->SetTextFontSize(GetOptionFontSize());
    } else if (msg.sType == kNotifySelectChanged) {
        if (int n = ButtonNumber(name, kColorPrefix))
            OnColorChosen(n);
        else if (int n = ButtonNumber(name, kSizePrefix))
            OnSizeChosen(n);
    }
}

void CCMOptionBar::OnColorChosen(int number) {
    const CCMToolInfo* info = FindTool(m_tool);
    if (info) WriteSetting(info->colorValue, number - 1);
    m_colorIndex = number - 1;
    SelectColorButton(m_colorIndex);
    if (m_tool == TOOL_TEXT && m_view) m_view->SetTextColor(GetOptionColor());
}

void CCMOptionBar::OnSizeChosen(int number) {
    const CCMToolInfo* info = FindTool(m_tool);
    if (info) WriteSetting(info->sizeValue, number - 1);
    m_sizeIndex = number - 1;
}

LRESULT CCMOptionBar::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return CMGuardMessage(m_hWnd, uMsg, [&]() -> LRESULT {
        if (uMsg == WM_SETFOCUS) {
            // Keys belong to the capture window and its text box.
            if (HWND parent = ::GetParent(m_hWnd)) ::SetFocus(parent);
            return 0;
        }
        return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    });
}
