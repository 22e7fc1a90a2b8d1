#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/zip/ntziparchive.h"
#include "common/zip/ntzipformat.h"
#include "common/zip/ntzipmemorysource.h"
#include "common/zip/ntzipreader.h"
#include "zip/zipbuilder.h"

namespace {

class BlockSink : public CNTZipSink {
public:
    bool Write(const void* data, size_t len) override {
        sizes.push_back(len);
        bytes.append(static_cast<const char*>(data), len);
        return true;
    }
    std::vector<size_t> sizes;
    std::string bytes;
};

std::string ReadAll(const std::wstring& path) {
    std::string out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ZipFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_root = std::wstring(temp) + L"ntzip_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(GetTickCount()) + L"\\";
        CreateDirectoryW(m_root.c_str(), nullptr);
    }
    void TearDown() override {
        SHFILEOPSTRUCTW op{};
        std::wstring from = m_root.substr(0, m_root.size() - 1) + L'\0';
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    bool OpenArchive(CNTZipArchive& archive, const std::string& bytes) {
        return archive.OpenMemory(bytes.data(), bytes.size());
    }
    std::wstring m_root;
};

}  // namespace

TEST(ZipNames, CleaningRemovesDrivesRootsAndClimbs) {
    EXPECT_EQ(L"x.dll", NTZipCleanName(L"a\\..\\x.dll"));
    EXPECT_EQ(L"x.dll", NTZipCleanName(L"..\\..\\x.dll"));
    EXPECT_EQ(L"x.dll", NTZipCleanName(L"C:\\x.dll"));
    EXPECT_EQ(L"x.dll", NTZipCleanName(L"\\x.dll"));
    EXPECT_EQ(L"x.dll", NTZipCleanName(L"/x.dll"));
    EXPECT_EQ(L"b", NTZipCleanName(L"a/../../b"));
    EXPECT_EQ(L"sub\\y.txt", NTZipCleanName(L"a/b/..\\sub/y.txt"));
}

TEST(ZipNames, WhatStillClimbsOutIsConfined) {
    EXPECT_EQ(L"x", NTZipCleanName(L"../x"));
    EXPECT_EQ(L"x", NTZipCleanName(L"..\\x"));
    EXPECT_EQ(L"x", NTZipCleanName(L"C:../x"));
    EXPECT_EQ(L"y", NTZipCleanName(L"..\\.:\\y"));
    EXPECT_EQ(L"a\\b", NTZipCleanName(L"a/b/.."));
    EXPECT_EQ(L"a\\b", NTZipCleanName(L"./a//b"));
    EXPECT_EQ(L"", NTZipCleanName(L".."));
    EXPECT_EQ(L"", NTZipCleanName(L"../"));
    EXPECT_EQ(L"dir\\", NTZipCleanName(L"dir/"));
}

TEST(ZipNames, LongNamesAreCutTo259) {
    std::wstring name(300, L'n');
    EXPECT_EQ(std::wstring(259, L'n'), NTZipCleanName(name));
}

TEST(ZipAttributes, DosHostsKeepTheirBitsUnixModesAreTranslated) {
    NTZipEntry dos;
    dos.madeBy = 0x0014;
    dos.externalAttributes = 0x23;  // read-only, hidden, archive
    EXPECT_EQ(0x23u, NTZipDosAttributes(dos));
    NTZipEntry ntfs = dos;
    ntfs.madeBy = 0x0B14;
    EXPECT_EQ(0x23u, NTZipDosAttributes(ntfs));
    NTZipEntry unixReadOnly;
    unixReadOnly.madeBy = 0x0314;
    unixReadOnly.externalAttributes = 0100444u << 16;
    EXPECT_EQ(0x21u, NTZipDosAttributes(unixReadOnly));
    NTZipEntry unixDir;
    unixDir.madeBy = 0x0314;
    unixDir.externalAttributes = 040755u << 16;
    EXPECT_EQ(0x30u, NTZipDosAttributes(unixDir));
    EXPECT_TRUE(NTZipIsDirectory(unixDir));
}

TEST(ZipReader, ExtractsStoredAndDeflatedInSixteenKilobyteBlocks) {
    std::string big(40000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
    ZipEntrySpec stored;
    stored.name = "s.bin";
    stored.data = big;
    stored.deflate = false;
    std::string bytes = ZipBuilder().Add("d.txt", big).Add(stored).Build();

    CNTZipReader reader;
    ASSERT_TRUE(reader.Open(std::make_unique<CNTZipMemorySource>(bytes.data(), bytes.size())));
    ASSERT_EQ(2u, reader.GetCount());
    EXPECT_EQ("d.txt", reader.GetEntry(0)->rawName);
    for (size_t i = 0; i < 2; ++i) {
        BlockSink sink;
        ASSERT_TRUE(reader.Extract(i, sink));
        EXPECT_EQ(big, sink.bytes);
        EXPECT_EQ((std::vector<size_t>{16384, 16384, 7232}), sink.sizes);
    }
    EXPECT_EQ(nullptr, reader.GetEntry(2));
}

TEST(ZipReader, RefusesDamage) {
    ZipEntrySpec bad;
    bad.name = "bad.txt";
    bad.data = "some text that is long enough to compress";
    bad.corruptCrc = true;
    ZipEntrySpec locked;
    locked.name = "locked.txt";
    locked.data = "secret";
    locked.flags = 1;
    std::string bytes = ZipBuilder().Add(bad).Add(locked).Build();
    CNTZipReader reader;
    ASSERT_TRUE(reader.Open(std::make_unique<CNTZipMemorySource>(bytes.data(), bytes.size())));
    std::vector<unsigned char> out;
    EXPECT_FALSE(reader.ExtractToMemory(0, out));
    EXPECT_FALSE(reader.ExtractToMemory(1, out));

    // Cut short, the end record is gone; garbage has none.
    std::string cut = bytes.substr(0, bytes.size() - 10);
    EXPECT_FALSE(reader.Open(std::make_unique<CNTZipMemorySource>(cut.data(), cut.size())));
    EXPECT_EQ(0u, reader.GetCount());
    std::string garbage(1000, 'x');
    EXPECT_FALSE(reader.Open(std::make_unique<CNTZipMemorySource>(garbage.data(), garbage.size())));
    // A deflate stream truncated inside the archive.
    std::string good = ZipBuilder().Add("t.txt", std::string(5000, 'q') + "end").Build();
    std::string broken = good;
    broken[30 + 5 + 3] ^= 0x55;
    ASSERT_TRUE(reader.Open(std::make_unique<CNTZipMemorySource>(broken.data(), broken.size())));
    EXPECT_FALSE(reader.ExtractToMemory(0, out));
    // A sound entry too large for one block of memory is refused there.
    std::string huge =
        ZipBuilder().Add("huge.bin", std::string(CNTZipReader::kMaxInMemory + 1, 'h')).Build();
    ASSERT_TRUE(reader.Open(std::make_unique<CNTZipMemorySource>(huge.data(), huge.size())));
    EXPECT_FALSE(reader.ExtractToMemory(0, out));
    EXPECT_TRUE(out.empty());
}

TEST(ZipReader, UnixTimesFromTheExtraField) {
    std::string extra = ZipBuilder::UnixTimes(1500000000, 1500000100, 1400000000);
    NTZipUnixTimes times;
    ASSERT_TRUE(NTZipParseUnixTimes(reinterpret_cast<const unsigned char*>(extra.data()),
                                    extra.size(), times));
    EXPECT_TRUE(times.hasModify && times.hasAccess && times.hasCreate);
    EXPECT_EQ(1500000000, times.modify);
    EXPECT_EQ(1500000100, times.access);
    EXPECT_EQ(1400000000, times.create);
    EXPECT_FALSE(
        NTZipParseUnixTimes(reinterpret_cast<const unsigned char*>("\x55\x54\x20\x00"), 4, times));
}

TEST_F(ZipFolder, ExtractAllKeepsEveryEntryInsideTheFolder) {
    std::string bytes = ZipBuilder()
                            .Add("a\\..\\x.dll", "1")
                            .Add("..\\..\\y.dll", "2")
                            .Add("C:\\z.dll", "3")
                            .Add("../w.dll", "4")
                            .Add("sub/../../v.dll", "5")
                            .Add("deep/dir/f.txt", "6")
                            .Build();
    CNTZipArchive archive;
    ASSERT_TRUE(OpenArchive(archive, bytes));
    EXPECT_EQ(L"x.dll", archive.GetItemName(0));
    std::wstring folder = m_root + L"out\\inner\\";
    EXPECT_TRUE(archive.ExtractAll(folder));
    EXPECT_EQ("1", ReadAll(folder + L"x.dll"));
    EXPECT_EQ("2", ReadAll(folder + L"y.dll"));
    EXPECT_EQ("3", ReadAll(folder + L"z.dll"));
    EXPECT_EQ("4", ReadAll(folder + L"w.dll"));
    EXPECT_EQ("5", ReadAll(folder + L"v.dll"));
    EXPECT_EQ("6", ReadAll(folder + L"deep\\dir\\f.txt"));
    EXPECT_FALSE(Exists(m_root + L"out\\w.dll"));
    EXPECT_FALSE(Exists(m_root + L"w.dll"));
    EXPECT_EQ(2, archive.FindItem(L"Z.DLL"));
    EXPECT_EQ(5, archive.FindItem(L"deep/dir/f.txt"));
    EXPECT_EQ(-1, archive.FindItem(L"none"));
}

TEST_F(ZipFolder, FilesGetAttributesAndTimes) {
    ZipEntrySpec hidden;
    hidden.name = "h.txt";
    hidden.data = "hidden";
    hidden.externalAttributes = 0x23;
    ZipEntrySpec stamped;
    stamped.name = "t.txt";
    stamped.data = "stamped";
    stamped.localExtra = ZipBuilder::UnixTimes(1500000000, 1500000100, 1400000000);
    ZipEntrySpec dir;
    dir.name = "folder/";
    dir.data = "";
    dir.deflate = false;
    dir.host = 3;
    dir.externalAttributes = (040755u << 16) | 0x10;
    std::string bytes = ZipBuilder().Add(hidden).Add(stamped).Add(dir).Build();
    CNTZipArchive archive;
    ASSERT_TRUE(OpenArchive(archive, bytes));
    ASSERT_TRUE(archive.ExtractAll(m_root));

    DWORD attrs = GetFileAttributesW((m_root + L"h.txt").c_str());
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_ARCHIVE),
              attrs);
    EXPECT_TRUE(GetFileAttributesW((m_root + L"folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW((m_root + L"t.txt").c_str(), GetFileExInfoStandard, &data));
    ULARGE_INTEGER write{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
    EXPECT_EQ(1500000000ULL * 10000000ULL + 116444736000000000ULL, write.QuadPart);
    // (Creation times are not checked: the Unix file systems under Wine keep none.)

    // The DOS stamp (local time) when there is no "UT" field.
    ASSERT_TRUE(GetFileAttributesExW((m_root + L"h.txt").c_str(), GetFileExInfoStandard, &data));
    FILETIME local{};
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&local, &st);
    EXPECT_EQ(2016, st.wYear);
    EXPECT_EQ(9, st.wMonth);
    EXPECT_EQ(1, st.wDay);
    EXPECT_EQ(8, st.wHour);

    // A read-only file of the same name is replaced.
    std::string again = ZipBuilder().Add("h.txt", "replaced").Build();
    ASSERT_TRUE(OpenArchive(archive, again));
    EXPECT_TRUE(archive.ExtractItem(0, m_root + L"h.txt"));
    EXPECT_EQ("replaced", ReadAll(m_root + L"h.txt"));
}

TEST_F(ZipFolder, FailedEntriesLeaveNoFile) {
    ZipEntrySpec locked;
    locked.name = "locked.txt";
    locked.data = "secret";
    locked.flags = 1;
    ZipEntrySpec bad;
    bad.name = "bad.txt";
    bad.data = "damaged";
    bad.corruptCrc = true;
    std::string bytes = ZipBuilder().Add(locked).Add(bad).Add("ok.txt", "fine").Build();
    CNTZipArchive archive;
    ASSERT_TRUE(OpenArchive(archive, bytes));
    EXPECT_FALSE(archive.ExtractAll(m_root));
    EXPECT_FALSE(Exists(m_root + L"locked.txt"));
    EXPECT_FALSE(Exists(m_root + L"bad.txt"));
    EXPECT_EQ("fine", ReadAll(m_root + L"ok.txt"));
}

TEST_F(ZipFolder, OpensFromDiskAndRefusesNonArchives) {
    std::string bytes = ZipBuilder().Add("a.txt", "from disk").Build();
    std::wstring path = m_root + L"pkg.zip";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    CNTZipArchive archive;
    ASSERT_TRUE(archive.Open(path));
    std::vector<unsigned char> out;
    ASSERT_TRUE(archive.ExtractToMemory(0, out));
    EXPECT_EQ("from disk", std::string(out.begin(), out.end()));
    EXPECT_FALSE(archive.Open(m_root + L"missing.zip"));
    EXPECT_EQ(0, archive.GetCount());
}
