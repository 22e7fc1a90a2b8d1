#include <gtest/gtest.h>
#include <windows.h>

#include "updater/commandline.h"
#include "updater/imeclient.h"
#include "updater/install.h"
#include "support/filebytes.h"
#include "support/pumpuntil.h"
#include "support/scratchfolder.h"
#include "updater/testkit.h"
#include "updater/textformat.h"
#include "updater/texttable.h"
#include "updater/transaction.h"
#include "updater/versioncheck.h"
#include "updater/versionfile.h"
#include "zip/zipbuilder.h"

using namespace testkit;

namespace {

void SetWriteTime(const std::wstring& path, int64_t unixSeconds) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ULARGE_INTEGER t;
    t.QuadPart = static_cast<ULONGLONG>(unixSeconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME ft{t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

// A setup.xml as packages carry it: UTF-16LE with a byte-order mark.
std::string Utf16Bytes(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text)
        out += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

std::wstring Utf16Body(const std::string& bytes) {
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

// A version reply offering version 2 with the given data entries.
std::string ReplyOffering(const std::string& entries) {
    return "{\"success\":true,\"versionnum\":\"2\",\"data\":[" + entries + "]}";
}

}  // namespace

TEST(UpdaterTexts, PlaceholdersAreFilledInOrder) {
    EXPECT_EQ(L"升级到 2.1.0 版本, (1 / 3 )",
              FormatText(L"升级到 %s 版本, (%d / %d )", {L"2.1.0", L"1", L"3"}));
    EXPECT_EQ(L"100% a ", FormatText(L"100%% %s %s", {L"a"}));
    EXPECT_EQ(L"%x tail%", FormatText(L"%x tail%", {L"unused"}));
}

TEST(UpdaterTexts, TableFromDocumentAndFromResource) {
    CCMTextTable table;
    ASSERT_TRUE(table.LoadFromText(
        L"<Config><String Id=\"7\" Text=\"a\\nb\"/><String Id=\"0\" Text=\"zero\"/>"
        L"<String Id=\"x\" Text=\"bad\"/><String Id=\"8\" Text=\"c\"/></Config>"));
    EXPECT_EQ(L"a\nb", table.Get(7));
    EXPECT_EQ(L"c", table.Get(8));
    EXPECT_EQ(L"", table.Get(0));
    EXPECT_EQ(L"", table.Get(9));
    EXPECT_FALSE(CCMTextTable().LoadFromText(L"<Other/>"));

    CCMTextTable resource;
    ASSERT_TRUE(resource.LoadFromResource(GetModuleHandleW(nullptr)));
    EXPECT_EQ(L"Lumaveri有最新版本 %s 发布。\n[新版本升级内容]\n%s\n\n您是否需要在线升级?",
              resource.Get(1000));
    EXPECT_EQ(L"正在下载 %s ...(%s)", resource.Get(1003));
    EXPECT_EQ(L"微软雅黑", resource.Get(1005));
    EXPECT_EQ(
        L"Lumaveri正在运行，系统尝试自动关闭它（如未能成功请手动关闭），然后再点击'确定'"
        L"按钮继续升级!",
        resource.Get(1010));
    wchar_t title[64] = {};
    LoadStringW(GetModuleHandleW(nullptr), 57344, title, 64);
    EXPECT_STREQ(L"Lumaveri升级程序", title);
}

TEST(UpdaterCommandLine, QuotesSeparatorsAndLength) {
    EXPECT_EQ(
        (std::vector<std::wstring>{L"C:\\Program Files\\trevasko.exe", L"/TEST", L"my pkg.zip"}),
        SplitCommandLine(L"\"C:\\Program Files\\trevasko.exe\"  \t \"/TEST\" \"my pkg.zip\""));
    EXPECT_EQ((std::vector<std::wstring>{L"t.exe", L"ab cd", L""}),
              SplitCommandLine(L"t.exe a\"b c\"d \"\""));
    EXPECT_EQ((std::vector<std::wstring>{L"t.exe"}), SplitCommandLine(L"t.exe   "));
    std::vector<std::wstring> longArg =
        SplitCommandLine((L"t.exe " + std::wstring(300, L'q')).c_str());
    ASSERT_EQ(2u, longArg.size());
    EXPECT_EQ(std::wstring(259, L'q'), longArg[1]);
}

TEST(UpdaterVersionFile, LastElementsCountAndMissingFileMeansNothing) {
    CScratchFolder dir(L"vf");
    std::wstring path = dir.Path() + L"\\version.xml";
    std::wstring version, base;
    EXPECT_FALSE(ReadVersionFile(path, version, base));
    EXPECT_EQ(L"", version);
    ASSERT_TRUE(WriteUtf16File(path,
                               L"<Config><Version>1.0</Version><Other>x</Other>"
                               L"<Update>http://a</Update><Version>1.5.002</Version>"
                               L"<Update>http://b:81/up</Update></Config>"));
    ASSERT_TRUE(ReadVersionFile(path, version, base));
    EXPECT_EQ(L"1.5.002", version);
    EXPECT_EQ(L"http://b:81/up", base);
}

TEST(UpdaterVersionFile, ShorterVersionLeavesNoTraceAndReplacementIsWhole) {
    CScratchFolder dir(L"vw");
    std::wstring path = dir.Path() + L"\\version.xml";
    ASSERT_TRUE(WriteUtf16File(path,
                               L"<Config>\r\n<Version>10.20.30.40</Version>\r\n"
                               L"<Update>http://h</Update>\r\n</Config>\r\n"));
    ASSERT_TRUE(WriteVersionFile(path, L"1.0.001"));
    std::string bytes = ReadFileBytes(path);
    ASSERT_EQ("\xFF\xFE", bytes.substr(0, 2));
    EXPECT_EQ(
        L"<Config>\r\n<Version>1.0.001</Version>\r\n<Update>http://h</Update>\r\n</Config>\r\n",
        Utf16Body(bytes));
    EXPECT_FALSE(FileExists(path + L".new"));

    // When the new text cannot be written the old file stays whole.
    ASSERT_TRUE(CreateDirectoryW((path + L".new").c_str(), nullptr));
    EXPECT_FALSE(WriteVersionFile(path, L"9"));
    EXPECT_EQ(bytes, ReadFileBytes(path));
}

TEST(UpdaterVersionFile, WritingChangesTheVersionThatIsRead) {
    CScratchFolder dir(L"vt");
    std::wstring path = dir.Path() + L"\\version.xml";
    ASSERT_TRUE(WriteUtf16File(path,
                               L"<Config><Version>1.0</Version><Update>http://h</Update>"
                               L"<Version>1.5</Version></Config>"));
    ASSERT_TRUE(WriteVersionFile(path, L"2.1.0"));
    std::wstring version, base;
    ASSERT_TRUE(ReadVersionFile(path, version, base));
    EXPECT_EQ(L"2.1.0", version);
    EXPECT_EQ(
        L"<Config><Version>1.0</Version><Update>http://h</Update>"
        L"<Version>2.1.0</Version></Config>",
        Utf16Body(ReadFileBytes(path)));
}

TEST(UpdaterVersionReply, OnePackageGivesOneItem) {
    VersionOffer offer;
    EXPECT_EQ(1,
              ParseVersionReply("{\"success\":true,\"versionnum\":\"2.1.0\",\"forcedupdate\":true,"
                                "\"describle\":\"\xE4\xBF\xAE\xE5\xA4\x8D\",\"data\":[{\"name\":"
                                "\"a.zip\",\"url\":\"/pkg/a.zip\"}]}",
                                L"http://127.0.0.1:9/update", L"C:\\prog\\", offer));
    EXPECT_EQ(L"2.1.0", offer.newVersion);
    EXPECT_EQ(1, offer.forced);
    EXPECT_EQ(L"修复", offer.description);
    ASSERT_EQ(1u, offer.items.size());
    EXPECT_EQ(L"a.zip", offer.items[0]->name);
    EXPECT_EQ(L"http://127.0.0.1:9/update/pkg/a.zip", offer.items[0]->url);
    EXPECT_EQ(L"C:\\prog\\update\\a.zip", offer.items[0]->localPath);
    EXPECT_EQ(0u, offer.items[0]->size);
    EXPECT_EQ(L"2.1.0", offer.items[0]->version);
    EXPECT_EQ(0u, offer.items[0]->declaredSize);
    EXPECT_TRUE(offer.items[0]->sha256.empty());
}

TEST(UpdaterVersionReply, OptionalSizeAndDigestAreReadAndMalformedOnesSpoilTheReply) {
    const std::wstring base = L"http://h", folder = L"C:\\p\\";
    auto reply = [](const std::string& fields) {
        return ReplyOffering("{\"name\":\"a.zip\",\"url\":\"/a\"" + fields + "}");
    };
    const std::string digest = "00112233445566778899AABBCCDDEEFF00112233445566778899aabbccddeeff";
    VersionOffer offer;
    ASSERT_EQ(1, ParseVersionReply(reply(",\"size\":4096,\"sha256\":\"" + digest + "\""), base,
                                   folder, offer));
    EXPECT_EQ(4096u, offer.items[0]->declaredSize);
    EXPECT_EQ("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff",
              offer.items[0]->sha256);
    ASSERT_EQ(1, ParseVersionReply(reply(",\"size\":\"4294967295\""), base, folder, offer));
    EXPECT_EQ(4294967295u, offer.items[0]->declaredSize);
    for (const char* bad :
         {",\"size\":0", ",\"size\":-1", ",\"size\":1.5", ",\"size\":\"12a\"", ",\"size\":\"\"",
          ",\"size\":4294967296", ",\"size\":true", ",\"sha256\":\"abc\"", ",\"sha256\":5",
          ",\"sha256\":\"0011223344556677889900112233445566778899001122334455667788990g\""}) {
        EXPECT_EQ(-1, ParseVersionReply(reply(bad), base, folder, offer)) << bad;
        EXPECT_TRUE(offer.items.empty());
    }
}

TEST(UpdaterVersionReply, NoUpdateFailureAndOddShapes) {
    VersionOffer offer;
    const std::wstring base = L"http://h", folder = L"C:\\p\\";
    EXPECT_EQ(0, ParseVersionReply("{\"success\":false,\"versionnum\":\"2\",\"data\":"
                                   "[{\"name\":\"a.zip\",\"url\":\"/a\"}]}",
                                   base, folder, offer));
    EXPECT_TRUE(offer.items.empty());
    EXPECT_EQ(0, ParseVersionReply("{\"versionnum\":\"2\"}", base, folder, offer));
    EXPECT_EQ(0, ParseVersionReply("{\"success\":true,\"versionnum\":\"2\",\"data\":[]}", base,
                                   folder, offer));
    EXPECT_EQ(L"2", offer.newVersion);
    EXPECT_EQ(0, ParseVersionReply("{\"success\":true,\"versionnum\":\"2\",\"data\":null}", base,
                                   folder, offer));
    EXPECT_EQ(-1,
              ParseVersionReply("<html><body>404 Not Found</body></html>", base, folder, offer));
    EXPECT_EQ(-1, ParseVersionReply("", base, folder, offer));
    EXPECT_EQ(-1, ParseVersionReply("[1,2]", base, folder, offer));
    EXPECT_EQ(-1, ParseVersionReply(std::string(100000, '['), base, folder, offer));
    // Wrong types are no update; elements that are not package objects are passed over.
    EXPECT_EQ(
        0, ParseVersionReply("{\"success\":\"true\",\"versionnum\":\"2\"}", base, folder, offer));
    EXPECT_EQ(0,
              ParseVersionReply(
                  "{\"success\":true,\"versionnum\":2,\"data\":[{\"name\":\"a\",\"url\":\"/a\"}]}",
                  base, folder, offer));
    EXPECT_EQ(1,
              ParseVersionReply("{\"success\":true,\"versionnum\":\"3\",\"data\":[5,{\"name\":1},"
                                "{\"name\":\"b.zip\",\"url\":\"/b\"}]}",
                                base, folder, offer));
    ASSERT_EQ(1u, offer.items.size());
    EXPECT_EQ(L"http://h/b", offer.items[0]->url);
}

TEST(UpdaterVersionReply, NamesThatAreNotPlainFilesDevicesOrRepeatsSpoilTheReply) {
    const std::wstring base = L"http://h", folder = L"C:\\p\\";
    auto reply = [](const std::string& jsonName) {
        return ReplyOffering("{\"name\":\"a.zip\",\"url\":\"/a\"},{\"name\":" + jsonName +
                             ",\"url\":\"/b\"}");
    };
    for (const char* bad :
         {"\"..\\\\quorbel.exe\"", "\"C:\\\\Windows\\\\x.zip\"", "\"\\\\x.zip\"", "\"a:b\"",
          "\"../x.zip\"", "\"..\"", "\".\"", "\"\"", "\"x.zip.\"", "\"x.zip \"", "\"a\\tb\"",
          "\"a*b\"", "\"CON\"", "\"nul.zip\"", "\"Com1.tar.gz\"", "\"lpt9\"", "\"aux .zip\"",
          "\"COM\u00b9.zip\"", "\"A.ZIP\""}) {
        VersionOffer offer;
        EXPECT_EQ(-1, ParseVersionReply(reply(bad), base, folder, offer)) << bad;
        EXPECT_TRUE(offer.items.empty()) << bad;
    }
    VersionOffer offer;
    EXPECT_EQ(-1, ParseVersionReply(reply('"' + std::string(250, 'n') + '"'), base, folder, offer));
    ASSERT_EQ(1, ParseVersionReply(reply("\"..x.zip\""), base, folder, offer));
    ASSERT_EQ(2u, offer.items.size());
    EXPECT_EQ(L"C:\\p\\update\\..x.zip", offer.items[1]->localPath);
    for (const char* fine : {"\"console.zip\"", "\"com10.zip\"", "\"a.zip.zip\""})
        EXPECT_EQ(1, ParseVersionReply(reply(fine), base, folder, offer)) << fine;
}

TEST(UpdaterReplacement, VersionsCompareComponentByComponent) {
    EXPECT_EQ(0, CompareVersionTexts(L"1.2", L"1.2.1"));
    EXPECT_EQ(-1, CompareVersionTexts(L"1.2.1", L"1.10"));
    EXPECT_EQ(1, CompareVersionTexts(L"2", L"1.9.9"));
    EXPECT_EQ(0, CompareVersionTexts(L"", L""));
    EXPECT_EQ(-1, CompareVersionTexts(L"x.5", L"1"));
    EXPECT_EQ(0, CompareVersionTexts(L"1.a", L"1.0"));
    // Components are read by their leading digits, so build remarks do not hide the number.
    EXPECT_EQ(-1, CompareVersionTexts(L"6.1.7601.16385 (win7_rtm.090713-1255)",
                                      L"6.1.7601.17514 (win7sp1_rtm.101119-1850)"));
    EXPECT_EQ(1, CompareVersionTexts(L"10 beta", L"9"));
    EXPECT_EQ(1, CompareVersionTexts(L"99999999999999999999", L"2147483646"));
}

TEST(UpdaterReplacement, NeedCopyByVersionResourceThenByTime) {
    CScratchFolder dir(L"nc");
    const std::wstring d = dir.Path() + L"\\";
    ASSERT_EQ(L"1.2", GetFileVersionText(BuiltFile(L"tests\\ver_1_2.dll")));
    ASSERT_EQ(L"1.2.1", GetFileVersionText(BuiltFile(L"tests\\ver_1_2_1.dll")));
    CopyFileW(BuiltFile(L"tests\\ver_1_2.dll").c_str(), (d + L"v12.dll").c_str(), FALSE);
    CopyFileW(BuiltFile(L"tests\\ver_1_2_1.dll").c_str(), (d + L"v121.dll").c_str(), FALSE);
    CopyFileW(BuiltFile(L"tests\\ver_2_0.dll").c_str(), (d + L"v20.dll").c_str(), FALSE);
    SetWriteTime(d + L"v12.dll", 1600000000);
    SetWriteTime(d + L"v121.dll", 1500000000);
    SetWriteTime(d + L"v20.dll", 1400000000);
    // A newer file version in the target wins even against a later source.
    EXPECT_FALSE(NeedCopy(d + L"v20.dll", d + L"v12.dll"));
    EXPECT_TRUE(NeedCopy(d + L"v12.dll", d + L"v20.dll"));
    // 1.2 against 1.2.1: equal as far as both go, so the time decides.
    EXPECT_FALSE(NeedCopy(d + L"v12.dll", d + L"v121.dll"));
    EXPECT_TRUE(NeedCopy(d + L"v121.dll", d + L"v12.dll"));

    WriteFileBytes(d + L"old.txt", "old");
    WriteFileBytes(d + L"new.txt", "new");
    SetWriteTime(d + L"old.txt", 1500000000);
    SetWriteTime(d + L"new.txt", 1500000001);
    EXPECT_TRUE(NeedCopy(d + L"old.txt", d + L"new.txt"));
    EXPECT_FALSE(NeedCopy(d + L"new.txt", d + L"old.txt"));
    EXPECT_FALSE(NeedCopy(d + L"new.txt", d + L"new.txt"));
    EXPECT_TRUE(NeedCopy(d + L"absent.txt", d + L"new.txt"));
    EXPECT_FALSE(NeedCopy(d + L"new.txt", d + L"absent.txt"));
}

TEST(UpdaterTrees, MakeAndDelete) {
    CScratchFolder dir(L"tree");
    const std::wstring d = dir.Path() + L"\\";
    MakeDirs(d + L"src\\a\\b\\file.txt");
    EXPECT_TRUE(GetFileAttributesW((d + L"src\\a\\b").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FileExists(d + L"src\\a\\b\\file.txt"));
    WriteFileBytes(d + L"src\\a\\b\\deep.txt", "deep");
    SetFileAttributesW((d + L"src\\a\\b\\deep.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteTree(d + L"src"));
    EXPECT_FALSE(FileExists(d + L"src"));
}

TEST(UpdaterInstall, ScriptCopiesFilesFoldersAndKeepsTheFirstReboot) {
    CScratchFolder dir(L"inst");
    const std::wstring program = dir.Path() + L"\\prog\\";
    MakeDirs(program);
    std::string script =
        "<Config Reboot=\"2\">"
        "<File Source=\"bin\\a.dll\" Target=\"lib\\deep\\a.dll\" BaseDir=\"Work\"/>"
        "<Dir Source=\"data\" Target=\"data\" BaseDir=\"Work\"/>"
        "<Other Source=\"plain.txt\" Target=\"other.txt\" BaseDir=\"Work\"/>"
        "<File Source=\"plain.txt\" Target=\"lower.txt\" BaseDir=\"system\"/>"
        "</Config>";
    ZipEntrySpec setup;
    setup.name = "setup.xml";
    setup.data = "\xFF\xFE";
    for (char c : script) setup.data += std::string{c, '\0'};
    std::string first = ZipBuilder()
                            .Add("bin/a.dll", "A")
                            .Add("data/x.txt", "X")
                            .Add("data/sub/y.txt", "Y")
                            .Add("plain.txt", "P")
                            .Add(setup)
                            .Build();
    const std::wstring package = dir.Path() + L"\\one.zip";
    WriteFileBytes(package, first);

    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(dir.Path().c_str());
    int reboot = 0;
    CCMInstallTransaction transaction(dir.Path() + L"\\update\\");
    EXPECT_TRUE(UnpackPackage(package));
    EXPECT_TRUE(RunSetupScript(package + L".DIR\\", program, reboot, nullptr, transaction));
    RemovePackage(package);
    SetCurrentDirectoryW(current);
    // Drafted only: nothing is in place before the commit.
    EXPECT_FALSE(FileExists(program + L"data\\x.txt"));
    ASSERT_TRUE(transaction.Commit());
    transaction.Finish(reboot);

    EXPECT_EQ(2, reboot);
    EXPECT_EQ("A", ReadFileBytes(program + L"lib\\deep\\a.dll"));
    EXPECT_EQ("X", ReadFileBytes(program + L"data\\x.txt"));
    EXPECT_EQ("Y", ReadFileBytes(program + L"data\\sub\\y.txt"));
    EXPECT_FALSE(FileExists(program + L"other.txt"));
    // "system" in lower case is no base: the target is relative to the current folder.
    EXPECT_EQ("P", ReadFileBytes(dir.Path() + L"\\lower.txt"));
    EXPECT_FALSE(FileExists(package));
    EXPECT_FALSE(FileExists(package + L".DIR"));

    // A second package asking for reboot 1 does not lower the first one's 2.
    std::string second = "<Config Reboot=\"1\"/>";
    ZipEntrySpec setup2;
    setup2.name = "setup.xml";
    setup2.data = "\xFF\xFE";
    for (char c : second) setup2.data += std::string{c, '\0'};
    WriteFileBytes(package, ZipBuilder().Add(setup2).Build());
    UnpackPackage(package);
    RunSetupScript(package + L".DIR\\", program, reboot, nullptr, transaction);
    RemovePackage(package);
    EXPECT_EQ(2, reboot);
    EXPECT_FALSE(FileExists(dir.Path() + L"\\update\\install.journal"));
}

TEST(UpdaterInstall, BrokenOrScriptlessPackagesInstallNothingButAreRemoved) {
    CScratchFolder dir(L"broken");
    const std::wstring program = dir.Path() + L"\\prog\\";
    MakeDirs(program);
    const std::wstring package = dir.Path() + L"\\bad.zip";
    int reboot = 0;
    CCMInstallTransaction transaction(dir.Path() + L"\\update\\");
    WriteFileBytes(package, "this is not an archive");
    EXPECT_FALSE(UnpackPackage(package));
    EXPECT_FALSE(RunSetupScript(package + L".DIR\\", program, reboot, nullptr, transaction));
    RemovePackage(package);
    EXPECT_FALSE(FileExists(package));
    EXPECT_FALSE(FileExists(package + L".DIR"));

    WriteFileBytes(package, ZipBuilder().Add("file.txt", "f").Build());
    EXPECT_TRUE(UnpackPackage(package));
    EXPECT_EQ("f", ReadFileBytes(package + L".DIR\\file.txt"));
    EXPECT_FALSE(RunSetupScript(package + L".DIR\\", program, reboot, nullptr, transaction));
    RemovePackage(package);
    EXPECT_FALSE(FileExists(program + L"file.txt"));
    EXPECT_FALSE(FileExists(package + L".DIR"));
    EXPECT_EQ(0, reboot);
}

// A program folder with files of known bytes and times, and its snapshot to compare against.
class InstallFixture : public ::testing::Test {
protected:
    InstallFixture() : m_dir(L"txn"), m_program(m_dir.Path() + L"\\prog\\") {
        MakeDirs(m_program + L"sub\\");
        WriteFileBytes(m_program + L"keep.txt", "old keep");
        WriteFileBytes(m_program + L"sub\\old.txt", "old sub");
        SetWriteTime(m_program + L"keep.txt", 1400000000);
        SetWriteTime(m_program + L"sub\\old.txt", 1400000000);
        SetWriteTime(m_program + L"sub", 1400000000);
        SetWriteTime(m_program, 1400000000);
        m_before = Snapshot(m_program);
    }
    std::wstring Update() const { return m_dir.Path() + L"\\update\\"; }
    // Unpacks a package with the script and runs it into the transaction.
    bool Install(const std::wstring& script, ZipBuilder files, CCMInstallTransaction& transaction) {
        ZipEntrySpec setup;
        setup.name = "setup.xml";
        setup.data = Utf16Bytes(script);
        const std::wstring package = m_dir.Path() + L"\\p.zip";
        WriteFileBytes(package, files.Add(setup).Build());
        bool ok = UnpackPackage(package) &&
                  RunSetupScript(package + L".DIR\\", m_program, m_reboot, nullptr, transaction);
        RemovePackage(package);
        return ok;
    }
    // Two packages: the first replaces keep.txt and adds sub\new.txt and a folder.
    bool InstallGoodPackage(CCMInstallTransaction& transaction) {
        return Install(
            L"<Config><File Source=\"k.txt\" Target=\"keep.txt\" BaseDir=\"Work\"/>"
            L"<Dir Source=\"d\" Target=\"sub\" BaseDir=\"Work\"/></Config>",
            ZipBuilder()
                .Add("k.txt", "new keep")
                .Add("d/new.txt", "n")
                .Add("d/more/deep.txt", "deep"),
            transaction);
    }

    // The good package, then one whose install fails: the rollback leaves the program folder
    // as it was.
    void ExpectFailureRollsBack(const std::wstring& script, ZipBuilder files) {
        CCMInstallTransaction transaction(Update());
        ASSERT_TRUE(InstallGoodPackage(transaction));
        EXPECT_FALSE(Install(script, files, transaction));
        transaction.Rollback();
        EXPECT_EQ(m_before, Snapshot(m_program));
        EXPECT_FALSE(FileExists(Update() + L"install.journal"));
    }

    CScratchFolder m_dir;
    std::wstring m_program;
    std::string m_before;
    int m_reboot = 0;
};

TEST_F(InstallFixture, GoodThenBrokenOrIncompletePackageLeavesTheFolderAsItWas) {
    {
        CCMInstallTransaction transaction(Update());
        ASSERT_TRUE(InstallGoodPackage(transaction));
        WriteFileBytes(m_dir.Path() + L"\\bad.zip", "not an archive");
        EXPECT_FALSE(UnpackPackage(m_dir.Path() + L"\\bad.zip"));
        transaction.Rollback();
    }
    EXPECT_EQ(m_before, Snapshot(m_program));
    // A member whose bytes do not match its checksum stops its package before the script.
    ZipEntrySpec damaged;
    damaged.name = "a.txt";
    damaged.data = "a";
    damaged.corruptCrc = true;
    ExpectFailureRollsBack(
        L"<Config><File Source=\"b.txt\" Target=\"b.txt\" BaseDir=\"Work\"/>"
        L"</Config>",
        ZipBuilder().Add(damaged).Add("b.txt", "b"));
    // So does a script naming a source its package lacks, and a folder where a file should go.
    ExpectFailureRollsBack(
        L"<Config><File Source=\"a.txt\" Target=\"a.txt\" BaseDir=\"Work\"/>"
        L"<File Source=\"gone.txt\" Target=\"b.txt\" BaseDir=\"Work\"/></Config>",
        ZipBuilder().Add("a.txt", "a"));
    ExpectFailureRollsBack(
        L"<Config><File Source=\"o.txt\" Target=\"sub\" BaseDir=\"Work\"/>"
        L"</Config>",
        ZipBuilder().Add("o.txt", "x"));
}

TEST_F(InstallFixture, CommitReplacesEverythingAndAFileHeldOpenRollsTheWholeRunBack) {
    {
        CCMInstallTransaction transaction(Update());
        ASSERT_TRUE(InstallGoodPackage(transaction));
        HANDLE held = CreateFileW((m_program + L"sub\\old.txt").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        ASSERT_TRUE(
            Install(L"<Config><File Source=\"o.txt\" Target=\"sub\\old.txt\" "
                    L"BaseDir=\"Work\"/></Config>",
                    ZipBuilder().Add("o.txt", "new sub"), transaction));
        EXPECT_FALSE(transaction.Commit());
        CloseHandle(held);
        transaction.Rollback();
    }
    EXPECT_EQ(m_before, Snapshot(m_program));
    {
        // A rename that fails halfway through the commit (the last draft has gone) undoes the
        // renames before it.
        CCMInstallTransaction transaction(Update());
        ASSERT_TRUE(InstallGoodPackage(transaction));
        ASSERT_TRUE(DeleteFileW((m_program + L"sub\\more\\deep.txt.trvnew").c_str()));
        EXPECT_FALSE(transaction.Commit());
        EXPECT_EQ("new keep", ReadFileBytes(m_program + L"keep.txt"));
        transaction.Rollback();
    }
    EXPECT_EQ(m_before, Snapshot(m_program));

    CCMInstallTransaction transaction(Update());
    ASSERT_TRUE(InstallGoodPackage(transaction));
    // A later package's newer copy of the same target replaces the earlier draft.
    ZipEntrySpec newer;
    newer.name = "k.txt";
    newer.data = "newer keep";
    newer.dosDate = 0x4B21;  // 2017-09-01
    ASSERT_TRUE(
        Install(L"<Config><File Source=\"k.txt\" Target=\"keep.txt\" "
                L"BaseDir=\"Work\"/></Config>",
                ZipBuilder().Add(newer), transaction));
    ASSERT_TRUE(transaction.Commit());
    transaction.Finish(m_reboot);
    EXPECT_EQ("newer keep", ReadFileBytes(m_program + L"keep.txt"));
    EXPECT_EQ("deep", ReadFileBytes(m_program + L"sub\\more\\deep.txt"));
    EXPECT_EQ("old sub", ReadFileBytes(m_program + L"sub\\old.txt"));
    EXPECT_FALSE(FileExists(m_program + L"keep.txt.trvold"));
    EXPECT_FALSE(FileExists(m_program + L"keep.txt.trvnew"));
    EXPECT_FALSE(FileExists(Update() + L"install.journal"));
    EXPECT_EQ(0, m_reboot);
}

TEST_F(InstallFixture, JournalOfAnInterruptedCommitIsRolledBackAtTheNextStart) {
    {
        // Committed, never finished: what a power cut leaves.
        CCMInstallTransaction transaction(Update());
        ASSERT_TRUE(InstallGoodPackage(transaction));
        ASSERT_TRUE(transaction.Commit());
    }
    EXPECT_EQ("new keep", ReadFileBytes(m_program + L"keep.txt"));
    // A record cut off mid-line was never acted on.
    HANDLE journal = CreateFileW((Update() + L"install.journal").c_str(), FILE_APPEND_DATA, 0,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, journal);
    const wchar_t torn[] = L"A\tC:\\windows\\win.ini\tC:\\win";
    DWORD written = 0;
    WriteFile(journal, torn, sizeof(torn) - sizeof(wchar_t), &written, nullptr);
    CloseHandle(journal);
    EXPECT_TRUE(RecoverInterruptedInstall(Update()));
    EXPECT_EQ(m_before, Snapshot(m_program));
    EXPECT_FALSE(FileExists(Update() + L"install.journal"));
    EXPECT_TRUE(RecoverInterruptedInstall(Update()));
}

TEST_F(InstallFixture, AShellStepCommitsWhatCameBeforeItAndOnlyLaterStepsAreUndone) {
    CCMInstallTransaction transaction(Update());
    ASSERT_TRUE(
        Install(L"<Config><File Source=\"k.txt\" Target=\"keep.txt\" BaseDir=\"Work\"/>"
                L"<Shell Target=\"cmd.exe\" Option=\"/c exit\" BaseDir=\"System\"/>"
                L"<File Source=\"o.txt\" Target=\"sub\\old.txt\" BaseDir=\"Work\"/>"
                L"</Config>",
                ZipBuilder().Add("k.txt", "new keep").Add("o.txt", "new sub"), transaction));
    EXPECT_EQ("new keep", ReadFileBytes(m_program + L"keep.txt"));
    EXPECT_FALSE(FileExists(m_program + L"keep.txt.trvold"));
    transaction.Rollback();
    EXPECT_EQ("new keep", ReadFileBytes(m_program + L"keep.txt"));
    EXPECT_EQ("old sub", ReadFileBytes(m_program + L"sub\\old.txt"));
    EXPECT_FALSE(FileExists(m_program + L"sub\\old.txt.trvnew"));
}

TEST(UpdaterInstall, ShellStartsAProgramAndTheFolderItMadeCurrentIsGivenBack) {
    CScratchFolder dir(L"shell");
    const std::wstring program = dir.Path() + L"\\prog\\";
    MakeDirs(program);
    const std::wstring package = dir.Path() + L"\\s.zip";
    // The system's command processor writes a marker; a second step makes a folder inside the
    // unpack folder current (its program is missing).
    ZipEntrySpec setup;
    setup.name = "setup.xml";
    setup.data =
        Utf16Bytes(L"<Config><Shell Target=\"cmd.exe\" Option=\"/c echo started&gt;&quot;" +
                   program + L"shell.txt&quot;\" BaseDir=\"System\"/><Shell Target=\"" + package +
                   L".DIR\\tools\\absent.exe\"/></Config>");
    WriteFileBytes(package, ZipBuilder().Add(setup).Add("tools/readme.txt", "r").Build());
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    int reboot = 0;
    CCMInstallTransaction transaction(dir.Path() + L"\\update\\");
    ASSERT_TRUE(UnpackPackage(package));
    EXPECT_FALSE(RunSetupScript(package + L".DIR\\", program, reboot, nullptr, transaction));
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
    RemovePackage(package);
    EXPECT_FALSE(FileExists(package + L".DIR"));
    // The program is not waited for.
    PumpUntil([&] { return ReadFileBytes(program + L"shell.txt") == "started\r\n"; });
    EXPECT_EQ("started\r\n", ReadFileBytes(program + L"shell.txt"));
}

TEST(UpdaterClient, FoundByFullPathAndAskedToExit) {
    CScratchFolder dir(L"ime");
    const std::wstring exe = dir.Path() + L"\\quorbel.exe";
    ASSERT_TRUE(CopyFileW(BuiltFile(L"tools\\quorbel.exe").c_str(), exe.c_str(), FALSE));
    EXPECT_FALSE(IsProgramRunning(exe));
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                               dir.Path().c_str(), &si, &pi));
    WaitForInputIdle(pi.hProcess, 30000);
    PumpUntil([] { return FindWindowW(L"QUORBEL_MAIN_WINDOW", nullptr) != nullptr; });
    EXPECT_TRUE(IsProgramRunning(exe));
    std::wstring upper = exe;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_TRUE(IsProgramRunning(upper));
    EXPECT_FALSE(IsProgramRunning(dir.Path() + L"\\other\\quorbel.exe"));
    EXPECT_TRUE(AskImeClientToExit());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_FALSE(IsProgramRunning(exe));
    EXPECT_FALSE(AskImeClientToExit());
}
