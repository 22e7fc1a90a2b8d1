// Runs trevasko.exe and answers its message boxes in the given order, printing what each box
// said; used by the demonstration.
//   update_driver.exe <trevasko.exe> "<arguments>" <screenshot.bmp> yes|no|ok ...
#include <windows.h>

#include <cstdio>

#include "common/util/ntstringconvert.h"
#include "updater/testkit.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::printf(
            "usage: update_driver <trevasko.exe> <arguments> <screenshot.bmp> answers...\n");
        return 2;
    }
    std::vector<int> answers;
    for (int i = 4; i < argc; ++i)
        answers.push_back(_wcsicmp(argv[i], L"yes") == 0  ? IDYES
                          : _wcsicmp(argv[i], L"no") == 0 ? IDNO
                                                          : IDOK);
    std::wstring exe = argv[1];
    std::wstring folder = exe.substr(0, exe.rfind(L'\\') + 1);
    std::wstring cmd = L"\"" + exe + L"\" " + argv[2];
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &si, &pi)) {
        std::printf("cannot start %ls\n", exe.c_str());
        return 1;
    }
    testkit::BoxDriver driver(pi.dwProcessId, answers);
    driver.SetScreenshotPath(argv[3]);
    WaitForSingleObject(pi.hProcess, 300000);
    driver.Stop();
    const char* names[] = {"", "OK", "", "", "", "", "Yes", "No"};
    size_t i = 0;
    for (const auto& box : driver.Seen()) {
        int answer = i < answers.size() ? answers[i] : (box.hasNo ? IDNO : IDOK);
        std::wstring text = box.text;
        for (wchar_t& c : text) {
            if (c == L'\n') c = L' ';
        }
        std::printf("  message box %zu: \"%s\" -> %s\n", ++i,
                    CNTStringConvert::UnicodeToUTF8(text.c_str()).c_str(), names[answer]);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
