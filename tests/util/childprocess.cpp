#include "childprocess.h"

#include <vector>

#include "testdir.h"

std::wstring ChildExe() { return ExeFolder() + L"\\util_child.exe"; }

std::string RunChild(const std::wstring& cmdLine) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0)) return std::string();
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(cmdLine.begin(), cmdLine.end());
    line.push_back(L'\0');
    BOOL started = ::CreateProcessW(ChildExe().c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                    nullptr, nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got)
            out.append(buffer, got);
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(readEnd);
    return out;
}

std::wstring RunDebuggee(const std::wstring& cmdLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(cmdLine.begin(), cmdLine.end());
    line.push_back(L'\0');
    if (!::CreateProcessW(ChildExe().c_str(), line.data(), nullptr, nullptr, FALSE,
                          DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si, &pi))
        return L"<not started>";
    std::wstring texts;
    for (bool running = true; running;) {
        DEBUG_EVENT ev;
        // Generous: only a debuggee that never ends should stop the wait.
        if (!::WaitForDebugEvent(&ev, 60000)) {
            ::TerminateProcess(pi.hProcess, 1);
            texts += L"<no exit>";
            break;
        }
        switch (ev.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT: {
                const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
                size_t unit = info.fUnicode ? 2 : 1;
                std::vector<char> bytes(info.nDebugStringLength * unit);
                SIZE_T got = 0;
                ::ReadProcessMemory(pi.hProcess, info.lpDebugStringData, bytes.data(), bytes.size(),
                                    &got);
                if (info.fUnicode) {
                    texts.append(reinterpret_cast<const wchar_t*>(bytes.data()), got / 2);
                } else {
                    std::string narrow(bytes.data(), got);
                    int n = ::MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
                    std::vector<wchar_t> wide(n > 0 ? n : 1);
                    ::MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, wide.data(), n);
                    texts += wide.data();
                }
                while (!texts.empty() && texts.back() == L'\0') texts.pop_back();
                texts += L'\n';
                break;
            }
            case CREATE_PROCESS_DEBUG_EVENT:
                ::CloseHandle(ev.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                ::CloseHandle(ev.u.LoadDll.hFile);
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                running = false;
                break;
        }
        ::ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, DBG_CONTINUE);
    }
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return texts;
}
