#pragma once

#include <string>

// What the worker may change on screen; the dialog implements it by messages to its thread.
class CCMProgressView {
public:
    CCMProgressView() = default;
    CCMProgressView(const CCMProgressView&) = delete;
    CCMProgressView& operator=(const CCMProgressView&) = delete;
    virtual ~CCMProgressView() = default;

    virtual void SetStatusLine(const std::wstring& text) = 0;
    virtual void SetVersionLabel(const std::wstring& text) = 0;
    // 0..100.
    virtual void SetProgress(int position) = 0;
};
