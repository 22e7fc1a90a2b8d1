// Reading and writing files: byte order marks, declared encodings, detection, file errors and
// round trips through every supported encoding.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/xml/ntxmlparse.h"

namespace {

class XmlFile : public ::testing::Test {
protected:
    void SetUp() override {
        const char* pszBinary = std::getenv("NT_BINARY_DIR");
        std::string strDir = pszBinary ? std::string("Z:") + pszBinary : std::string(".");
        for (char& c : strDir) {
            if (c == '/') c = '\\';
        }
        m_strDir = std::wstring(strDir.begin(), strDir.end()) + L"\\xmlfiles";
        CreateDirectoryW(m_strDir.c_str(), nullptr);
    }
    std::wstring Path(const wchar_t* pszName) const { return m_strDir + L"\\" + pszName; }
    void WriteBytes(const std::wstring& strPath, const std::string& strBytes) const {
        FILE* pFile = _wfopen(strPath.c_str(), L"wb");
        ASSERT_NE(nullptr, pFile);
        fwrite(strBytes.data(), 1, strBytes.size(), pFile);
        fclose(pFile);
    }
    std::string ReadBytes(const std::wstring& strPath) const {
        std::string strBytes;
        FILE* pFile = _wfopen(strPath.c_str(), L"rb");
        if (!pFile) return strBytes;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof(buf), pFile)) > 0) strBytes.append(buf, n);
        fclose(pFile);
        return strBytes;
    }
    std::wstring m_strDir;
};

TEST_F(XmlFile, BomOnlyFile) {
    std::wstring strPath = Path(L"bomonly.xml");
    WriteBytes(strPath, "\xEF\xBB\xBF");
    std::wstring strDoc = L"x", strReport;
    int nFlags = 0;
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, &strReport, &nFlags));
    EXPECT_EQ(L"", strDoc);
    EXPECT_EQ(CNTXMLParse::DOC_UTF8_BOM, nFlags);
    EXPECT_EQ(L"<bom/><read encoding=\"UTF-8\" length=\"0\"/>", strReport);
}

TEST_F(XmlFile, DeclaredGb2312) {
    std::wstring strPath = Path(L"gb.xml");
    std::string strBytes = "<?xml version=\"1.0\" encoding=\"gb2312\"?><a>\xd6\xd0\xce\xc4</a>";
    WriteBytes(strPath, strBytes);
    CNTXMLParse xml;
    ASSERT_TRUE(xml.Load(strPath));
    EXPECT_EQ(L"gb2312 length 50 to UTF-16 length 48", xml.GetError());
    ASSERT_TRUE(xml.FindElem(L"a"));
    EXPECT_EQ(L"\u4e2d\u6587", xml.GetData());
}

TEST_F(XmlFile, DeclaredBig5) {
    std::wstring strPath = Path(L"big5.xml");
    WriteBytes(strPath, "<?xml version=\"1.0\" encoding=\"big5\"?><a>\xa4\xa4\xa4\xe5</a>");
    CNTXMLParse xml;
    ASSERT_TRUE(xml.Load(strPath));
    EXPECT_EQ(L"big5 length 48 to UTF-16 length 46", xml.GetError());
    xml.FindElem();
    EXPECT_EQ(L"\u4e2d\u6587", xml.GetData());
}

TEST_F(XmlFile, Utf8DetectionWithoutDeclaration) {
    std::wstring strPath = Path(L"detect.txt");
    WriteBytes(strPath, "caf\xc3\xa9 \xe4\xb8\xad");
    std::wstring strDoc, strReport, strEncoding;
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, &strReport, nullptr, &strEncoding));
    EXPECT_EQ(L"caf\u00e9 \u4e2d", strDoc);
    EXPECT_EQ(L"UTF-8", strEncoding);
    CNTXMLParse xml;
    xml.Load(strPath);
    EXPECT_EQ(L"UTF-8 length 9 to UTF-16 length 6 (used UTF-8 detection) no root element",
              xml.GetError());
    // Invalid UTF-8: the system code page (936 in the tests' locale), with the same note.
    WriteBytes(strPath, "caf\xd6\xd0");
    strEncoding.clear();
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, &strReport, nullptr, &strEncoding));
    EXPECT_EQ(L"", strEncoding);
    EXPECT_EQ(L"caf\u4e2d", strDoc);
    xml.Load(strPath);
    EXPECT_EQ(L"length 5 to UTF-16 length 4 (used UTF-8 detection) no root element",
              xml.GetError());
}

TEST_F(XmlFile, CallerEncodingOverridesDeclaration) {
    std::wstring strPath = Path(L"override.xml");
    WriteBytes(strPath, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xd6\xd0</a>");
    std::wstring strDoc, strEncoding = L"GBK";
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, nullptr, nullptr, &strEncoding));
    EXPECT_NE(std::wstring::npos, strDoc.find(L"<a>\u4e2d</a>"));
    EXPECT_EQ(L"GBK", strEncoding);
}

TEST_F(XmlFile, Utf16BigEndianReadAndSave) {
    const std::string strBytes(
        "\xFE\xFF\x00<\x00"
        "a\x4e\x2d\x00/\x00>",
        12);
    std::wstring strPath = Path(L"be.xml");
    WriteBytes(strPath, strBytes);
    CNTXMLParse xml;
    ASSERT_TRUE(xml.Load(strPath));
    EXPECT_EQ(CNTXMLParse::DOC_UTF16BE, xml.GetDocFlags());
    EXPECT_EQ(L"<a\u4e2d/>", xml.GetDoc());
    EXPECT_EQ(L"BOM + UTF-16BE length 5 endian swap", xml.GetError());
    std::wstring strOut = Path(L"be-out.xml");
    ASSERT_TRUE(xml.Save(strOut));
    EXPECT_EQ(strBytes, ReadBytes(strOut));
    EXPECT_EQ(L"BOM + endian swap UTF-16BE length 5", xml.GetError());
}

TEST_F(XmlFile, Utf16LittleEndianWithNulls) {
    std::wstring strPath = Path(L"le.xml");
    WriteBytes(strPath, std::string("\xFF\xFE<\x00"
                                    "a\x00\x00\x00/\x00>\x00",
                                    12));
    CNTXMLParse xml;
    EXPECT_TRUE(xml.Load(strPath));
    EXPECT_EQ(L"<a/>", xml.GetDoc());
    EXPECT_EQ(CNTXMLParse::DOC_UTF16LE, xml.GetDocFlags());
    EXPECT_EQ(L"BOM + UTF-16LE length 5 removed 1 nulls", xml.GetError());
}

TEST_F(XmlFile, MarkOverridesCallersByteOrder) {
    std::wstring strPath = Path(L"le-stale.xml");
    WriteBytes(strPath, std::string("\xFF\xFE<\x00"
                                    "a\x00/\x00>\x00",
                                    10));
    std::wstring strDoc;
    int nFlags = CNTXMLParse::DOC_UTF16BE;
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, nullptr, &nFlags));
    EXPECT_EQ(L"<a/>", strDoc);
    EXPECT_EQ(CNTXMLParse::DOC_UTF16LE, nFlags);
    // Without a mark, the caller's big-endian flag says how to read the units.
    WriteBytes(strPath, std::string("\x00<\x00"
                                    "a\x00/\x00>",
                                    8));
    nFlags = CNTXMLParse::DOC_UTF16BE;
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, nullptr, &nFlags));
    EXPECT_EQ(L"<a/>", strDoc);
    EXPECT_EQ(CNTXMLParse::DOC_UTF16BE, nFlags);
    // ... unless the file plainly shows another form, as a flag left from an earlier file would.
    WriteBytes(strPath, "<a/>");
    nFlags = CNTXMLParse::DOC_UTF16BE;
    EXPECT_TRUE(CNTXMLParse::ReadTextFile(strPath, strDoc, nullptr, &nFlags));
    EXPECT_EQ(L"<a/>", strDoc);
    EXPECT_EQ(0, nFlags);
}

TEST_F(XmlFile, NullBytesRemovedFromByteFile) {
    std::wstring strPath = Path(L"nulls.xml");
    WriteBytes(strPath, std::string("<a>x\0y</a>", 10));
    CNTXMLParse xml;
    EXPECT_TRUE(xml.Load(strPath));
    xml.FindElem();
    EXPECT_EQ(L"xy", xml.GetData());
    EXPECT_EQ(L"UTF-8 length 10 removed 1 nulls to UTF-16 length 9", xml.GetError());
}

TEST_F(XmlFile, SaveWithoutDeclarationIsUtf8WithoutBom) {
    CNTXMLParse xml;
    xml.AddElem(L"a", L"\u4e2d");
    std::wstring strPath = Path(L"plain.xml");
    ASSERT_TRUE(xml.Save(strPath));
    EXPECT_EQ(std::string("<a>\xe4\xb8\xad</a>\r\n"), ReadBytes(strPath));
    EXPECT_EQ(L"UTF-16 length 10 to UTF-8 length 12", xml.GetError());
}

TEST_F(XmlFile, AppendWritesNoBomOntoExistingText) {
    std::wstring strPath = Path(L"append.xml");
    WriteBytes(strPath, "<a/>");
    std::wstring strReport;
    int nFlags = CNTXMLParse::DOC_UTF8_BOM | CNTXMLParse::DOC_APPEND;
    EXPECT_TRUE(CNTXMLParse::WriteTextFile(strPath, L"<b/>", &strReport, &nFlags));
    EXPECT_EQ("<a/><b/>", ReadBytes(strPath));
    EXPECT_EQ(CNTXMLParse::DOC_UTF8_BOM, nFlags);
    std::wstring strNew = Path(L"append-new.xml");
    DeleteFileW(strNew.c_str());
    nFlags = CNTXMLParse::DOC_UTF8_BOM | CNTXMLParse::DOC_APPEND;
    EXPECT_TRUE(CNTXMLParse::WriteTextFile(strNew, L"<b/>", &strReport, &nFlags));
    EXPECT_EQ("\xEF\xBB\xBF<b/>", ReadBytes(strNew));
}

TEST_F(XmlFile, FileErrors) {
    CNTXMLParse xml(L"<old/>");
    EXPECT_FALSE(xml.Load(Path(L"missing.xml")));
    EXPECT_NE(std::wstring::npos, xml.GetResult().find(L"<file_error msg=\""));
    EXPECT_NE(std::wstring::npos, xml.GetResult().find(L" n=\"2\"/>"));
    EXPECT_FALSE(xml.GetError().empty());
    EXPECT_EQ(L"", xml.GetDoc());
    EXPECT_FALSE(xml.FindElem());  // no records of the old document survive
    CNTXMLParse doc(L"<a/>");
    EXPECT_FALSE(doc.Save(Path(L"no\\such\\folder\\a.xml")));
    EXPECT_NE(std::wstring::npos, doc.GetResult().find(L" n=\"3\"/>"));
    // A file too large to hold is refused before anything is read (a sparse file will do).
    std::wstring strHuge = Path(L"huge.xml");
    HANDLE hFile = CreateFileW(strHuge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    LARGE_INTEGER size;
    size.QuadPart = (64LL << 20) + 1;
    EXPECT_TRUE(SetFilePointerEx(hFile, size, nullptr, FILE_BEGIN) && SetEndOfFile(hFile));
    CloseHandle(hFile);
    EXPECT_FALSE(xml.Load(strHuge));
    EXPECT_NE(std::wstring::npos, xml.GetResult().find(L" n=\"223\"/>"));  // file too large
    DeleteFileW(strHuge.c_str());
}

TEST_F(XmlFile, ConversionLossIsReported) {
    CNTXMLParse xml(L"<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\u00e9\u4e2d</a>");
    std::wstring strPath = Path(L"loss.xml");
    // The file is written as far as it can be, but a save that lost characters is no success.
    EXPECT_FALSE(xml.Save(strPath));
    EXPECT_NE(std::wstring::npos, xml.GetError().find(L"(chars lost in conversion!)"));
    EXPECT_NE(std::string::npos, ReadBytes(strPath).find("<a>\xe9?</a>"));
}

TEST_F(XmlFile, DeclaredUtf16IsSavedAsUtf16) {
    CNTXMLParse xml(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u4e2d</a>");
    std::wstring strPath = Path(L"decl16.xml");
    ASSERT_TRUE(xml.Save(strPath));
    EXPECT_EQ(CNTXMLParse::DOC_UTF16LE, xml.GetDocFlags());
    std::string strBytes = ReadBytes(strPath);
    EXPECT_EQ(std::string("\xFF\xFE<\x00?\x00", 6), strBytes.substr(0, 6));
    CNTXMLParse reread;
    EXPECT_TRUE(reread.Load(strPath));
    EXPECT_EQ(xml.GetDoc(), reread.GetDoc());
}

// Every form a document can be saved in loads back as the same text: named in the declaration,
// chosen by a mark flag, given by the caller without a mark, and the 32-bit forms also with the
// mark another program may have put before them.
TEST_F(XmlFile, EveryWrittenFormLoadsBack) {
    const wchar_t kBody[] = L"\r\n<r a=\"\u4e2d\">\U0001F600\u00e9 &amp; x</r>\r\n";
    struct Form {
        const wchar_t* pszDeclared;  // encoding in the declaration, or null for none
        int nFlags;
        const wchar_t* pszCaller;  // encoding argument of the writer, or null
        const char* pszMark;       // bytes put before the written file, or null
        int nMark;
    };
    const Form forms[] = {
        {L"utf-32", 0, nullptr, nullptr, 0},
        {L"utf-32le", 0, nullptr, nullptr, 0},
        {L"utf-32be", 0, nullptr, nullptr, 0},
        {L"UTF-32", 0, nullptr, nullptr, 0},
        {L"utf-32", 0, nullptr, "\xFF\xFE\0\0", 4},
        {L"utf-32le", 0, nullptr, "\xFF\xFE\0\0", 4},
        {L"utf-32be", 0, nullptr, "\0\0\xFE\xFF", 4},
        {L"UTF-32", 0, nullptr, "\xFF\xFE\0\0", 4},
        {L"UTF-8", 0, nullptr, nullptr, 0},
        {L"utf-16", 0, nullptr, nullptr, 0},
        {L"utf-16be", 0, nullptr, nullptr, 0},
        {nullptr, 0, nullptr, nullptr, 0},
        {nullptr, CNTXMLParse::DOC_UTF8_BOM, nullptr, nullptr, 0},
        {nullptr, CNTXMLParse::DOC_UTF16LE, nullptr, nullptr, 0},
        {nullptr, CNTXMLParse::DOC_UTF16BE, nullptr, nullptr, 0},
        {nullptr, 0, L"UTF-16LE", nullptr, 0},
        {nullptr, 0, L"utf-16be", nullptr, 0},
        {nullptr, 0, L"UTF-32", nullptr, 0},
        {nullptr, 0, L"utf-32be", nullptr, 0},
    };
    std::wstring strPath = Path(L"forms.xml");
    for (const Form& form : forms) {
        std::wstring strName = form.pszDeclared ? form.pszDeclared : L"-";
        strName += form.pszCaller ? std::wstring(L" as ") + form.pszCaller : L"";
        strName += form.pszMark ? L" with mark" : L"";
        std::wstring strDoc = form.pszDeclared
                                  ? std::wstring(L"<?xml version=\"1.0\" encoding=\"") +
                                        form.pszDeclared + L"\"?>" + kBody
                                  : std::wstring(kBody + 2);
        int nFlags = form.nFlags;
        std::wstring strEncoding = form.pszCaller ? form.pszCaller : L"";
        std::wstring strReport;
        ASSERT_TRUE(CNTXMLParse::WriteTextFile(strPath, strDoc, &strReport, &nFlags, &strEncoding))
            << strName << L": " << strReport;
        if (form.pszMark)
            WriteBytes(strPath, std::string(form.pszMark, form.nMark) + ReadBytes(strPath));
        CNTXMLParse xml;
        EXPECT_TRUE(xml.Load(strPath)) << strName << L": " << xml.GetError();
        EXPECT_EQ(strDoc, xml.GetDoc()) << strName;
        EXPECT_EQ(std::wstring::npos, xml.GetResult().find(L"conversion_loss")) << strName;
    }

    // Bytes that are no character in the declared encoding are not passed off as the file's
    // text: the loss is recorded and the load fails, with the rest of the text kept.
    WriteBytes(strPath, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>x\xff</a>");
    CNTXMLParse xml;
    EXPECT_FALSE(xml.Load(strPath));
    EXPECT_EQ(L"UTF-8 length 47 to UTF-16 length 47 (chars lost in conversion!)", xml.GetError());
    ASSERT_TRUE(xml.FindElem(L"a"));
    EXPECT_EQ(L"x\ufffd", xml.GetData());
}

struct RoundTrip {
    const wchar_t* pszFile;
    const char* pszBytes;
    int nBytes;
    int nFlags;
    const wchar_t* pszValue;  // text the edit adds; representable in the encoding
    const char* pszValueBytes;
};

TEST_F(XmlFile, RoundTripsInEveryEncoding) {
    const RoundTrip cases[] = {
        {L"rt-utf8.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r a=\"\xe4\xb8\xad\"/>\r\n", -1, 0,
         L"\u6587\u00e9", "\xe6\x96\x87\xc3\xa9"},
        {L"rt-utf8bom.xml", "\xEF\xBB\xBF<r/>\r\n", -1, CNTXMLParse::DOC_UTF8_BOM, L"\u6587",
         "\xe6\x96\x87"},
        {L"rt-utf16le.xml", "\xFF\xFE<\0r\0/\0>\0", 10, CNTXMLParse::DOC_UTF16LE, L"\u6587",
         "\x87\x65"},
        {L"rt-utf16be.xml", "\xFE\xFF\0<\0r\0/\0>", 10, CNTXMLParse::DOC_UTF16BE, L"\u6587",
         "\x65\x87"},
        {L"rt-gb2312.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?><r a=\"\xd6\xd0\"/>", -1, 0,
         L"\u6587", "\xce\xc4"},
        {L"rt-big5.xml", "<?xml version=\"1.0\" encoding=\"big5\"?><r a=\"\xa4\xa4\"/>", -1, 0,
         L"\u6587", "\xa4\xe5"},
        {L"rt-sjis.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r/>", -1, 0, L"\u65e5",
         "\x93\xfa"},
        {L"rt-1252.xml", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r/>", -1, 0,
         L"caf\u00e9", "caf\xe9"},
        {L"rt-latin1.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>", -1, 0, L"\u00fc",
         "\xfc"},
    };
    for (const RoundTrip& c : cases) {
        std::wstring strPath = Path(c.pszFile);
        size_t nBytes = c.nBytes < 0 ? strlen(c.pszBytes) : static_cast<size_t>(c.nBytes);
        WriteBytes(strPath, std::string(c.pszBytes, nBytes));
        CNTXMLParse xml;
        ASSERT_TRUE(xml.Load(strPath)) << c.pszFile << L" " << xml.GetError();
        EXPECT_EQ(c.nFlags, xml.GetDocFlags()) << c.pszFile;
        ASSERT_TRUE(xml.FindElem(L"r"));
        ASSERT_TRUE(xml.AddChildElem(L"v", c.pszValue));
        ASSERT_TRUE(xml.SetAttrib(L"n", 1));
        ASSERT_TRUE(xml.Save(strPath)) << c.pszFile;
        EXPECT_EQ(std::wstring::npos, xml.GetError().find(L"lost")) << c.pszFile;
        std::string strSaved = ReadBytes(strPath);
        EXPECT_NE(std::string::npos, strSaved.find(c.pszValueBytes)) << c.pszFile;
        EXPECT_EQ(std::string(c.pszBytes, nBytes < 2 ? nBytes : 2), strSaved.substr(0, 2))
            << c.pszFile;
        CNTXMLParse reread;
        ASSERT_TRUE(reread.Load(strPath)) << c.pszFile;
        EXPECT_EQ(xml.GetDoc(), reread.GetDoc()) << c.pszFile;
        EXPECT_EQ(c.nFlags, reread.GetDocFlags()) << c.pszFile;
        reread.FindElem();
        EXPECT_TRUE(reread.FindChildElem(L"v"));
        EXPECT_EQ(c.pszValue, reread.GetChildData()) << c.pszFile;
    }
}

}  // namespace
