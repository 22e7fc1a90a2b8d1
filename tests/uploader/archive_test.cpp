// Local archive: folder naming, replacement by number, refusal of unsafe names.
#include <gtest/gtest.h>

#include "testfiles.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
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

TEST_F(ArchiveTest, MovesThePhotoIntoGradeAndClass) {
    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"三年级", L"2班"), compressed, L"A123"), 0);
    EXPECT_EQ(ReadFileBytes(root + L"\\三年级-2班\\li_CompPic-A123.jpg"), "new photo");
    EXPECT_FALSE(FileExists(compressed));
}

TEST_F(ArchiveTest, NoClassMeansGradeOnly) {
    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"五年级", L""), compressed, L"D012"), 0);
    EXPECT_TRUE(FileExists(root + L"\\五年级\\li_CompPic-D012.jpg"));
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
    // The file system ignores case, so the listing shows which name survived.
    EXPECT_EQ(ListNames(root + L"\\g-c"), (std::vector<std::wstring>{L"li_CompPic-a123.jpg"}));
    EXPECT_EQ(ReadFileBytes(root + L"\\g-c\\li_CompPic-a123.jpg"), "second photo");
}

TEST_F(ArchiveTest, ServerNamesCannotLeaveTheRoot) {
    EXPECT_EQ(SafeFileName(L"..\\..\\Windows"), L".._.._Windows");
    EXPECT_EQ(SafeFileName(L"a/b:c*d?e\"f<g>h|i\tj"), L"a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(SafeFileName(L"三年级"), L"三年级");

    for (const wchar_t* grade : {L"", L".", L"..", L". .", L" "}) {
        EXPECT_EQ(ArchiveUploadedPhoto(root, Record(grade, L""), compressed, L"A123"), -1);
    }
    for (const wchar_t* className : {L".", L".."}) {
        EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"g", className), compressed, L"A123"), -1);
    }
    EXPECT_TRUE(FileExists(compressed));

    ASSERT_EQ(ArchiveUploadedPhoto(root, Record(L"..\\..", L"c/d"), compressed, L"..\\A1"), 0);
    EXPECT_EQ(ReadFileBytes(root + L"\\.._..-c_d\\li_CompPic-.._A1.jpg"), "new photo");
}

TEST_F(ArchiveTest, FailuresLeaveTheCompressedFile) {
    // A file where the folder should be: the folder cannot be made.
    ASSERT_TRUE(WriteFileBytes(root + L"\\blocked-x", "file"));
    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"blocked", L"x"), compressed, L"A123"), 0 - 1);
    EXPECT_TRUE(FileExists(compressed));

    std::wstring noDot = dir.Path() + L"\\nodot";
    ASSERT_TRUE(WriteFileBytes(noDot, "x"));
    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), noDot, L"A123"), -1);
    EXPECT_TRUE(FileExists(noDot));

    EXPECT_EQ(ArchiveUploadedPhoto(root, Record(L"g", L""), dir.Path() + L"\\gone.jpg", L"A1"), -1);
    EXPECT_EQ(
        ArchiveUploadedPhoto(dir.Path() + L"\\missing\\root", Record(L"g", L""), compressed, L"A1"),
        -1);
    EXPECT_TRUE(FileExists(compressed));
}

}  // namespace
