#pragma once

#include <cstddef>

// Makes every operator new of exactly that many bytes throw std::bad_alloc until it is called
// again with 0, so a test can fail one kind of allocation inside the code under test. Linking
// this replaces the program's global operator new.
void FailAllocationsOfSize(std::size_t bytes);
