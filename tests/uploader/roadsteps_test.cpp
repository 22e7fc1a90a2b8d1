// Steps between the workers that the windows and uploadroad share: the hand-over of the
// session, the checks of a chosen photo and the registration page.
#include <gtest/gtest.h>

#include "recorders.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "uploader/service/roadsteps.h"

namespace {

TEST(RoadSteps, HandOverCarriesTheSessionAndMakesTheArchiveRoot) {
    CScratchFolder program(L"roadsteps");
    CRecordingLogin login;
    login.session.xsid = "XS1";
    login.session.jid = "4401";
    login.session.serviceBase = "http://sso";
    login.session.verifyServers = true;
    LoginSession session = SessionAfterLogin(login, program.Path() + L"\\");
    EXPECT_EQ(session.xsid, "XS1");
    EXPECT_EQ(session.jid, "4401");
    EXPECT_EQ(session.serviceBase, "http://sso");
    EXPECT_TRUE(session.verifyServers);
    EXPECT_EQ(session.archiveRoot, program.Path() + L"\\已上传图片");
    EXPECT_TRUE(FileExists(session.archiveRoot));
    // Already there is fine; a file in its place is not a folder to archive into.
    EXPECT_TRUE(EnsureArchiveRoot(session.archiveRoot));
    ASSERT_TRUE(WriteFileBytes(program.Path() + L"\\blocked", "x"));
    EXPECT_FALSE(EnsureArchiveRoot(program.Path() + L"\\blocked"));
    EXPECT_FALSE(EnsureArchiveRoot(program.Path() + L"\\missing\\已上传图片"));
}

TEST(RoadSteps, WhichChoicesAreKeptAndWhichOpenInTheViewer) {
    struct Case {
        const wchar_t* path;
        bool accepted;  // kept as the photo to upload
        bool opened;    // handed to the shell by "查看大图"
    } cases[] = {
        {L"C:\\photos\\li.jpg", true, true},
        {L"C:\\photos\\li.JPEG", true, true},
        {L"C:\\photos\\li.PNG", true, true},
        {L"C:\\photos\\li.bmp", true, true},
        {L"C:\\photos\\li.Gif", true, true},
        {L"C:\\photos\\li.lnk.jpg", true, true},
        // Other types that the decoder may still read are uploaded but never run.
        {L"C:\\photos\\li.hta", true, false},
        {L"C:\\photos\\li.bat", true, false},
        {L"C:\\photos\\li.js", true, false},
        {L"C:\\photos\\li.jpg.exe", true, false},
        {L"C:\\photos\\li.jpgx", true, false},
        {L"C:\\photos\\li.", true, false},
        {L"C:\\photos\\li.lnk", false, false},
        {L"C:\\photos\\li.LnK", false, false},
        {L"C:\\photos\\li", false, false},
        // A dot in a folder name gives the file no extension.
        {L"C:\\2016.photos\\li", false, false},
        {L"C:\\x.png\\li", false, false},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(IsAcceptedPhotoPath(k.path), k.accepted) << testing::PrintToString(k.path);
        EXPECT_EQ(IsPictureFile(k.path), k.opened) << testing::PrintToString(k.path);
    }
}

TEST(RoadSteps, RegistrationPageCarriesTheTicketAsOneValue) {
    EXPECT_EQ(RegistrationPageUrl("https://site", "XS7f3a9c01lihua"),
              "https://site/teach/toSchoolAdmin.do?xsid=XS7f3a9c01lihua&from=web");
    EXPECT_EQ(RegistrationPageUrl("https://site", "a&b c"),
              "https://site/teach/toSchoolAdmin.do?xsid=a%26b%20c&from=web");
}

}  // namespace
