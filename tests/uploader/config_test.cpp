// Reading the service base from config.xml in the program folder.
#include <gtest/gtest.h>

#include "testfiles.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "uploader/service/serviceconfig.h"

namespace {

std::string Utf16le(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

class ConfigTest : public ::testing::Test {
protected:
    bool Read(const std::string& bytes, std::string& base) {
        EXPECT_TRUE(WriteFileBytes(dir.Path() + L"\\config.xml", bytes));
        return ReadServiceBase(dir.Path() + L"\\", base, verify);
    }
    CScratchFolder dir{L"config"};
    bool verify = true;
};

TEST_F(ConfigTest, ReadsTheServiceBase) {
    std::string base;
    ASSERT_TRUE(
        Read(Utf16le("<config><SSOUrlBase>https://sso.example.cn</SSOUrlBase></config>"), base));
    EXPECT_EQ(base, "https://sso.example.cn");
}

TEST_F(ConfigTest, ByteOrderMarkAsNotepadWritesIt) {
    std::string base;
    ASSERT_TRUE(Read(
        "\xFF\xFE" + Utf16le("<config>\r\n <SSOUrlBase>http://a</SSOUrlBase>\r\n</config>"), base));
    EXPECT_EQ(base, "http://a");
}

TEST_F(ConfigTest, LastOfSeveralCountsAndOtherChildrenAreIgnored) {
    std::string base;
    ASSERT_TRUE(Read(Utf16le("<?xml version=\"1.0\"?>\r\n<config><Other>x</Other>"
                             "<SSOUrlBase>http://a</SSOUrlBase><SSOUrlBase>http://b:81"
                             "</SSOUrlBase></config>") +
                         "\n",  // an odd last byte is dropped
                     base));
    EXPECT_EQ(base, "http://b:81");
}

TEST_F(ConfigTest, UnusableFilesGiveNoBase) {
    std::string base = "stale";
    EXPECT_FALSE(Read("<config><SSOUrlBase>http://a</SSOUrlBase></config>", base));
    EXPECT_EQ(base, "");
    EXPECT_FALSE(Read(Utf16le("<config><SSOUrlBase></SSOUrlBase></config>"), base));
    EXPECT_FALSE(Read(Utf16le("<settings><SSOUrlBase>http://a</SSOUrlBase></settings>"), base));
    EXPECT_FALSE(Read("", base));
    // Past 1 MiB it is no configuration, whatever it starts with.
    const std::string config = Utf16le("<config><SSOUrlBase>http://a</SSOUrlBase></config>");
    const size_t spaces = ((1 << 20) - config.size()) / 2;
    EXPECT_TRUE(Read(config + Utf16le(std::string(spaces, ' ')), base));
    EXPECT_FALSE(Read(config + Utf16le(std::string(spaces + 1, ' ')), base));
    EXPECT_FALSE(ReadServiceBase(dir.Path() + L"\\missing\\", base, verify));
    EXPECT_FALSE(verify);
}

TEST_F(ConfigTest, CertificateCheckIsSwitchedOnOnlyByTheElement) {
    const std::string base = "<SSOUrlBase>https://sso.example.cn</SSOUrlBase>";
    struct Case {
        const char* children;
        bool verify;
    } cases[] = {
        {"", false},
        {"<VerifyServerCertificate>1</VerifyServerCertificate>", true},
        {"<VerifyServerCertificate> True </VerifyServerCertificate>", true},
        {"<VerifyServerCertificate>0</VerifyServerCertificate>", false},
        {"<VerifyServerCertificate>yes</VerifyServerCertificate>", false},
        {"<VerifyServerCertificate/>", false},
        {"<VerifyServerCertificate>1</VerifyServerCertificate>"
         "<VerifyServerCertificate>0</VerifyServerCertificate>",
         false},
    };
    for (const Case& k : cases) {
        std::string read;
        verify = !k.verify;
        ASSERT_TRUE(Read(Utf16le("<config>" + base + k.children + "</config>"), read))
            << k.children;
        EXPECT_EQ(read, "https://sso.example.cn");
        EXPECT_EQ(verify, k.verify) << k.children;
    }
}

}  // namespace
