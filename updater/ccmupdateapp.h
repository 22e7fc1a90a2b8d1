#pragma once

#include "updater/framework/ccmwinapp.h"
#include "updater/updatestate.h"

// The updater's application object: start-up, the version check and the decision, then the
// progress dialog.
class CCMUpdateApp : public CCMWinApp {
public:
    explicit CCMUpdateApp(HINSTANCE instance) : CCMWinApp(instance) {}

    // -1: the service could not be asked or its reply is not JSON; 0: no update; 1: packages
    // waiting (item list, new version, description and forced flag set).
    int CheckVersion();

protected:
    bool InitInstance() override;

private:
    void BuildDialogFont();
    void WriteCheckRecord(DWORD cycle, bool withTime);

    UpdateState m_state;
};
