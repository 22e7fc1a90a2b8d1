#pragma once

#include "common/window/ntwindow.h"

// The framework's plain window: CNTWindow's creation, showing, centring and messaging under the
// name the skinned windows know it by.
class NT_API CWindowWnd : public CNTWindow {
public:
    CWindowWnd() = default;
};
