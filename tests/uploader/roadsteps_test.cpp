// Steps between the workers that the windows and uploadroad share: the hand-over of the
// session, the photo choice check and the registration page.
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

TEST(RoadSteps, OnlyShortcutsAndNamesWithoutExtensionAreRefused) {
    EXPECT_TRUE(IsAcceptedPhotoPath(L"C:\\photos\\li.jpg"));
    EXPECT_TRUE(IsAcceptedPhotoPath(L"C:\\photos\\li.PNG"));
    EXPECT_TRUE(IsAcceptedPhotoPath(L"C:\\photos\\li.gif"));
    EXPECT_TRUE(IsAcceptedPhotoPath(L"C:\\photos\\li.lnk.jpg"));
    EXPECT_FALSE(IsAcceptedPhotoPath(L"C:\\photos\\li.lnk"));
    EXPECT_FALSE(IsAcceptedPhotoPath(L"C:\\photos\\li.LnK"));
    EXPECT_FALSE(IsAcceptedPhotoPath(L"C:\\photos\\li"));
    // A dot in a folder name gives the file no extension.
    EXPECT_FALSE(IsAcceptedPhotoPath(L"C:\\2016.photos\\li"));
}

TEST(RoadSteps, RegistrationPageCarriesTheTicketAsOneValue) {
    EXPECT_EQ(RegistrationPageUrl("https://site", "XS7f3a9c01lihua"),
              "https://site/teach/toSchoolAdmin.do?xsid=XS7f3a9c01lihua&from=web");
    EXPECT_EQ(RegistrationPageUrl("https://site", "a&b c"),
              "https://site/teach/toSchoolAdmin.do?xsid=a%26b%20c&from=web");
}

}  // namespace
