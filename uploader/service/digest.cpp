#include "uploader/service/digest.h"

#include <openssl/md5.h>
#include <openssl/sha.h>

#include <cstdio>

namespace {

std::string ToHex(const unsigned char* digest, size_t length) {
    std::string out;
    char pair[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", digest[i]);
        out += pair;
    }
    return out;
}

}  // namespace

// The one-shot digests are what the sign-in service was built against; they are deprecated
// in OpenSSL 3 but produce the same bytes as the EVP interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

std::string Sha1Hex(const void* bytes, size_t count) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(static_cast<const unsigned char*>(bytes), count, digest);
    return ToHex(digest, sizeof(digest));
}

std::string Md5Hex(const void* bytes, size_t count) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5(static_cast<const unsigned char*>(bytes), count, digest);
    return ToHex(digest, sizeof(digest));
}

#pragma GCC diagnostic pop
