#pragma once

#include <objbase.h>

// COM on the calling thread for the owner's lifetime (the save dialog and the text services of
// a capture need an apartment). Balanced on the same thread; a thread that already joined
// another apartment keeps it and is left alone.
class CMComApartment {
public:
    CMComApartment() : m_joined(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~CMComApartment() {
        if (m_joined) ::CoUninitialize();
    }
    CMComApartment(const CMComApartment&) = delete;
    CMComApartment& operator=(const CMComApartment&) = delete;

private:
    bool m_joined;
};
