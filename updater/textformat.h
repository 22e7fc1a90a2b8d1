#pragma once

#include <initializer_list>
#include <string>

// Fills the placeholders %s, %d and %u of a message text, in order, with the given texts;
// "%%" gives "%". Placeholders without an argument are left empty. Taking only texts keeps a
// damaged resource text from reading arguments that were never passed.
std::wstring FormatText(const std::wstring& pattern, std::initializer_list<std::wstring> args);
