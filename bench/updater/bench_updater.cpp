// Prints MB/s of DownloadPackage beside a bare WinINet read loop over the same URL, and of the
// ZIP reader beside a loop that only inflates and writes the same bytes in 16 KiB blocks.
#include <windows.h>
#include <wininet.h>
#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "common/zip/ntziparchive.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "updater/download.h"
#include "updater/testkit.h"
#include "zip/zipbuilder.h"

using namespace testkit;

namespace {

constexpr uint32_t kSize = 200000000;

class CountingView : public CCMProgressView {
public:
    void SetStatusLine(const std::wstring&) override { ++updates; }
    void SetVersionLabel(const std::wstring&) override {}
    void SetProgress(int) override { ++updates; }
    long updates = 0;
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

double BareLoop(const std::wstring& url, DWORD block, uint64_t& total) {
    LARGE_INTEGER start = Now();
    HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET file = InternetOpenUrlW(
        session, url.c_str(), nullptr, 0,
        INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_RELOAD, 1);
    std::vector<char> buf(block);
    DWORD got = 0;
    total = 0;
    while (file && InternetReadFile(file, buf.data(), block, &got) && got > 0) total += got;
    if (file) InternetCloseHandle(file);
    InternetCloseHandle(session);
    return Seconds(start, Now());
}

double InflateLoop(const std::wstring& archive, const std::wstring& out, uint64_t dataOffset,
                   uint32_t packed) {
    LARGE_INTEGER start = Now();
    HANDLE in = CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE dst = CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(dataOffset);
    SetFilePointerEx(in, at, nullptr, FILE_BEGIN);
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    std::vector<unsigned char> input(65536), output(16384);
    uint32_t left = packed;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (z.avail_in == 0 && left > 0) {
            DWORD got = 0;
            ReadFile(in, input.data(), left < 65536 ? left : 65536, &got, nullptr);
            left -= got;
            z.next_in = input.data();
            z.avail_in = got;
        }
        z.next_out = output.data();
        z.avail_out = 16384;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        DWORD written = 0;
        WriteFile(dst, output.data(), 16384 - z.avail_out, &written, nullptr);
    }
    inflateEnd(&z);
    CloseHandle(dst);
    CloseHandle(in);
    return Seconds(start, Now());
}

}  // namespace

int main() {
    CSimLane lane("bench");
    if (!lane.Reset() ||
        !lane.Fixture("{\"packages\":{\"big.zip\":{\"filler\":" + std::to_string(kSize) + "}}}")) {
        std::printf("simulator not reachable (set NTSIM_PORT_FILE)\n");
        return 1;
    }
    CScratchFolder dir(L"bench");
    std::wstring url = lane.WideBase() + L"/update/pkg/big.zip";
    uint64_t total = 0;
    BareLoop(url, 65536, total);  // lets the simulator build the package once
    double mb = static_cast<double>(total) / 1e6;

    for (int round = 0; round < 2; ++round) {
        double bare1k = BareLoop(url, 1024, total);
        double bare64k = BareLoop(url, 65536, total);
        UpdateItem item;
        item.name = L"big.zip";
        item.url = url;
        item.localPath = dir.Path() + L"\\big.zip";
        DeleteFileW(item.localPath.c_str());
        DownloadTexts texts{L"label", L"正在下载 %s ...(%s)"};
        std::atomic<int> cancel{0};
        CountingView view;
        LARGE_INTEGER start = Now();
        bool ok = DownloadPackage(item, texts, cancel, view);
        double ours = Seconds(start, Now());
        std::printf(
            "download %.0f MB: DownloadPackage %.1f MB/s (%s, %ld view updates); bare 1 KiB loop "
            "%.1f MB/s; bare 64 KiB loop %.1f MB/s; ratio to 1 KiB loop %.2f\n",
            mb, mb / ours, ok ? "ok" : "FAILED", view.updates, mb / bare1k, mb / bare64k,
            bare1k / ours);
    }

    // A deflated archive of 200 MB of text-like bytes.
    std::string data(kSize, '\0');
    uint32_t x = 1;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>('a' + ((x >> 16) % 16));
    }
    ZipEntrySpec entrySpec;
    entrySpec.name = "big.txt";
    entrySpec.data.swap(data);
    std::string archive = ZipBuilder().Add(entrySpec).Build();
    std::wstring archivePath = dir.Path() + L"\\big_text.zip";
    WriteFileBytes(archivePath, archive);
    uint32_t packed = static_cast<uint32_t>(archive.size() - 30 - 7 - (46 + 7) - 22);
    archive.clear();
    archive.shrink_to_fit();
    for (int round = 0; round < 2; ++round) {
        double bare = InflateLoop(archivePath, dir.Path() + L"\\bare.txt", 30 + 7, packed);
        LARGE_INTEGER start = Now();
        CNTZipArchive zip;
        bool ok = zip.Open(archivePath) && zip.ExtractItem(0, dir.Path() + L"\\ours.txt");
        double ours = Seconds(start, Now());
        std::printf(
            "extract %.0f MB (%.0f MB packed): ZIP reader %.1f MB/s (%s); inflate+write loop "
            "%.1f MB/s; ratio %.2f\n",
            kSize / 1e6, packed / 1e6, kSize / 1e6 / ours, ok ? "ok" : "FAILED", kSize / 1e6 / bare,
            bare / ours);
    }
    return 0;
}
