#include "uploader/service/encrypt.h"

#include <utility>

namespace {

const char kKey[] = "StudentFilesForDistrict2016KPX";
constexpr unsigned kKeyLength = sizeof(kKey) - 1;
static_assert(kKeyLength == 30, "the archive servers expect a 30-byte key");

}  // namespace

CEncrypt::CEncrypt() {
    for (unsigned i = 0; i < 256; ++i) m_state[i] = static_cast<unsigned char>(i);
    unsigned j = 0;
    for (unsigned i = 0; i < 256; ++i) {
        j = (j + m_state[i] + static_cast<unsigned char>(kKey[i % kKeyLength])) % 256;
        std::swap(m_state[i], m_state[j]);
    }
}

void CEncrypt::Transform(unsigned char* buffer, size_t length) const {
    if (buffer == nullptr) return;
    unsigned i = 0;
    unsigned j = 0;
    for (size_t n = 0; n < length; ++n) {
        i = (i + 1) % 256;
        j = (j + m_state[i]) % 256;
        buffer[n] ^= m_state[(m_state[i] + m_state[j]) % 256];
    }
}
