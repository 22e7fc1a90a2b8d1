#pragma once

#include <string>
#include <vector>

#include "common/ntapi.h"
#include "common/skin/uidefs.h"

class CControlUI;
class CNTXMLParse;

// Builds a control tree from a skin file (see README.md for the format). The Window element's
// settings go to the manager; Font and Default elements register fonts and per-class
// attributes; the first control element becomes the root. Unknown elements are skipped with
// everything inside them, unknown attributes are ignored.
class NT_API CDialogBuilder {
public:
    // Reads the skin file (name relative to the resource folder, after the manager's skin
    // folder) and builds the tree; nullptr when the file is missing, damaged, not well-formed,
    // has no Window root or no control.
    CControlUI* Create(const std::wstring& skinFile, IDialogBuilderCallback* callback,
                       CPaintManagerUI* manager);
    // Same from skin text in memory.
    CControlUI* CreateFromText(const std::wstring& text, IDialogBuilderCallback* callback,
                               CPaintManagerUI* manager);

    // The text of the skin bytes: UTF-16 with its byte-order mark, or UTF-8 (with or without
    // one); bytes that are not UTF-8 are read in the system code page.
    static std::wstring DecodeText(const std::vector<unsigned char>& bytes);
    // A new control for a built-in element name, or nullptr.
    static CControlUI* CreateBuiltin(const std::wstring& className);

private:
    CControlUI* Parse(CNTXMLParse& xml, IDialogBuilderCallback* callback, CPaintManagerUI* manager);
    void ApplyWindowAttributes(CNTXMLParse& xml, CPaintManagerUI* manager);
    void AddFont(CNTXMLParse& xml, CPaintManagerUI* manager);
    void AddDefault(CNTXMLParse& xml, CPaintManagerUI* manager);
};
