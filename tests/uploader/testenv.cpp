// Process-wide set-up the program's entry does before its first window: libcurl and GDI+.
#include <winsock2.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {

class CServiceEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        curl_global_init(CURL_GLOBAL_ALL);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_gdiplus, &input, nullptr);
    }
    void TearDown() override {
        Gdiplus::GdiplusShutdown(m_gdiplus);
        curl_global_cleanup();
    }

private:
    ULONG_PTR m_gdiplus = 0;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CServiceEnvironment);

}  // namespace
