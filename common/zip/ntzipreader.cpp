#include "common/zip/ntzipreader.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kLocalSig = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kInputChunk = 65536;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Owns a raw-inflate stream.
class InflateStream {
public:
    InflateStream() { m_ok = inflateInit2(&m_z, -MAX_WBITS) == Z_OK; }
    ~InflateStream() {
        if (m_ok) inflateEnd(&m_z);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    bool ok() const { return m_ok; }
    z_stream& z() { return m_z; }

private:
    z_stream m_z{};
    bool m_ok = false;
};

class MemorySink : public CNTZipSink {
public:
    MemorySink(std::vector<unsigned char>& out, size_t limit) : m_out(out), m_limit(limit) {}
    bool Write(const void* data, size_t len) override {
        if (len > m_limit - m_out.size()) return false;
        const unsigned char* p = static_cast<const unsigned char*>(data);
        m_out.insert(m_out.end(), p, p + len);
        return true;
    }

private:
    std::vector<unsigned char>& m_out;
    size_t m_limit;
};

}  // namespace

bool CNTZipReader::Open(std::unique_ptr<CNTZipSource> source) {
    Close();
    if (!source) return false;
    uint64_t size = source->Size();
    if (size < kEndSize) return false;

    // The end record sits in the last 22 bytes plus a comment of up to 65535 bytes.
    size_t tail = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + 65535));
    std::vector<unsigned char> buf(tail);
    if (!source->ReadAt(size - tail, buf.data(), tail)) return false;
    size_t end = tail;
    for (size_t i = tail - kEndSize + 1; i-- > 0;) {
        if (Le32(&buf[i]) == kEndSig && i + kEndSize + Le16(&buf[i + 20]) <= tail) {
            end = i;
            break;
        }
    }
    if (end == tail) return false;
    const unsigned char* e = &buf[end];
    uint32_t count = Le16(e + 10);
    uint32_t cdSize = Le32(e + 12);
    uint32_t cdOffset = Le32(e + 16);
    uint64_t endOffset = size - tail + end;
    if (static_cast<uint64_t>(cdOffset) + cdSize > endOffset || cdSize > kMaxInMemory) return false;

    std::vector<unsigned char> cd(cdSize);
    if (cdSize != 0 && !source->ReadAt(cdOffset, cd.data(), cdSize)) return false;
    std::vector<NTZipEntry> entries;
    entries.reserve(std::min<size_t>(count, cdSize / kCentralSize));
    size_t pos = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (cdSize - pos < kCentralSize) return false;
        const unsigned char* c = cd.data() + pos;
        if (Le32(c) != kCentralSig) return false;
        size_t nameLen = Le16(c + 28), extraLen = Le16(c + 30), commentLen = Le16(c + 32);
        if (cdSize - pos - kCentralSize < nameLen + extraLen + commentLen) return false;
        NTZipEntry entry;
        entry.madeBy = Le16(c + 4);
        entry.flags = Le16(c + 8);
        entry.method = Le16(c + 10);
        entry.dosTime = Le16(c + 12);
        entry.dosDate = Le16(c + 14);
        entry.crc = Le32(c + 16);
        entry.compressedSize = Le32(c + 20);
        entry.size = Le32(c + 24);
        entry.externalAttributes = Le32(c + 38);
        entry.localHeaderOffset = Le32(c + 42);
        entry.rawName.assign(reinterpret_cast<const char*>(c + kCentralSize), nameLen);
        entries.push_back(std::move(entry));
        pos += kCentralSize + nameLen + extraLen + commentLen;
    }
    m_source = std::move(source);
    m_entries = std::move(entries);
    return true;
}

void CNTZipReader::Close() {
    m_source.reset();
    m_entries.clear();
}

const NTZipEntry* CNTZipReader::GetEntry(size_t index) const {
    return index < m_entries.size() ? &m_entries[index] : nullptr;
}

bool CNTZipReader::DataOffset(const NTZipEntry& entry, uint64_t& offset,
                              std::vector<unsigned char>* extra) {
    unsigned char h[kLocalSize];
    if (!m_source || !m_source->ReadAt(entry.localHeaderOffset, h, kLocalSize)) return false;
    if (Le32(h) != kLocalSig) return false;
    uint64_t extraAt = static_cast<uint64_t>(entry.localHeaderOffset) + kLocalSize + Le16(h + 26);
    size_t extraLen = Le16(h + 28);
    offset = extraAt + extraLen;
    if (offset > m_source->Size() || entry.compressedSize > m_source->Size() - offset) return false;
    if (extra) {
        extra->resize(extraLen);
        if (extraLen != 0 && !m_source->ReadAt(extraAt, extra->data(), extraLen)) return false;
    }
    return true;
}

bool CNTZipReader::ReadLocalExtra(size_t index, std::vector<unsigned char>& extra) {
    uint64_t offset = 0;
    return index < m_entries.size() && DataOffset(m_entries[index], offset, &extra);
}

bool CNTZipReader::Extract(size_t index, CNTZipSink& sink) {
    if (index >= m_entries.size()) return false;
    const NTZipEntry& entry = m_entries[index];
    if (entry.IsEncrypted()) return false;  // no password is ever known
    uint64_t offset = 0;
    if (!DataOffset(entry, offset, nullptr)) return false;
    uint32_t crc = 0;
    bool ok = false;
    if (entry.method == 0)
        ok = CopyStored(entry, offset, sink, crc);
    else if (entry.method == 8)
        ok = Inflate(entry, offset, sink, crc);
    return ok && crc == entry.crc;
}

bool CNTZipReader::ExtractToMemory(size_t index, std::vector<unsigned char>& out) {
    out.clear();
    const NTZipEntry* entry = GetEntry(index);
    if (!entry || entry->size > kMaxInMemory) return false;
    // The declared size bounds the output, so a lying header cannot exhaust memory.
    out.reserve(entry->size);
    MemorySink sink(out, entry->size);
    return Extract(index, sink);
}

bool CNTZipReader::CopyStored(const NTZipEntry& entry, uint64_t offset, CNTZipSink& sink,
                              uint32_t& crc) {
    if (entry.compressedSize != entry.size) return false;
    std::vector<unsigned char> block(kBlockSize);
    uLong c = crc32(0, Z_NULL, 0);
    uint32_t left = entry.size;
    while (left > 0) {
        size_t n = std::min<size_t>(left, kBlockSize);
        if (!m_source->ReadAt(offset, block.data(), n)) return false;
        c = crc32(c, block.data(), static_cast<uInt>(n));
        if (!sink.Write(block.data(), n)) return false;
        offset += n;
        left -= static_cast<uint32_t>(n);
    }
    crc = static_cast<uint32_t>(c);
    return true;
}

bool CNTZipReader::Inflate(const NTZipEntry& entry, uint64_t offset, CNTZipSink& sink,
                           uint32_t& crc) {
    InflateStream stream;
    if (!stream.ok()) return false;
    z_stream& z = stream.z();
    std::vector<unsigned char> in(kInputChunk), out(kBlockSize);
    uLong c = crc32(0, Z_NULL, 0);
    uint64_t total = 0;
    uint32_t inLeft = entry.compressedSize;
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(kBlockSize);
    for (;;) {
        if (z.avail_in == 0 && inLeft > 0) {
            size_t n = std::min<size_t>(inLeft, kInputChunk);
            if (!m_source->ReadAt(offset, in.data(), n)) return false;
            offset += n;
            inLeft -= static_cast<uint32_t>(n);
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        int rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return false;
        size_t produced = kBlockSize - z.avail_out;
        bool done = rc == Z_STREAM_END;
        if (produced == kBlockSize || (done && produced > 0)) {
            total += produced;
            if (total > entry.size) return false;
            c = crc32(c, out.data(), static_cast<uInt>(produced));
            if (!sink.Write(out.data(), produced)) return false;
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(kBlockSize);
        } else if (rc == Z_BUF_ERROR && z.avail_in == 0 && inLeft == 0) {
            return false;  // input ran out before the stream ended
        }
        if (done) break;
    }
    crc = static_cast<uint32_t>(c);
    return total == entry.size;
}
