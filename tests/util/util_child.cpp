// Child process for the tests that need a real command line or a debugger:
//   util_child debug <text>   sends <text> through CNTDebug::Output without a writer;
//   util_child args ...       prints NTParseCmdLine(0..5) as UTF-8 lines on stdout.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "common/util/ntdebug.h"
#include "common/util/ntsystem.h"

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"debug") {
        CNTDebug::Output(nullptr, L"%s|%d", argv[2], 42);
        return 0;
    }
    if (argc >= 2 && std::wstring(argv[1]) == L"args") {
        ::_setmode(::_fileno(stdout), _O_BINARY);
        for (int n = 0; n <= 5; ++n) {
            std::wstring arg = NTParseCmdLine(n);
            char utf8[2048];
            int len = ::WideCharToMultiByte(CP_UTF8, 0, arg.c_str(), static_cast<int>(arg.size()),
                                            utf8, sizeof(utf8), nullptr, nullptr);
            std::fwrite(utf8, 1, static_cast<size_t>(len), stdout);
            std::fputc('\n', stdout);
        }
        return 0;
    }
    return 2;
}
