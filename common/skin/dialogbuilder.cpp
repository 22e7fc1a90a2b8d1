#include "common/skin/dialogbuilder.h"

#include <memory>

#include "common/skin/buttonui.h"
#include "common/skin/comboui.h"
#include "common/skin/containerui.h"
#include "common/skin/editui.h"
#include "common/skin/horizontallayoutui.h"
#include "common/skin/labelui.h"
#include "common/skin/listui.h"
#include "common/skin/menuelementui.h"
#include "common/skin/optionui.h"
#include "common/skin/paintmanagerui.h"
#include "common/skin/progressui.h"
#include "common/skin/sliderui.h"
#include "common/skin/textui.h"
#include "common/skin/uiparse.h"
#include "common/skin/verticallayoutui.h"
#include "common/util/ntdebug.h"
#include "common/xml/ntxmlparse.h"

namespace {

// Walks the attributes of the current element.
template <typename F>
void ForEachAttribute(const CNTXMLParse& xml, F&& visit) {
    std::wstring name, value;
    for (int n = 0; xml.GetNthAttrib(n, name, value); ++n) visit(name, value);
}

}  // namespace

std::wstring CDialogBuilder::DecodeText(const std::vector<unsigned char>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
        return text;
    }
    size_t skip =
        bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    if (bytes.size() == skip) return std::wstring();
    const char* data = reinterpret_cast<const char*>(bytes.data()) + skip;
    int len = static_cast<int>(bytes.size() - skip);
    UINT codePage = CP_UTF8;
    int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, len, nullptr, 0);
    if (units <= 0) {
        codePage = CP_ACP;
        units = ::MultiByteToWideChar(CP_ACP, 0, data, len, nullptr, 0);
        if (units <= 0) return std::wstring();
    }
    std::wstring text(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(codePage, 0, data, len, &text[0], units);
    return text;
}

CControlUI* CDialogBuilder::CreateBuiltin(const std::wstring& c) {
    if (c == L"Control") return new CControlUI;
    if (c == L"Container" || c == L"VerticalLayout") return new CVerticalLayoutUI;
    if (c == L"HorizontalLayout") return new CHorizontalLayoutUI;
    if (c == L"Label") return new CLabelUI;
    if (c == L"Text") return new CTextUI;
    if (c == L"Button") return new CButtonUI;
    if (c == L"Option") return new COptionUI;
    if (c == L"Edit") return new CEditUI;
    if (c == L"Combo") return new CComboUI;
    if (c == L"Progress") return new CProgressUI;
    if (c == L"List") return new CListUI;
    if (c == L"Slider") return new CSliderUI;
    if (c == L"MenuElement") return new CMenuElementUI;
    return nullptr;
}

CControlUI* CDialogBuilder::Create(const std::wstring& skinFile, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager) {
    std::vector<unsigned char> bytes;
    std::wstring name = (manager ? manager->GetSkinFolder() : std::wstring()) + skinFile;
    if (!CPaintManagerUI::ReadSkinFile(name, bytes)) {
        CNTDebug::Output(nullptr, L"skin: cannot read '%ls'\n", name.c_str());
        return nullptr;
    }
    return CreateFromText(DecodeText(bytes), callback, manager);
}

CControlUI* CDialogBuilder::CreateFromText(const std::wstring& text,
                                           IDialogBuilderCallback* callback,
                                           CPaintManagerUI* manager) {
    if (!manager) return nullptr;
    CNTXMLParse xml;
    if (!xml.SetDoc(text) || !xml.FindElem(L"Window")) {
        CNTDebug::Output(nullptr, L"skin: not a well-formed Window document: %ls\n",
                         xml.GetError().c_str());
        return nullptr;
    }
    ApplyWindowAttributes(xml, manager);
    xml.IntoElem();
    std::unique_ptr<CControlUI> root;
    while (xml.FindElem()) {
        std::wstring tag = xml.GetTagName();
        if (tag == L"Font")
            AddFont(xml, manager);
        else if (tag == L"Default")
            AddDefault(xml, manager);
        else if (!root)
            root.reset(Parse(xml, callback, manager));
    }
    return root.release();
}

void CDialogBuilder::ApplyWindowAttributes(CNTXMLParse& xml, CPaintManagerUI* manager) {
    ForEachAttribute(xml, [&](const std::wstring& name, const std::wstring& value) {
        RECT rc;
        SIZE sz;
        if (name == L"size") {
            if (UIParseSize(value.c_str(), sz)) manager->SetInitSize(sz);
        } else if (name == L"caption") {
            if (UIParseRect(value.c_str(), rc)) manager->SetCaptionRect(rc);
        } else if (name == L"roundcorner") {
            if (UIParseSize(value.c_str(), sz)) manager->SetRoundCorner(sz);
        } else if (name == L"defaultbutton") {
            manager->SetDefaultButton(value);
        }
    });
}

void CDialogBuilder::AddFont(CNTXMLParse& xml, CPaintManagerUI* manager) {
    int id = 0, size = 12;
    bool bold = false, italic = false, underline = false, isDefault = false;
    std::wstring face = L"微软雅黑";
    ForEachAttribute(xml, [&](const std::wstring& name, const std::wstring& value) {
        if (name == L"id")
            UIParseInt(value.c_str(), id);
        else if (name == L"name")
            face = value;
        else if (name == L"size")
            UIParseInt(value.c_str(), size);
        else if (name == L"bold")
            UIParseBool(value.c_str(), bold);
        else if (name == L"italic")
            UIParseBool(value.c_str(), italic);
        else if (name == L"underline")
            UIParseBool(value.c_str(), underline);
        else if (name == L"default")
            UIParseBool(value.c_str(), isDefault);
    });
    manager->AddFont(id, face.c_str(), size, bold, italic, underline, isDefault);
}

void CDialogBuilder::AddDefault(CNTXMLParse& xml, CPaintManagerUI* manager) {
    std::wstring className;
    UIAttributeList attributes;
    ForEachAttribute(xml, [&](const std::wstring& name, const std::wstring& value) {
        if (name == L"class")
            className = value;
        else
            attributes.emplace_back(name, value);
    });
    if (!className.empty()) manager->AddDefaultAttributes(className, std::move(attributes));
}

CControlUI* CDialogBuilder::Parse(CNTXMLParse& xml, IDialogBuilderCallback* callback,
                                  CPaintManagerUI* manager) {
    std::wstring tag = xml.GetTagName();
    std::unique_ptr<CControlUI> control(CreateBuiltin(tag));
    if (!control && callback) control.reset(callback->CreateControl(tag.c_str()));
    if (!control) {
        CNTDebug::Output(nullptr, L"skin: unknown element <%ls> skipped\n", tag.c_str());
        return nullptr;
    }
    control->SetManager(manager, nullptr);
    if (const UIAttributeList* defaults = manager->GetDefaultAttributes(tag)) {
        for (const auto& attribute : *defaults)
            control->SetAttribute(attribute.first.c_str(), attribute.second.c_str());
    }
    ForEachAttribute(xml, [&](const std::wstring& name, const std::wstring& value) {
        control->SetAttribute(name.c_str(), value.c_str());
    });
    if (auto* box = dynamic_cast<CContainerUI*>(control.get())) {
        xml.IntoElem();
        while (xml.FindElem()) box->Add(Parse(xml, callback, manager));
        xml.OutOfElem();
    } else if (auto* combo = dynamic_cast<CComboUI*>(control.get())) {
        xml.IntoElem();
        while (xml.FindElem(L"Item")) combo->AddItem(xml.GetAttrib(L"text").c_str());
        xml.OutOfElem();
        // cursel may name an item that only the children add.
        std::wstring cursel;
        ForEachAttribute(xml, [&](const std::wstring& name, const std::wstring& value) {
            if (name == L"cursel") cursel = value;
        });
        int index;
        if (UIParseInt(cursel.c_str(), index)) combo->SelectItem(index, false);
    }
    return control.release();
}
