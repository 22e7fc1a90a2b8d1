#include "common/skin/menuelementui.h"

#include "common/skin/paintmanagerui.h"

CMenuElementUI::CMenuElementUI() {
    m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    m_textPadding = RECT{12, 0, 12, 0};
}

const wchar_t* CMenuElementUI::GetClass() const { return L"MenuElement"; }

bool CMenuElementUI::Activate() {
    if (!IsEnabled() || !IsVisible() || !m_manager) return false;
    m_manager->SendNotify(this, kNotifyItemClick);
    return true;
}
