// GDI+ runs for the whole test program, as in the deliverables.
#include <gtest/gtest.h>

#include "common/util/ntimage.h"

namespace {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(NTInitializeGdiplus()); }
    void TearDown() override { NTUninitializeGdiplus(); }
};

const ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
