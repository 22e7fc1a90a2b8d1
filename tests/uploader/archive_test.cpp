// Local archive: folder naming, replacement by number, failures that keep the photo.
#include <gtest/gtest.h>

#include "common/util/ntstringconvert.h"
#include "testfiles.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "uploader/service/filehandle.h"
#include "uploader/service/photoarchive.h"

namespace {

StudentRecord Record(const wchar_t* grade, const wchar_t* className) {
    StudentRecord r;
    r.student_id = "S1";
    r.grade_name = grade;
    r.class_name = className;
    return r;
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.Path() + L"\\已上传图片";
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
        compressed = dir.Path() + L"\\li_CompPic.jpg";
        ASSERT_TRUE(WriteFileBytes(compressed, "new photo"));
    }

    CScratchFolder dir{L"archive"};
    std::wstring root;
    std::wstring compressed;
};

TEST_F(ArchiveTest, EveryNameArchivesInAFolderOfItsOwn) {
    struct Case {
        const wchar_t* grade;
        const wchar_t* className;
        const wchar_t* folder;
    } cases[] = {
        // Names as they always were.
        {L"三年级", L"2班", L"三年级-2班"},
        {L"五年级", L"", L"五年级"},
        {L"", L"1班", L"-1班"},
        {L"..", L"c?", L"..-c%3F"},
        {L"CON", L"1", L"CON-1"},
        {L"CONSOLE", L"", L"CONSOLE"},
        {L"g", L"c%", L"g-c%25"},
        // Separators and drive colons are written as code, so the name stays one folder.
        {L"g", L"c/d", L"g-c%2Fd"},
        {L"g", L"..\\x", L"g-..%5Cx"},
        {L"C:", L"", L"C%3A"},
        {L"..\\..", L"", L"..%5C.%2E"},
        // A final dot or space, which Windows would drop.
        {L".", L"", L"%2E"},
        {L"..", L"", L".%2E"},
        {L". .", L"", L". %2E"},
        {L"g.", L"", L"g%2E"},
        {L"g", L"1班 ", L"g-1班%20"},
        // Device names, alone or with an extension.
        {L"CON", L"", L"%43ON"},
        {L"nul", L"", L"%6Eul"},
        {L"Aux.txt", L"", L"%41ux.txt"},
        {L"COM1", L"", L"%43OM1"},
        {L"lpt9 .a", L"", L"%6Cpt9 .a"},
        {L"COM\u00B9", L"", L"%43OM\u00B9"},
        {L"CONOUT$", L"", L"%43ONOUT$"},
    };
    for (const Case& k : cases) {
        std::string trace = CNTStringConvert::UnicodeToUTF8(k.grade) + "|" +
                            CNTStringConvert::UnicodeToUTF8(k.className);
        std::wstring folder;
        ASSERT_TRUE(ArchiveFolder(root, Record(k.grade, k.className), folder)) << trace;
        EXPECT_EQ(folder, root + L"\\" + k.folder) << trace;
        ASSERT_TRUE(WriteFileBytes(compressed, trace));
        ASSERT_EQ(ArchiveUploadedPhoto(root, Record(k.grade, k.className), compressed, L"A1"), 0)
            << trace;
        EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-A1.jpg"), trace);
        EXPECT_FALSE(FileExists(compressed));
    }
    // No two names met in one folder.
    EXPECT_EQ(ListNames(root).size(), sizeof(cases) / sizeof(cases[0]));
}

TEST_F(ArchiveTest, ReplacesCopiesOfTheSameNumberInAnyCase) {
    std::wstring folder = root + L"\\三年级-2班";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const wchar_t* name : {L"x-A123.jpg", L"y-a123.jpg", L"x-A1234.jpg", L"A123.jpg",
                                L"z-b-A123.png", L"w-A123", L"li_CompPic-A124.jpg"}) {
        ASSERT_TRUE(WriteFileBytes(folder + L"\\" + name, "old"));
    }
    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"三年级", L"2班"), compressed, L"A123"), 0);
    EXPECT_FALSE(FileExists(folder + L"\\x-A123.jpg"));
    EXPECT_FALSE(FileExists(folder + L"\\y-a123.jpg"));
    EXPECT_FALSE(FileExists(folder + L"\\z-b-A123.png"));
    EXPECT_FALSE(FileExists(folder + L"\\w-A123"));
    EXPECT_TRUE(FileExists(folder + L"\\x-A1234.jpg"));
    EXPECT_TRUE(FileExists(folder + L"\\A123.jpg"));
    EXPECT_TRUE(FileExists(folder + L"\\li_CompPic-A124.jpg"));
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-A123.jpg"), "new photo");
}

TEST_F(ArchiveTest, UploadingAgainReplacesTheArchivedCopy) {
    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L"c"), compressed, L"A123"), 0);
    ASSERT_TRUE(WriteFileBytes(compressed, "second photo"));
    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L"c"), compressed, L"a123"), 0);
    // The file system ignores case: one copy is left, whichever spelling it kept.
    std::vector<std::wstring> names = ListNames(root + L"\\g-c");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(CompareStringOrdinal(names[0].c_str(), -1, L"li_CompPic-a123.jpg", -1, TRUE),
              CSTR_EQUAL);
    EXPECT_EQ(ReadFileBytes(root + L"\\g-c\\li_CompPic-a123.jpg"), "second photo");
}

TEST_F(ArchiveTest, NumbersNeverShareOrStealACopy) {
    // Each number is written whole and one-to-one: "A-1" ends in "-1", "A/1" is not "A_1".
    const wchar_t* numbers[] = {L"A-1", L"1", L"A/1", L"A_1", L"A%2F1", L"a:b*?"};
    for (const wchar_t* number : numbers) {
        ASSERT_TRUE(
            WriteFileBytes(compressed, "photo of " + CNTStringConvert::UnicodeToUTF8(number)));
        ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), compressed, number), 0);
    }
    ASSERT_TRUE(WriteFileBytes(compressed, "A-1 again"));
    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), compressed, L"A-1"), 0);

    std::wstring folder = root + L"\\g";
    EXPECT_EQ(ListNames(folder).size(), 6u);
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-A%2D1.jpg"), "A-1 again");
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-1.jpg"), "photo of 1");
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-A%2F1.jpg"), "photo of A/1");
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-A_1.jpg"), "photo of A_1");
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-A%252F1.jpg"), "photo of A%2F1");
    EXPECT_EQ(ReadFileBytes(folder + L"\\li_CompPic-a%3Ab%2A%3F.jpg"), "photo of a:b*?");
}

TEST_F(ArchiveTest, FailedCopyKeepsTheEarlierCopy) {
    std::wstring folder = root + L"\\g";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\old-A123.jpg", "old photo"));
    {
        // Another program holds the compressed file: it cannot be read for the copy.
        CFileHandle lock(CreateFileW(compressed.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock.IsValid());
        EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), compressed, L"A123"), -1);
    }
    EXPECT_EQ(ListNames(folder), (std::vector<std::wstring>{L"old-A123.jpg"}));
    EXPECT_EQ(ReadFileBytes(folder + L"\\old-A123.jpg"), "old photo");
    EXPECT_EQ(ReadFileBytes(compressed), "new photo");
}

TEST_F(ArchiveTest, FailuresLeaveTheCompressedFile) {
    // A file where the folder should be: the folder cannot be made.
    ASSERT_TRUE(WriteFileBytes(root + L"\\blocked-x", "file"));
    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"blocked", L"x"), compressed, L"A123"), -1);
    EXPECT_TRUE(FileExists(compressed));

    std::wstring noDot = dir.Path() + L"\\nodot";
    ASSERT_TRUE(WriteFileBytes(noDot, "x"));
    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), noDot, L"A123"), -1);
    EXPECT_TRUE(FileExists(noDot));

    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), dir.Path() + L"\\gone.jpg", L"A1"), -1);
    EXPECT_EQ(ListNames(root + L"\\g"), std::vector<std::wstring>());
    EXPECT_EQ(
        ArchiveUploadedPhoto(dir.Path() + L"\\missing\\root", Record(L"g", L""), compressed, L"A1"),
        -1);
    // Without grade and class there is no folder name: the root itself gets no photo.
    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"", L""), compressed, L"A1"), -1);
    EXPECT_TRUE(FileExists(compressed));
}

}  // namespace
