#pragma once

#include <string>

#include "common/skin/uilib.h"

class CCMCaptureView;

// The option bar ("optiontoolbar.xml") below the toolbar: stroke sizes, the 16 colours with a
// large preview, the text font size and the mosaic fuzziness. Which groups show depends on the
// tool; each tool's choices are kept in the registry and read back whenever the bar is shown.
class CCMOptionBar : public WindowImplBase {
public:
    CCMOptionBar() = default;
    ~CCMOptionBar() override;

    // Creates the hidden child of parent at 1 x 1; the skin then sizes it. view must outlive the
    // bar. false when the skin cannot be read (a debug line says so).
    bool CreateBar(HWND parent, CCMCaptureView* view);

    // The tool whose choices the bar edits and reports; does not show or hide the bar.
    void SetTool(int tool);
    int GetTool() const { return m_tool; }
    // Shows the bar at (toolbar left, toolbar bottom + 2) in the parent's client coordinates
    // with the tool's layout and stored choices, without activating it or changing z-order;
    // hides it when there is no tool.
    void ShowBelow(HWND toolbar);
    // Moves to the same place without showing (the toolbar was dragged).
    void FollowToolbar(HWND toolbar);
    void Hide();
    // Shows the groups of an OPTIONS_* layout and hides the others.
    void SetLayout(int layout);
    // Reads the current tool's stored choices (defaults for missing values) into the controls.
    void LoadToolOptions();

    // What a new annotation takes: colour (ARGB), stroke width of the tool at the size index,
    // mosaic block size, and the font size in points (0 when the combo shows no number).
    DWORD GetOptionColor() const;
    int GetOptionWidth() const;
    int GetMosaicFuzziness() const { return m_fuzziness; }
    int GetOptionFontSize() const;
    int GetSizeIndex() const { return m_sizeIndex; }
    int GetColorIndex() const { return m_colorIndex; }
    int GetFontSizeIndex() const { return m_fontSizeIndex; }

    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"UICaptureScreenBrushBar"; }
    UINT GetClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return L"optiontoolbar.xml"; }
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override { return 0; }

private:
    void OnColorChosen(int number);
    void OnSizeChosen(int number);
    void SelectSizeButton(int index);
    void SelectColorButton(int index);
    void ShowFuzziness();

    CCMCaptureView* m_view = nullptr;
    int m_tool = 0;
    int m_fuzziness = 6;
    int m_sizeIndex = 0;
    int m_colorIndex = 0;
    int m_fontSizeIndex = 1;
};
