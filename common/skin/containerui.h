#pragma once

#include <memory>
#include <vector>

#include "common/skin/controlui.h"
#include "common/skin/uilayout.h"

// A control that owns children and lays them out in one direction; showing or hiding it shows
// or hides the whole group. Float children are placed by their pos relative to the container.
class NT_API CContainerUI : public CControlUI {
public:
    explicit CContainerUI(bool vertical = true);
    ~CContainerUI() override;

    const wchar_t* GetClass() const override;

    // Takes ownership; false for nullptr.
    bool Add(CControlUI* control);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    // nullptr when out of range.
    CControlUI* GetItemAt(int index) const;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void Init() override;
    void SetPos(const RECT& rc) override;
    // The size the visible children need with their fixed sizes, paddings and the inset.
    SIZE WrapSize() const;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    CControlUI* FindControlAt(POINT pt) override;
    CControlUI* FindControlByName(const std::wstring& name) override;
    void DoPaint(HDC hdc, const RECT& rcPaint) override;

    // Visits this container and every control below it, depth first.
    template <typename F>
    void ForEach(F&& visit) {
        for (auto& item : m_items) {
            visit(item.get());
            if (auto* box = dynamic_cast<CContainerUI*>(item.get())) box->ForEach(visit);
        }
    }

protected:
    void OnVisibilityChanged() override;

    std::vector<std::unique_ptr<CControlUI>> m_items;
    bool m_vertical;
    RECT m_inset = {};
    int m_childPadding = 0;
    UIAlign m_childAlign = UIALIGN_START;
    UIAlign m_childCrossAlign = UIALIGN_START;
};
