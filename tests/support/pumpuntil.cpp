#include "support/pumpuntil.h"

#include <gtest/gtest.h>

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs, const char* file, int line) {
    if (PumpMessagesUntil(done, limitMs)) return true;
    ADD_FAILURE_AT(file, line) << "the condition did not hold within " << limitMs << " ms";
    return false;
}
