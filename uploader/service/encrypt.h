#pragma once

#include <cstddef>

// Scrambler of the copy sent to the first archive server: the RC4 key schedule, then a
// keystream generated without swaps, restarted on every call, so Transform is its own
// inverse.
class CEncrypt {
public:
    // Runs the key schedule with the built-in 30-byte key.
    CEncrypt();

    // XORs `length` bytes at `buffer` with the keystream; a null buffer is left alone.
    void Transform(unsigned char* buffer, size_t length) const;

private:
    unsigned char m_state[256];
};
