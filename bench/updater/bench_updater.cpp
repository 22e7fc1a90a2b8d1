// Prints MB/s of DownloadPackage beside a bare WinINet read loop over the same URL, of the
// ZIP reader beside a loop that only inflates and writes the same bytes in 16 KiB blocks, and of
// installing a 200 MB package set through the transaction beside unpacking and copying it in
// place. "install" as the only argument runs the last one alone (no simulator needed).
#include <windows.h>
#include <wininet.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/zip/ntziparchive.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "updater/download.h"
#include "updater/install.h"
#include "updater/transaction.h"
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

// Four packages of ten 5 MB text-like files each, all replacing older files of the program
// folder; the script copies them with one Dir step.
constexpr int kPackages = 4, kFilesPerPackage = 10;
constexpr uint32_t kFileSize = 5000000;

std::wstring PackagePath(const std::wstring& dir, int p) {
    return dir + L"\\pkg" + std::to_wstring(p) + L".zip";
}

std::wstring TargetName(int p, int f) {
    return L"p" + std::to_wstring(p) + L"_" + std::to_wstring(f) + L".dat";
}

void BuildPackageSet(const std::wstring& dir) {
    uint32_t x = 7;
    for (int p = 0; p < kPackages; ++p) {
        ZipBuilder zip;
        ZipEntrySpec setup;
        setup.name = "setup.xml";
        std::wstring script =
            L"<Config><Dir Source=\"files\" Target=\"\" BaseDir=\"Work\"/></Config>";
        setup.data = "\xFF\xFE";
        for (wchar_t c : script) setup.data += std::string{static_cast<char>(c), '\0'};
        zip.Add(setup);
        for (int f = 0; f < kFilesPerPackage; ++f) {
            ZipEntrySpec entry;
            std::wstring name = TargetName(p, f);
            entry.name = "files/" + std::string(name.begin(), name.end());
            entry.data.resize(kFileSize);
            for (char& c : entry.data) {
                x = x * 1103515245u + 12345u;
                c = static_cast<char>('a' + ((x >> 16) % 16));
            }
            zip.Add(entry);
        }
        WriteFileBytes(PackagePath(dir, p), zip.Build());
    }
}

// The program folder as an older installation left it: every target present and older.
void ResetProgramFolder(const std::wstring& program) {
    MakeDirs(program);
    FILETIME old{0, 30000000};  // 1906: older than any package entry
    for (int p = 0; p < kPackages; ++p) {
        for (int f = 0; f < kFilesPerPackage; ++f) {
            std::wstring path = program + TargetName(p, f);
            WriteFileBytes(path, "old");
            HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                   0, nullptr);
            SetFileTime(h, nullptr, nullptr, &old);
            CloseHandle(h);
        }
    }
}

// Unpacks each package (a copy, since unpacking removes nothing but the install does) and
// copies its files straight over their targets: the install without a transaction.
double InstallPlain(const std::wstring& dir, const std::wstring& program) {
    LARGE_INTEGER start = Now();
    for (int p = 0; p < kPackages; ++p) {
        std::wstring package = PackagePath(dir, p);
        if (!UnpackPackage(package)) return -1;
        for (int f = 0; f < kFilesPerPackage; ++f) {
            std::wstring source = package + L".DIR\\files\\" + TargetName(p, f);
            std::wstring target = program + TargetName(p, f);
            if (NeedCopy(target, source) && !CopyFileW(source.c_str(), target.c_str(), FALSE))
                return -1;
        }
        DeleteTree(package + L".DIR\\");
    }
    return Seconds(start, Now());
}

double InstallTransacted(const std::wstring& dir, const std::wstring& program) {
    LARGE_INTEGER start = Now();
    CCMInstallTransaction transaction(dir + L"\\update\\");
    int reboot = 0;
    for (int p = 0; p < kPackages; ++p) {
        std::wstring package = PackagePath(dir, p);
        if (!UnpackPackage(package) ||
            !RunSetupScript(package + L".DIR\\", program, reboot, nullptr, transaction))
            return -1;
        DeleteTree(package + L".DIR\\");
    }
    if (!transaction.Commit()) return -1;
    transaction.Finish(reboot);
    return Seconds(start, Now());
}

void BenchInstall(const std::wstring& dir) {
    BuildPackageSet(dir);
    const std::wstring program = dir + L"\\prog\\";
    double mb = static_cast<double>(kPackages) * kFilesPerPackage * kFileSize / 1e6;
    // Rounds alternate which install goes first, since the machine's load drifts.
    std::vector<double> ratios;
    for (int round = 0; round < 6; ++round) {
        double plain = 0, transacted = 0;
        for (int turn = 0; turn < 2; ++turn) {
            ResetProgramFolder(program);
            if ((turn + round) % 2 == 0)
                plain = InstallPlain(dir, program);
            else
                transacted = InstallTransacted(dir, program);
        }
        std::printf(
            "install %.0f MB in %d packages: unpack and copy in place %.2f s; transaction "
            "(drafts, journal, commit by renames) %.2f s; ratio %.2f%s\n",
            mb, kPackages, plain, transacted, transacted / plain,
            plain < 0 || transacted < 0 ? " (FAILED)" : "");
        ratios.push_back(transacted / plain);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("install ratio median %.2f\n", (ratios[2] + ratios[3]) / 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "install") == 0) {
        CScratchFolder dir(L"benchinst");
        BenchInstall(dir.Path());
        return 0;
    }
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
    BenchInstall(dir.Path());
    return 0;
}
