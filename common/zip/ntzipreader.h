#pragma once

#include <memory>
#include <vector>

#include "common/ntapi.h"
#include "common/zip/ntzipentry.h"
#include "common/zip/ntzipsink.h"
#include "common/zip/ntzipsource.h"

// Reads ZIP archives (stored and deflate members) from any byte source. Knows nothing of files
// or folders; CNTZipArchive puts entries on disk.
class NT_API CNTZipReader {
public:
    // Size of the blocks handed to a sink.
    static constexpr size_t kBlockSize = 16384;
    // Largest entry ExtractToMemory takes (and largest central directory read): one block of
    // more is not to be counted on in a 32-bit process.
    static constexpr uint32_t kMaxInMemory = 64u << 20;

    CNTZipReader() = default;
    CNTZipReader(const CNTZipReader&) = delete;
    CNTZipReader& operator=(const CNTZipReader&) = delete;
    CNTZipReader(CNTZipReader&&) = default;
    CNTZipReader& operator=(CNTZipReader&&) = default;

    // Reads the central directory; false (and an empty reader) when it is missing, damaged or
    // larger than kMaxInMemory.
    bool Open(std::unique_ptr<CNTZipSource> source);
    void Close();
    bool IsOpen() const { return m_source != nullptr; }

    // Number of entries; 0 when closed.
    size_t GetCount() const { return m_entries.size(); }
    // The entry at index; nullptr when out of range.
    const NTZipEntry* GetEntry(size_t index) const;

    // Extra field of the entry's local header; false when the header is unreadable.
    bool ReadLocalExtra(size_t index, std::vector<unsigned char>& extra);

    // Inflates or copies the entry into the sink in blocks of kBlockSize and checks its size and
    // CRC-32; false for encrypted entries, unknown methods, damage, or a sink that refuses.
    bool Extract(size_t index, CNTZipSink& sink);
    // Same, into memory; false as above and for entries declared larger than kMaxInMemory (out
    // is then unspecified).
    bool ExtractToMemory(size_t index, std::vector<unsigned char>& out);

private:
    bool DataOffset(const NTZipEntry& entry, uint64_t& offset, std::vector<unsigned char>* extra);
    bool CopyStored(const NTZipEntry& entry, uint64_t offset, CNTZipSink& sink, uint32_t& crc);
    bool Inflate(const NTZipEntry& entry, uint64_t offset, CNTZipSink& sink, uint32_t& crc);

    std::unique_ptr<CNTZipSource> m_source;
    std::vector<NTZipEntry> m_entries;
};
