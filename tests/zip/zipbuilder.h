#pragma once

// Builds ZIP archives byte by byte for tests, so names, hosts, attributes, flags and extra
// fields are exactly what a case needs.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

struct ZipEntrySpec {
    std::string name;
    std::string data;
    bool deflate = true;
    uint8_t host = 0;  // 0 MS-DOS, 3 Unix
    uint32_t externalAttributes = 0x20;
    uint16_t flags = 0;
    uint16_t dosTime = 0x4000;  // 08:00:00
    uint16_t dosDate = 0x4921;  // 2016-09-01
    std::string localExtra;
    bool corruptCrc = false;
};

class ZipBuilder {
public:
    ZipBuilder& Add(const ZipEntrySpec& entrySpec) {
        m_entries.push_back(entrySpec);
        return *this;
    }
    ZipBuilder& Add(const std::string& name, const std::string& data) {
        ZipEntrySpec entrySpec;
        entrySpec.name = name;
        entrySpec.data = data;
        return Add(entrySpec);
    }

    std::string Build() const {
        std::string out, central;
        for (const ZipEntrySpec& e : m_entries) {
            std::string packed = e.deflate ? Deflate(e.data) : e.data;
            uint32_t crc =
                static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                            static_cast<uInt>(e.data.size())));
            if (e.corruptCrc) crc ^= 1;
            uint32_t offset = static_cast<uint32_t>(out.size());
            Put32(out, 0x04034b50);
            Put16(out, 20);
            Put16(out, e.flags);
            Put16(out, e.deflate ? 8 : 0);
            Put16(out, e.dosTime);
            Put16(out, e.dosDate);
            Put32(out, crc);
            Put32(out, static_cast<uint32_t>(packed.size()));
            Put32(out, static_cast<uint32_t>(e.data.size()));
            Put16(out, static_cast<uint16_t>(e.name.size()));
            Put16(out, static_cast<uint16_t>(e.localExtra.size()));
            out += e.name + e.localExtra + packed;

            Put32(central, 0x02014b50);
            Put16(central, static_cast<uint16_t>((e.host << 8) | 20));
            Put16(central, 20);
            Put16(central, e.flags);
            Put16(central, e.deflate ? 8 : 0);
            Put16(central, e.dosTime);
            Put16(central, e.dosDate);
            Put32(central, crc);
            Put32(central, static_cast<uint32_t>(packed.size()));
            Put32(central, static_cast<uint32_t>(e.data.size()));
            Put16(central, static_cast<uint16_t>(e.name.size()));
            Put16(central, 0);
            Put16(central, 0);
            Put16(central, 0);
            Put16(central, 0);
            Put32(central, e.externalAttributes);
            Put32(central, offset);
            central += e.name;
        }
        uint32_t cdOffset = static_cast<uint32_t>(out.size());
        out += central;
        Put32(out, 0x06054b50);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, static_cast<uint16_t>(m_entries.size()));
        Put16(out, static_cast<uint16_t>(m_entries.size()));
        Put32(out, static_cast<uint32_t>(central.size()));
        Put32(out, cdOffset);
        Put16(out, 0);
        return out;
    }

    // An "UT" extra field with the given Unix times (flags 7).
    static std::string UnixTimes(int32_t modify, int32_t access, int32_t create) {
        std::string s;
        Put16(s, 0x5455);
        Put16(s, 13);
        s += '\x07';
        Put32(s, static_cast<uint32_t>(modify));
        Put32(s, static_cast<uint32_t>(access));
        Put32(s, static_cast<uint32_t>(create));
        return s;
    }

    static std::string Deflate(const std::string& data) {
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(&out[0]);
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }

private:
    static void Put16(std::string& s, uint16_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>(v >> 8);
    }
    static void Put32(std::string& s, uint32_t v) {
        Put16(s, static_cast<uint16_t>(v & 0xFFFF));
        Put16(s, static_cast<uint16_t>(v >> 16));
    }

    std::vector<ZipEntrySpec> m_entries;
};
