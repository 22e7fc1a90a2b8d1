#pragma once

#include <windows.h>

// What the toolbar and the option bar ask of the capture window. The window implements it; the
// bars never see the window class, so they run under any parent (tests use a plain window).
class CCMCaptureView {
public:
    // Posts WM_CAPTURE_ACTION with that wParam to the capture window: 0 close, 1 complete.
    virtual void PostCaptureAction(int action) = 0;
    // Asks for a file and saves; true when saved (the caller then closes the capture).
    virtual bool SaveToFile() = 0;
    virtual void UndoLast() = 0;
    // Another tool was chosen: the current object stops being edited (a text box is committed).
    virtual void DeactivateCurrentObject() = 0;
    // Every mosaic on the picture takes this block size (sent while the slider is dragged).
    virtual void ApplyMosaicBlock(int blockSize) = 0;
    // The current text box takes this font size (points) or colour (ARGB) for all its text.
    virtual void SetTextFontSize(int size) = 0;
    virtual void SetTextColor(DWORD argb) = 0;

protected:
    ~CCMCaptureView() = default;
};
