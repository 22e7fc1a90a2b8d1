#include "common/skin/containerui.h"

#include <algorithm>

#include "common/skin/uiparse.h"

namespace {

bool ParseAlign(const wchar_t* value, UIAlign& out) {
    std::wstring v = value;
    if (v == L"left" || v == L"top" || v == L"start")
        out = UIALIGN_START;
    else if (v == L"center")
        out = UIALIGN_CENTER;
    else if (v == L"right" || v == L"bottom" || v == L"end")
        out = UIALIGN_END;
    else
        return false;
    return true;
}

}  // namespace

CContainerUI::CContainerUI(bool vertical) : m_vertical(vertical) {}

// Children go first, while the manager pointer they hold is still valid.
CContainerUI::~CContainerUI() { m_items.clear(); }

const wchar_t* CContainerUI::GetClass() const { return L"Container"; }

bool CContainerUI::Add(CControlUI* control) {
    if (!control) return false;
    m_items.emplace_back(control);
    control->SetManager(m_manager, this);
    control->SetInternVisible(IsVisible());
    NeedParentUpdate();
    return true;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    CControlUI::SetManager(manager, parent);
    for (auto& item : m_items) item->SetManager(manager, this);
}

void CContainerUI::Init() {
    for (auto& item : m_items) item->Init();
}

void CContainerUI::SetPos(const RECT& rc) {
    CControlUI::SetPos(rc);
    std::vector<UILayoutItem> run;
    std::vector<CControlUI*> placed;
    for (auto& item : m_items) {
        if (item->IsFloat()) {
            const RECT& f = item->GetFloatPos();
            if (item->IsVisible())
                item->SetPos(
                    RECT{rc.left + f.left, rc.top + f.top, rc.left + f.right, rc.top + f.bottom});
            continue;
        }
        UILayoutItem layout;
        layout.visible = item->IsVisible();
        SIZE size = item->EstimateSize();
        layout.fixedWidth = size.cx;
        layout.fixedHeight = size.cy;
        layout.padding = item->GetPadding();
        run.push_back(layout);
        placed.push_back(item.get());
    }
    std::vector<RECT> rects = UILayoutLinear(rc, m_inset, m_childPadding, m_vertical, m_childAlign,
                                             m_childCrossAlign, run);
    for (size_t i = 0; i < placed.size(); ++i) {
        if (run[i].visible) placed[i]->SetPos(rects[i]);
    }
}

SIZE CContainerUI::WrapSize() const {
    int main = 0, cross = 0, count = 0;
    for (const auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        auto* box = dynamic_cast<const CContainerUI*>(item.get());
        SIZE s = box ? box->WrapSize() : item->EstimateSize();
        if (item->GetFixedWidth() > 0) s.cx = item->GetFixedWidth();
        if (item->GetFixedHeight() > 0) s.cy = item->GetFixedHeight();
        const RECT& p = item->GetPadding();
        int a = m_vertical ? s.cy + p.top + p.bottom : s.cx + p.left + p.right;
        int b = m_vertical ? s.cx + p.left + p.right : s.cy + p.top + p.bottom;
        main += a;
        cross = std::max(cross, b);
        ++count;
    }
    if (count > 1) main += m_childPadding * (count - 1);
    SIZE wrapped = m_vertical ? SIZE{cross, main} : SIZE{main, cross};
    wrapped.cx += m_inset.left + m_inset.right;
    wrapped.cy += m_inset.top + m_inset.bottom;
    return wrapped;
}

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    RECT rc;
    int i;
    UIAlign a;
    if (n == L"inset") {
        if (UIParseRect(value, rc)) m_inset = rc;
    } else if (n == L"childpadding") {
        if (UIParseInt(value, i) && i >= 0) m_childPadding = i;
    } else if (n == L"childalign") {
        if (ParseAlign(value, a)) m_childAlign = a;
    } else if (n == L"childcrossalign") {
        if (ParseAlign(value, a)) m_childCrossAlign = a;
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
    if (!IsVisible() || !::PtInRect(&m_rcItem, pt)) return nullptr;
    // Later children are painted on top, so they are hit first.
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (CControlUI* hit = (*it)->FindControlAt(pt)) return hit;
    }
    return m_mouseEnabled ? this : nullptr;
}

CControlUI* CContainerUI::FindControlByName(const std::wstring& name) {
    if (CControlUI* self = CControlUI::FindControlByName(name)) return self;
    for (auto& item : m_items) {
        if (CControlUI* hit = item->FindControlByName(name)) return hit;
    }
    return nullptr;
}

void CContainerUI::DoPaint(HDC hdc, const RECT& rcPaint) {
    RECT tmp;
    if (!::IntersectRect(&tmp, &rcPaint, &m_rcItem)) return;
    PaintBkColor(hdc);
    PaintBkImage(hdc);
    for (auto& item : m_items) {
        if (item->IsVisible()) item->DoPaint(hdc, rcPaint);
    }
    PaintBorder(hdc);
}

void CContainerUI::OnVisibilityChanged() {
    for (auto& item : m_items) item->SetInternVisible(IsVisible());
}
