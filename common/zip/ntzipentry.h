#pragma once

#include <cstdint>
#include <string>

// One member of an archive as its central directory describes it.
struct NTZipEntry {
    std::string rawName;  // bytes as stored (the system code page in practice)
    uint16_t madeBy = 0;  // high byte: host system
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;

    bool IsEncrypted() const { return (flags & 1) != 0; }
    unsigned Host() const { return madeBy >> 8; }
};

// Unix times of an "UT" extra field; a flag tells which are present.
struct NTZipUnixTimes {
    bool hasModify = false, hasAccess = false, hasCreate = false;
    int64_t modify = 0, access = 0, create = 0;
};
