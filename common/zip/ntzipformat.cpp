#include "common/zip/ntzipformat.h"

namespace {

bool IsSep(wchar_t c) { return c == L'\\' || c == L'/'; }

// One pass of the cleaning rules; true when something was removed.
bool CleanOnce(std::wstring& s) {
    if (s.size() >= 2 && s[1] == L':') {
        s.erase(0, 2);
        return true;
    }
    if (!s.empty() && IsSep(s[0])) {
        s.erase(0, 1);
        return true;
    }
    for (size_t i = 0; i + 3 < s.size(); ++i) {
        if (IsSep(s[i]) && s[i + 1] == L'.' && s[i + 2] == L'.' && IsSep(s[i + 3])) {
            s.erase(0, i + 4);
            return true;
        }
    }
    return false;
}

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

int64_t Le32Signed(const unsigned char* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(v);
}

// Drops empty, "." and ".." components; true when something was dropped.
bool ConfineOnce(std::wstring& s) {
    std::wstring out, part;
    bool trailingSep = !s.empty() && IsSep(s.back());
    auto flush = [&]() {
        if (!part.empty() && part != L"." && part != L"..") {
            if (!out.empty()) out += L'\\';
            out += part;
        }
        part.clear();
    };
    for (wchar_t c : s) {
        if (IsSep(c))
            flush();
        else
            part += c;
    }
    flush();
    if (trailingSep && !out.empty()) out += L'\\';
    bool changed = out != s;
    s.swap(out);
    return changed;
}

}  // namespace

std::wstring NTZipCleanName(const std::wstring& name) {
    std::wstring s = name.substr(0, NT_ZIP_MAX_NAME);
    // Whatever the cleaning rules leave that could still climb out is cut component by
    // component; dropping a component can expose a drive prefix again, hence the outer loop.
    do {
        while (CleanOnce(s)) {
        }
    } while (ConfineOnce(s));
    return s;
}

bool NTZipIsDirectory(const NTZipEntry& entry) {
    if (!entry.rawName.empty() && (entry.rawName.back() == '/' || entry.rawName.back() == '\\'))
        return true;
    return (NTZipDosAttributes(entry) & 0x10) != 0;
}

uint32_t NTZipDosAttributes(const NTZipEntry& entry) {
    switch (entry.Host()) {
        case 0:   // MS-DOS
        case 7:   // Macintosh
        case 11:  // NTFS
        case 14:  // VFAT
            return entry.externalAttributes & 0x37;
        default: {
            uint32_t mode = entry.externalAttributes >> 16;
            uint32_t attrs = 0x20;
            if ((mode & 0170000) == 0040000) attrs |= 0x10;
            if ((mode & 0200) == 0) attrs |= 0x01;
            return attrs;
        }
    }
}

bool NTZipParseUnixTimes(const unsigned char* extra, size_t len, NTZipUnixTimes& times) {
    size_t pos = 0;
    while (pos + 4 <= len) {
        uint16_t id = Le16(extra + pos);
        size_t size = Le16(extra + pos + 2);
        const unsigned char* data = extra + pos + 4;
        if (size > len - pos - 4) return false;
        if (id == 0x5455 && size >= 1) {
            times = NTZipUnixTimes();
            unsigned flags = data[0];
            size_t at = 1;
            auto take = [&](unsigned bit, bool& has, int64_t& value) {
                if ((flags & bit) && at + 4 <= size) {
                    has = true;
                    value = Le32Signed(data + at);
                    at += 4;
                }
            };
            take(1, times.hasModify, times.modify);
            take(2, times.hasAccess, times.access);
            take(4, times.hasCreate, times.create);
            return times.hasModify || times.hasAccess || times.hasCreate;
        }
        pos += 4 + size;
    }
    return false;
}
