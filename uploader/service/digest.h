#pragma once

#include <cstddef>
#include <string>

// Lower-case hexadecimal digests of a byte string (40 and 32 characters). Never fail.
std::string Sha1Hex(const void* bytes, size_t count);
std::string Md5Hex(const void* bytes, size_t count);
