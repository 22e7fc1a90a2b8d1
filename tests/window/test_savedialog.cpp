#include <gtest/gtest.h>

#include <string>

#include "common/util/ntsystem.h"
#include "support/dialoganswer.h"
#include "tests/util/testdir.h"

namespace {

TEST(SaveDialogTest, CancelEmptiesBothOutputs) {
    std::wstring path = L"stale", name = L"initial.png";
    int result;
    {
        DialogAnswer answer({L""});
        result = NTSaveFileDlg(nullptr, path, name, L"PNG|*.png|All|*.*|", L"", L"png");
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(path, L"");
    EXPECT_EQ(name, L"");
}

TEST(SaveDialogTest, ConfirmedNameGetsFolderAndDefaultExtension) {
    TestDir dir(L"ntsavedlg");
    std::wstring path, name = L"first";
    int result;
    {
        DialogAnswer answer({L"shot"});
        result = NTSaveFileDlg(nullptr, path, name, L"PNG|*.png|", dir.Path().c_str(), L"png");
    }
    EXPECT_NE(result, 0);
    EXPECT_EQ(path, dir / L"shot.png");
    EXPECT_EQ(name, L"shot.png");
}

}  // namespace
