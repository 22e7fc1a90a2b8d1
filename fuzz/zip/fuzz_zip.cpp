#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/zip/ntzipformat.h"
#include "common/zip/ntzipmemorysource.h"
#include "common/zip/ntzipreader.h"

namespace {

// Counts bytes and refuses past a bound, like a disk that fills up.
class CountingSink : public CNTZipSink {
public:
    bool Write(const void*, size_t len) override {
        m_total += len;
        return m_total <= (64u << 20);
    }

private:
    size_t m_total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CNTZipReader reader;
    if (!reader.Open(std::make_unique<CNTZipMemorySource>(data, size))) return 0;
    for (size_t i = 0; i < reader.GetCount() && i < 64; ++i) {
        const NTZipEntry* entry = reader.GetEntry(i);
        std::wstring wide(entry->rawName.begin(), entry->rawName.end());
        std::wstring clean = NTZipCleanName(wide);
        // A cleaned name stays below the folder it is appended to.
        if (!clean.empty() && (clean[0] == L'\\' || (clean.size() >= 2 && clean[1] == L':')))
            __builtin_trap();
        for (size_t at = 0; at <= clean.size();) {
            size_t end = clean.find(L'\\', at);
            if (end == std::wstring::npos) end = clean.size();
            if (clean.compare(at, end - at, L"..") == 0) __builtin_trap();
            at = end + 1;
        }
        NTZipIsDirectory(*entry);
        std::vector<unsigned char> extra;
        NTZipUnixTimes times;
        if (reader.ReadLocalExtra(i, extra)) NTZipParseUnixTimes(extra.data(), extra.size(), times);
        CountingSink sink;
        reader.Extract(i, sink);
        std::vector<unsigned char> out;
        reader.ExtractToMemory(i, out);
    }
    return 0;
}
