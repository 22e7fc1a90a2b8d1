// The login and upload windows as a records administrator uses them, against the simulator:
// real windows under real mouse and keyboard input, the file dialog answered from a thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "recorders.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "testfiles.h"
#include "uidriver.h"
#include "common/util/ntstringconvert.h"
#include "uploader/service/texts.h"
#include "uploader/service/uploadworker.h"
#include "uploader/ui/batchwindow.h"
#include "uploader/ui/loginwindow.h"
#include "uploader/ui/uploadwindow.h"

namespace {

const wchar_t kLoginClass[] = L"UIMainFrame_quorbel_ZEV";
const wchar_t kUploadClass[] = L"UIUploadFrame_quorbel_ZEV";
const wchar_t kBatchClass[] = L"UIBatchFrame_quorbel_ZEV";
const wchar_t* const kPhotoButtons[] = {L"view_pic_btn", L"upload_pic_btn", L"select_pic_btn",
                                        L"see_max_pic_btn", L"del_re_select_pic_btn"};

// The skin folder installed next to the built program.
std::wstring DistSkinFolder() {
    const char* binary = getenv("NT_BINARY_DIR");
    std::wstring dir = L"Z:";
    for (const char* c = binary ? binary : ""; *c; ++c)
        dir += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return dir + L"\\dist\\skin\\";
}

class FeltrineWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim.Base().empty()) << "NTSIM_PORT_FILE not readable";
        ASSERT_TRUE(sim.Reset());
        ASSERT_FALSE(program.Path().empty());
        folder = program.Path() + L"\\";
        WriteConfig(L"<config><SSOUrlBase>" + sim.WideBase() + L"</SSOUrlBase></config>");
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourcePath(DistSkinFolder().c_str());
    }

    void TearDown() override {
        for (const wchar_t* name : {kBatchClass, kLoginClass, kUploadClass}) {
            while (HWND hWnd = FindAppWindow(name)) DestroyWindow(hWnd);
        }
        EXPECT_TRUE(sim.Reset());
        Settle();
    }

    void WriteConfig(const std::wstring& xml) {
        ASSERT_TRUE(WriteUtf16File(folder + L"config.xml", xml));
    }

    // Shows a created window in front, as the entry does.
    template <class Window>
    Window* Show(Window* window, HWND hWnd) {
        if (!hWnd) return nullptr;
        window->CenterWindow();
        window->ShowWindow(true, true);
        SetForegroundWindow(hWnd);
        // Input goes to the window once it is in front, and tests read what it painted.
        if (!PumpUntil([hWnd] {
                return GetForegroundWindow() == hWnd && !GetUpdateRect(hWnd, nullptr, FALSE);
            }))
            return nullptr;
        Settle();
        return window;
    }

    CLoginWindow* OpenLogin() {
        auto* window = new CLoginWindow(folder);
        return Show(window,
                    window->Create(nullptr, L"feltrine", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT));
    }

    // Replaces the text of an edit as a user does: click, erase, type.
    void Retype(CFeltrineWindow* window, const wchar_t* edit, const std::wstring& text) {
        Click(ControlCenter(window, edit));
        PressKey(VK_END);
        for (size_t n = ControlText(window, edit).size(); n > 0; --n) PressKey(VK_BACK);
        TypeText(text);
    }

    CSimLane sim;
    CScratchFolder program{L"feltrine_ui"};
    std::wstring folder;
};

using LoginWindowTest = FeltrineWindowTest;

TEST_F(LoginWindowTest, SignInButtonFollowsBothFields) {
    CLoginWindow* login = OpenLogin();
    ASSERT_NE(login, nullptr);
    EXPECT_FALSE(ControlEnabled(login, L"login_btn"));
    Click(ControlCenter(login, L"UserName_edt"));
    TypeText(L"lihua");
    EXPECT_FALSE(ControlEnabled(login, L"login_btn"));
    // Tab moves on to the password.
    PressKey(VK_TAB);
    TypeText(L"P");
    EXPECT_EQ(ControlText(login, L"Password_edt"), L"P");
    EXPECT_TRUE(ControlEnabled(login, L"login_btn"));
    PressKey(VK_BACK);
    EXPECT_FALSE(ControlEnabled(login, L"login_btn"));
    // A long pass phrase is taken whole.
    std::wstring phrase;
    for (int i = 0; i < 256; ++i) phrase += static_cast<wchar_t>(L'a' + i % 26);
    TypeText(phrase);
    EXPECT_EQ(ControlText(login, L"Password_edt"), phrase);
    EXPECT_TRUE(ControlEnabled(login, L"login_btn"));
}

TEST_F(LoginWindowTest, EscapeAndCaptionDoubleClickChangeNothing) {
    CLoginWindow* login = OpenLogin();
    ASSERT_NE(login, nullptr);
    HWND hWnd = login->GetHWND();
    Click(ControlCenter(login, L"UserName_edt"));
    TypeText(L"lihua");
    PressKey(VK_ESCAPE);
    Click(ControlCenter(login, L"Password_edt"));
    TypeText(L"Pass");
    PressKey(VK_ESCAPE);
    Settle(300);
    ASSERT_TRUE(IsWindow(hWnd));
    EXPECT_EQ(ControlText(login, L"UserName_edt"), L"lihua");
    EXPECT_EQ(ControlText(login, L"Password_edt"), L"Pass");

    RECT before, after;
    GetWindowRect(hWnd, &before);
    DoubleClick(POINT{before.left + 120, before.top + 26});
    GetWindowRect(hWnd, &after);
    EXPECT_FALSE(IsZoomed(hWnd));
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(QuitPosted());
}

TEST_F(LoginWindowTest, EveryFailureShowsItsTextAndAllowsAnotherAttempt) {
    struct Case {
        const char* user;
        const char* password;
        const char* faultPath;
        const char* kind;
        const char* extra;
        std::wstring hint;
    };
    const Case cases[] = {
        {"lihua", "Pass1234", "/sso", "drop", "", texts::kNetworkProblem},
        {"lihua", "Pass1234", "/sso", "notjson", "", texts::kWrongCredentials},
        {"lihua", "wrong", nullptr, nullptr, nullptr, L"用户名或密码错误"},
        {"lihua", "Pass1234", "/api/CheckLogin", "notjson", "", texts::kBadData},
        {"lihua", "Pass1234", "/api/CheckLogin", "refuse",
         "\"code\": 7, \"message\": \"\\u7b7e\\u540d\\u9519\\u8bef\"", L"签名错误"},
        {"lihua", "Pass1234", "/api/ClientPublic", "drop", "", texts::kNetworkProblem},
        {"wanglaoshi", "teach2016", nullptr, nullptr, nullptr, texts::kNotRecordsAdministrator},
    };
    CLoginWindow* login = OpenLogin();
    ASSERT_NE(login, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user + std::string("/") + c.password + " " + (c.kind ? c.kind : "-"));
        ASSERT_TRUE(sim.Reset());
        if (c.faultPath) {
            ASSERT_TRUE(sim.Fault(c.faultPath, c.kind, c.extra));
        }
        Retype(login, L"UserName_edt", CNTStringConvert::AnsiToUnicode(c.user));
        Retype(login, L"Password_edt", CNTStringConvert::AnsiToUnicode(c.password));
        // Enter in a field signs in: the button is the window's default.
        PressKey(VK_RETURN);
        ASSERT_TRUE(PumpUntil([&] { return ControlEnabled(login, L"login_btn"); }));
        EXPECT_EQ(ControlText(login, L"ExceptionHintLabel"), c.hint);
        EXPECT_EQ(FindAppWindow(kUploadClass), nullptr);
    }
    EXPECT_FALSE(QuitPosted());
}

TEST_F(LoginWindowTest, AdministratorIsHandedToTheUploadWindow) {
    CLoginWindow* login = OpenLogin();
    ASSERT_NE(login, nullptr);
    HWND loginWnd = login->GetHWND();
    Click(ControlCenter(login, L"UserName_edt"));
    TypeText(L"lihua");
    PressKey(VK_TAB);
    TypeText(L"Pass1234");
    Click(ControlCenter(login, L"login_btn"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(loginWnd) && FindAppWindow(kUploadClass); }));
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(FileExists(folder + L"已上传图片"));
    EXPECT_EQ(sim.Requests().size(), 3u);

    // Closing the upload window ends the program.
    CFeltrineWindow* upload = WindowObject(FindAppWindow(kUploadClass));
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"closebtn"));
    ASSERT_TRUE(PumpUntil([&] { return FindAppWindow(kUploadClass) == nullptr; }));
    EXPECT_TRUE(PumpUntil([&] { return QuitPosted(); }, 1000));
}

TEST_F(LoginWindowTest, ClosingDuringAHungSignInEndsWithoutUploadWindow) {
    ASSERT_TRUE(sim.Fault("/sso", "hang"));
    CLoginWindow* login = OpenLogin();
    ASSERT_NE(login, nullptr);
    HWND loginWnd = login->GetHWND();
    Click(ControlCenter(login, L"UserName_edt"));
    TypeText(L"lihua");
    PressKey(VK_TAB);
    TypeText(L"Pass1234");
    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !sim.Requests().empty(); }));
    ASSERT_TRUE(IsWindow(loginWnd));
    // Typing meanwhile does not offer a second attempt.
    TypeText(L"5");
    EXPECT_FALSE(ControlEnabled(login, L"login_btn"));
    EXPECT_EQ(GetClassLongPtrW(loginWnd, GCLP_HCURSOR),
              reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_WAIT)));
    // Well inside the 20-second time-out of the request: the close aborts it.
    Click(ControlCenter(login, L"closebtn"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(loginWnd); }, 8000));
    EXPECT_TRUE(PumpUntil([&] { return QuitPosted(); }, 1000));
    Settle(300);
    EXPECT_EQ(FindAppWindow(kUploadClass), nullptr);
}

class UploadWindowTest : public FeltrineWindowTest {
protected:
    void SetUp() override {
        FeltrineWindowTest::SetUp();
        ASSERT_FALSE(photos.Path().empty());
        CRecordingLogin login;
        login.session.serviceBase = sim.Base();
        login.userName = "lihua";
        login.password = "Pass1234";
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start(&LoginWorker, &login, login.flags));
        worker.Join();
        ASSERT_EQ(login.session.xsid, "XS7f3a9c01lihua");
        session = login.session;
        session.archiveRoot = folder + L"已上传图片";
        CreateDirectoryW(session.archiveRoot.c_str(), nullptr);
        ASSERT_TRUE(sim.Reset());
    }

    CUploadWindow* OpenUpload() {
        auto* window = new CUploadWindow(session);
        return Show(window,
                    window->Create(nullptr, L"", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT));
    }

    std::wstring Photo(const wchar_t* name, int width, int height) {
        std::wstring path = photos.Path() + L"\\" + name;
        EXPECT_TRUE(WritePicture(path, width, height, L"png"));
        return path;
    }

    // Clicks a selection button with the dialog answered by `path` (cancelled when empty);
    // true when the dialog came up.
    bool Choose(CUploadWindow* window, const wchar_t* button, const std::wstring& path) {
        DialogAnswer answer({path});
        Click(ControlCenter(window, button));
        PumpMessagesUntil([&] { return answer.Answered() > 0; }, 5000);
        Settle(400);
        return answer.Answered() > 0;
    }

    // Screen colour at a point of the preview's client area.
    DWORD PreviewPixel(CUploadWindow* window, int x, int y) {
        POINT pt{x, y};
        ClientToScreen(window->Preview()->GetHWND(), &pt);
        return ScreenPixel(pt);
    }

    LoginSession session;
    CScratchFolder photos{L"feltrine_photos"};
};

// WritePicture paints red with a blue ellipse in the middle; the preview's ground is grey.
constexpr DWORD kPhotoRed = 0xC81E1E;
constexpr DWORD kPreviewGround = 0xEFEFEF;

TEST_F(UploadWindowTest, PhotoButtonsFollowTheNumber) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    for (const wchar_t* name : kPhotoButtons) EXPECT_FALSE(ControlEnabled(upload, name)) << name;
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A");
    for (const wchar_t* name : kPhotoButtons) EXPECT_TRUE(ControlEnabled(upload, name)) << name;
    PressKey(VK_BACK);
    for (const wchar_t* name : kPhotoButtons) EXPECT_FALSE(ControlEnabled(upload, name)) << name;
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindow(upload->GetHWND()));
}

TEST_F(UploadWindowTest, PreviewReadsAtMostTheCompressedPhotoCap) {
    // A picture that decodes, padded behind its end to the cap and one byte beyond.
    std::wstring atCap = Photo(L"cap.png", 64, 48);
    std::wstring beyond = Photo(L"beyond.png", 64, 48);
    for (const auto& [path, size] : {std::pair{atCap, kMaxCompressedPhotoBytes},
                                     std::pair{beyond, kMaxCompressedPhotoBytes + 1}}) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
    }
    EXPECT_NE(LoadPreviewPicture(atCap), nullptr);
    EXPECT_EQ(LoadPreviewPicture(beyond), nullptr);
}

TEST_F(UploadWindowTest, PreviewFitsThePhotoIntoItsSquare) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    std::wstring wide = Photo(L"wide.png", 440, 220);
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", wide));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintAID"), L"");
    // The preview keeps its own copy at the size it shows: the file is free to go.
    Gdiplus::Image* shown = upload->Preview()->Image();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetWidth(), 220u);
    EXPECT_EQ(shown->GetHeight(), 110u);
    EXPECT_TRUE(DeleteFileW(wide.c_str()));
    InvalidateRect(upload->Preview()->GetHWND(), nullptr, FALSE);
    Settle();
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].path, "/api/CheckLogin/getProviceIP?xsid=XS7f3a9c01lihua&province_code=44");
    EXPECT_NE(sent[1].path.find("/api/Ef/checkFileno?file_no=A123&xsid=XS7f3a9c01lihua"),
              std::string::npos);
    // 440 x 220 is drawn 220 x 110 at (0, 55).
    EXPECT_EQ(PreviewPixel(upload, 110, 51), kPreviewGround);
    EXPECT_EQ(PreviewPixel(upload, 110, 58), kPhotoRed);
    EXPECT_EQ(PreviewPixel(upload, 3, 110), kPhotoRed);
    EXPECT_EQ(PreviewPixel(upload, 110, 162), kPhotoRed);
    EXPECT_EQ(PreviewPixel(upload, 110, 169), kPreviewGround);

    // 100 x 300 is drawn 73 x 220 at (73, 0).
    ASSERT_TRUE(Choose(upload, L"del_re_select_pic_btn", Photo(L"tall.png", 100, 300)));
    EXPECT_EQ(PreviewPixel(upload, 69, 110), kPreviewGround);
    EXPECT_EQ(PreviewPixel(upload, 76, 110), kPhotoRed);
    EXPECT_EQ(PreviewPixel(upload, 143, 3), kPhotoRed);
    EXPECT_EQ(PreviewPixel(upload, 150, 110), kPreviewGround);
    // The outline closes on all four sides, over the photo too.
    for (POINT edge : {POINT{0, 110}, POINT{219, 110}, POINT{110, 0}, POINT{110, 219}})
        EXPECT_EQ(PreviewPixel(upload, edge.x, edge.y), 0xC6CFD8u) << edge.x << "," << edge.y;
}

TEST_F(UploadWindowTest, RefusedAndUnloadableChoicesAndCancel) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", Photo(L"wide.png", 440, 220)));
    std::wstring shortcut = photos.Path() + L"\\wide.lnk";
    ASSERT_TRUE(WriteFileBytes(shortcut, "L not really a shortcut"));
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", shortcut));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintUpload"), texts::kWrongPhotoType);
    EXPECT_NE(upload->Preview()->Image(), nullptr);
    // The refused choice left no photo to send.
    Click(ControlCenter(upload, L"upload_pic_btn"));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintPic"), texts::kNoPhoto);

    // A file that is no picture keeps the old preview; sending it fails at the compression.
    std::wstring broken = photos.Path() + L"\\broken.png";
    ASSERT_TRUE(WriteFileBytes(broken, "not a picture"));
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", broken));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintUpload"), L"");
    EXPECT_NE(upload->Preview()->Image(), nullptr);
    Click(ControlCenter(upload, L"upload_pic_btn"));
    ASSERT_TRUE(PumpUntil(
        [&] { return ControlText(upload, L"upload_pic_btn") == texts::kUploadAgainButton; }));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintUpload"), texts::kUploadFailed);

    // Cancelling drops the photo and its preview.
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", std::wstring()));
    EXPECT_EQ(upload->Preview()->Image(), nullptr);
    EXPECT_EQ(PreviewPixel(upload, 110, 110), kPreviewGround);
    Click(ControlCenter(upload, L"upload_pic_btn"));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintPic"), texts::kNoPhoto);
}

TEST_F(UploadWindowTest, LookupFailureStopsBeforeTheDialog) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"B456");
    EXPECT_FALSE(Choose(upload, L"select_pic_btn", L"C:\\never.png"));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintAID"), texts::kNotOwnStudent);
    EXPECT_EQ(GetClassLongPtrW(upload->GetHWND(), GCLP_HCURSOR),
              reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
}

TEST_F(UploadWindowTest, UploadSucceedsAndArchivesThePhoto) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    std::wstring photo = Photo(L"li.png", 1600, 1200);
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", photo));
    ASSERT_TRUE(sim.Reset());
    Click(ControlCenter(upload, L"upload_pic_btn"));
    ASSERT_TRUE(PumpUntil(
        [&] { return ControlText(upload, L"SuccessUploadHint") == texts::kUploadSucceeded; }));
    EXPECT_EQ(ControlText(upload, L"upload_pic_btn"), texts::kUploadSucceeded);
    EXPECT_EQ(ControlText(upload, L"ExceptionHintUpload"), L"");
    for (const wchar_t* name : kPhotoButtons) EXPECT_TRUE(ControlEnabled(upload, name)) << name;
    // Both lookups again, then the first and the second server.
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[2].path.substr(0, 17), "/first/index.php?");
    EXPECT_EQ(sent[3].path.substr(0, 22), "/second/api/Ef/upload?");
    EXPECT_EQ(ListNames(session.archiveRoot + L"\\三年级-2班"),
              std::vector<std::wstring>{L"li_CompPic-A123.jpg"});
    EXPECT_FALSE(FileExists(photos.Path() + L"\\li_CompPic.jpg"));
    int width = 0, height = 0;
    PictureSize(session.archiveRoot + L"\\三年级-2班\\li_CompPic-A123.jpg", width, height);
    EXPECT_EQ(width, 1000);
    EXPECT_EQ(height, 750);

    // The next student's number and Enter: nothing is sent, the photo stays this student's.
    Retype(upload, L"Archives_id_edt", L"A124");
    PressKey(VK_RETURN);
    Settle(500);
    EXPECT_EQ(sim.Requests().size(), 4u);
    EXPECT_EQ(ControlText(upload, L"SuccessUploadHint"), texts::kUploadSucceeded);
    EXPECT_EQ(ListNames(session.archiveRoot + L"\\三年级-2班"),
              std::vector<std::wstring>{L"li_CompPic-A123.jpg"});
}

TEST_F(UploadWindowTest, ArchiveKeepsTheNumberThePhotoWasSentFor) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", Photo(L"li.png", 400, 300)));
    ASSERT_TRUE(sim.Fault("/first/index.php", "hang"));
    Click(ControlCenter(upload, L"upload_pic_btn"));
    // Lookups at the selection and again at the upload, then the photo to the first server.
    ASSERT_TRUE(PumpUntil([&] { return sim.Requests().size() == 5u; }));
    // The number is edited while the photo is on its way; the reset lets the first server drop
    // the request, and the second one accepts the photo.
    Retype(upload, L"Archives_id_edt", L"A124");
    for (const wchar_t* name : kPhotoButtons) EXPECT_FALSE(ControlEnabled(upload, name)) << name;
    ASSERT_TRUE(sim.Reset());
    ASSERT_TRUE(PumpUntil(
        [&] { return ControlText(upload, L"SuccessUploadHint") == texts::kUploadSucceeded; }));
    EXPECT_EQ(ListNames(session.archiveRoot + L"\\三年级-2班"),
              std::vector<std::wstring>{L"li_CompPic-A123.jpg"});
}

TEST_F(UploadWindowTest, ServerRefusalOffersAnotherUpload) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", Photo(L"li.png", 400, 300)));
    ASSERT_TRUE(sim.Fault("/second/api/Ef/upload", "refuse", "\"code\": 3"));
    Click(ControlCenter(upload, L"upload_pic_btn"));
    ASSERT_TRUE(PumpUntil(
        [&] { return ControlText(upload, L"upload_pic_btn") == texts::kUploadAgainButton; }));
    EXPECT_EQ(ControlText(upload, L"ExceptionHintUpload"), texts::kUploadFailed);
    EXPECT_EQ(ControlText(upload, L"SuccessUploadHint"), L"");
    EXPECT_TRUE(ListNames(session.archiveRoot).empty());
}

TEST_F(UploadWindowTest, CloseDuringTheFileDialogWaitsForIt) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    HWND hWnd = upload->GetHWND();
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    std::wstring photo = Photo(L"li.png", 400, 300);
    // Another program closes the window while the dialog is open; then a photo is chosen.
    std::atomic<bool> outlived{false};
    std::atomic<bool> answered{false};
    std::thread other([&] {
        PumpMessagesUntil([] { return FindAppWindow(L"#32770") != nullptr; }, kWaitLimitMs);
        SendMessageW(hWnd, WM_CLOSE, 0, 0);
        outlived = IsWindow(hWnd) != FALSE;
        DialogAnswer answer({photo});
        answered = PumpMessagesUntil([&] { return answer.Answered() > 0; }, kWaitLimitMs);
    });
    Click(ControlCenter(upload, L"select_pic_btn"));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hWnd); }, 15000));
    other.join();
    EXPECT_TRUE(outlived);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(PumpUntil([&] { return QuitPosted(); }, 1000));
}

TEST_F(UploadWindowTest, ClosingDuringAHungUploadEndsWithoutVerdict) {
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    HWND hWnd = upload->GetHWND();
    Click(ControlCenter(upload, L"Archives_id_edt"));
    TypeText(L"A123");
    ASSERT_TRUE(Choose(upload, L"select_pic_btn", Photo(L"li.png", 800, 600)));
    ASSERT_TRUE(sim.Fault("/second/api/Ef/upload", "hang"));
    Click(ControlCenter(upload, L"upload_pic_btn"));
    for (const wchar_t* name : kPhotoButtons) EXPECT_FALSE(ControlEnabled(upload, name)) << name;
    // The whole form has gone out while the server keeps quiet.
    ASSERT_TRUE(
        PumpUntil([&] { return ControlText(upload, L"upload_pic_btn") == L"已完成:100%"; }));
    Click(ControlCenter(upload, L"closebtn"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hWnd); }, 8000));
    EXPECT_TRUE(PumpUntil([&] { return QuitPosted(); }, 1000));
    EXPECT_TRUE(ListNames(session.archiveRoot).empty());
    EXPECT_TRUE(FileExists(photos.Path() + L"\\li_CompPic.jpg"));
}

class BatchWindowTest : public UploadWindowTest {
protected:
    // Drops the photo folder onto the upload window and waits for the batch window in front.
    CBatchWindow* OpenBatch(CUploadWindow* upload) {
        upload->OnDrop(photos.Path());
        HWND hWnd = nullptr;
        if (!PumpUntil([&] {
                hWnd = FindAppWindow(kBatchClass);
                return hWnd && GetForegroundWindow() == hWnd &&
                       !GetUpdateRect(hWnd, nullptr, FALSE);
            }))
            return nullptr;
        Settle();
        return static_cast<CBatchWindow*>(WindowObject(hWnd));
    }
    static CListUI* List(CBatchWindow* batch) {
        return static_cast<CListUI*>(batch->FindControl(L"batch_list"));
    }
    static std::vector<std::wstring> States(CBatchWindow* batch) {
        std::vector<std::wstring> states;
        CListUI* list = List(batch);
        for (size_t i = 0; i < list->GetRowCount(); ++i)
            states.push_back(list->GetCell(i, 0) + L"|" + list->GetCell(i, 2) + L"|" +
                             list->GetCell(i, 3));
        return states;
    }
    size_t Posts() const {
        size_t posts = 0;
        for (const SimRecord& r : sim.Requests()) posts += r.method == "POST";
        return posts;
    }
};

TEST_F(BatchWindowTest, DroppedFolderRunsRowByRowThenRetriesOnlyTheFailed) {
    for (const wchar_t* name :
         {L"A123.png", L"A124.png", L"B456.png", L"Z999.png", L"c1.png", L"C1.jpg", L"notes.txt"})
        Photo(name, 120, 90);
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    CBatchWindow* batch = OpenBatch(upload);
    ASSERT_NE(batch, nullptr);
    EXPECT_FALSE(IsWindowEnabled(upload->GetHWND()));
    EXPECT_EQ(States(batch),
              (std::vector<std::wstring>{L"A123.png||等待上传", L"A124.png||等待上传",
                                         L"B456.png||等待上传", L"C1.jpg||上传号重复",
                                         L"c1.png||上传号重复", L"Z999.png||等待上传"}));
    EXPECT_EQ(List(batch)->GetCell(0, 1), L"A123");
    EXPECT_FALSE(ControlEnabled(batch, L"batch_retry_btn"));

    // A123's upload to the second server meets a server error.
    ASSERT_TRUE(sim.Fault("/second/api/Ef/upload", "html500"));
    Click(ControlCenter(batch, L"batch_start_btn"));
    ASSERT_TRUE(PumpUntil([&] {
        return ControlText(batch, L"batch_summary_lbl") == L"上传成功 1 张，失败 3 张，未上传 2 张";
    }));
    EXPECT_EQ(States(batch),
              (std::vector<std::wstring>{
                  std::wstring(L"A123.png|三年级2班|") + texts::kUploadFailed,
                  L"A124.png|三年级2班|已上传", std::wstring(L"B456.png||") + texts::kNotOwnStudent,
                  L"C1.jpg||上传号重复", L"c1.png||上传号重复",
                  std::wstring(L"Z999.png||") + texts::kWrongFileNumber}));
    EXPECT_EQ(ControlText(batch, L"batch_counter_lbl"), L"第 4 / 4 张");
    EXPECT_EQ(Posts(), 4u);
    EXPECT_FALSE(ControlEnabled(batch, L"batch_start_btn"));
    ASSERT_TRUE(ControlEnabled(batch, L"batch_retry_btn"));

    ASSERT_TRUE(sim.Reset());
    Click(ControlCenter(batch, L"batch_retry_btn"));
    ASSERT_TRUE(PumpUntil([&] {
        return ControlText(batch, L"batch_summary_lbl") == L"上传成功 2 张，失败 2 张，未上传 2 张";
    }));
    EXPECT_EQ(ControlText(batch, L"batch_counter_lbl"), L"第 3 / 3 张");
    // Only A123 went out again: once to each server.
    EXPECT_EQ(Posts(), 2u);
    EXPECT_EQ(ListNames(session.archiveRoot + L"\\三年级-2班"),
              (std::vector<std::wstring>{L"A123_CompPic-A123.jpg", L"A124_CompPic-A124.jpg"}));
    EXPECT_TRUE(FileExists(photos.Path() + L"\\A123.png"));

    HWND batchWnd = batch->GetHWND();
    Click(ControlCenter(batch, L"closebtn"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(batchWnd); }));
    EXPECT_TRUE(IsWindowEnabled(upload->GetHWND()));
    EXPECT_TRUE(IsWindow(upload->GetHWND()));
}

TEST_F(BatchWindowTest, StopAfterTheCurrentPhotoAndCloseWhileSending) {
    for (const wchar_t* name : {L"A123.png", L"A124.png"}) Photo(name, 120, 90);
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    CBatchWindow* batch = OpenBatch(upload);
    ASSERT_NE(batch, nullptr);
    ASSERT_TRUE(sim.Fault("/first/index.php", "hang"));
    Click(ControlCenter(batch, L"batch_start_btn"));
    ASSERT_TRUE(PumpUntil([&] { return Posts() == 1; }));
    EXPECT_EQ(List(batch)->GetCell(0, 3), texts::kBatchSending);
    EXPECT_EQ(ControlText(batch, L"batch_counter_lbl"), L"第 1 / 2 张");
    Click(ControlCenter(batch, L"batch_stop_btn"));
    EXPECT_FALSE(ControlEnabled(batch, L"batch_stop_btn"));
    // Closing while the photo hangs ends the transfer, waits for the worker and sends nothing more.
    HWND batchWnd = batch->GetHWND();
    Click(ControlCenter(batch, L"closebtn"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(batchWnd); }, 8000));
    EXPECT_EQ(Posts(), 1u);
    EXPECT_TRUE(IsWindowEnabled(upload->GetHWND()));
    EXPECT_TRUE(ListNames(session.archiveRoot).empty());
}

TEST_F(BatchWindowTest, ListScrollsByWheelBarAndKeys) {
    // Names only: listing never opens the photos.
    for (int i = 0; i < 2000; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\N%04d.jpg", i);
        HANDLE file = CreateFileW((photos.Path() + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    CUploadWindow* upload = OpenUpload();
    ASSERT_NE(upload, nullptr);
    CBatchWindow* batch = OpenBatch(upload);
    ASSERT_NE(batch, nullptr);
    CListUI* list = List(batch);
    ASSERT_EQ(list->GetRowCount(), 2000u);
    EXPECT_EQ(ControlText(batch, L"batch_summary_lbl"),
              L"上传成功 0 张，失败 0 张，未上传 2000 张");
    size_t page = list->GetPageRows();
    ASSERT_GT(page, 3u);

    POINT center = ControlCenter(batch, L"batch_list");
    MoveMouse(center);
    INPUT wheel = {};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    SendInput(1, &wheel, sizeof(wheel));
    ASSERT_TRUE(PumpUntil([&] { return list->GetTopRow() == 3; }));

    // A click selects a row and gives the list the keys.
    Click(center);
    ASSERT_TRUE(PumpUntil([&] { return list->GetCurSel() >= 3; }));
    PressKey(VK_END);
    ASSERT_TRUE(PumpUntil([&] { return list->GetCurSel() == 1999; }));
    EXPECT_EQ(list->GetTopRow(), 2000 - page);
    PressKey(VK_HOME);
    ASSERT_TRUE(PumpUntil([&] { return list->GetTopRow() == 0; }));
    EXPECT_EQ(list->GetCurSel(), 0);
    PressKey(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return list->GetCurSel() == 1; }));

    // The thumb sits at the top of the bar; dragged to its bottom, the last page shows.
    RECT rc = list->GetPos();
    POINT thumb{rc.right - 6, rc.top + 30 + 2 + 5};
    POINT bottom{rc.right - 6, rc.bottom + 40};
    ClientToScreen(batch->GetHWND(), &thumb);
    ClientToScreen(batch->GetHWND(), &bottom);
    Drag(thumb, bottom);
    EXPECT_TRUE(PumpUntil([&] { return list->GetTopRow() == 2000 - page; }));
}

}  // namespace
