#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/ntapi.h"

// One registry key. A key that does not exist stays unopened: reads then give the caller's
// default and the first write creates it.
class NT_API CNTRegEdit {
public:
    // Opens root\subKey with full access. A path of MAX_PATH units or more is refused: reads
    // give their defaults and writes fail.
    CNTRegEdit(HKEY hRoot, const wchar_t* subKey);
    // The same under HKEY_CURRENT_USER.
    explicit CNTRegEdit(const wchar_t* subKey);
    virtual ~CNTRegEdit();
    CNTRegEdit(const CNTRegEdit&) = delete;
    CNTRegEdit& operator=(const CNTRegEdit&) = delete;
    CNTRegEdit(CNTRegEdit&& other) noexcept;
    CNTRegEdit& operator=(CNTRegEdit&& other) noexcept;

    bool IsOpen() const { return m_hKey != nullptr; }

    // Default unless the value is a REG_DWORD of 4 bytes.
    DWORD ReadDword(const wchar_t* name, DWORD def) const;
    // Default unless the value is a REG_QWORD of 8 bytes.
    ULONGLONG ReadDword64(const wchar_t* name, ULONGLONG def) const;
    // REG_SZ or REG_EXPAND_SZ (not expanded); the default (null = empty) otherwise.
    std::wstring ReadString(const wchar_t* name, const wchar_t* def) const;
    // Size of a REG_BINARY value copied into buffer; 0 when missing, of another type or too big.
    long ReadBin(const wchar_t* name, BYTE* buffer, DWORD size) const;

    // Writes create the key first when it is not open; false on failure.
    bool WriteDword(const wchar_t* name, DWORD value);
    bool WriteDword64(const wchar_t* name, ULONGLONG value);
    // Stores the characters with the terminating NUL, as REG_SZ requires (plain registry reads
    // return the data as it stands); null stores an empty text.
    bool WriteString(const wchar_t* name, const wchar_t* value);
    bool WriteBin(const wchar_t* name, const BYTE* data, DWORD size);

    // false when the key is not open or the value cannot be deleted.
    bool DeleteValue(const wchar_t* name);
    // Deletes that sub-key of this key with everything below it; false for null or empty names.
    bool DeleteKey(const wchar_t* subKey);

    // Replace names with the sub-key (value) names; false when there are none.
    bool EnumKeys(std::vector<std::wstring>& names) const;
    bool EnumValues(std::vector<std::wstring>& names) const;

private:
    bool EnsureCreated();
    void Close();

    HKEY m_hRoot = nullptr;
    wchar_t m_szSubKey[MAX_PATH] = {};
    HKEY m_hKey = nullptr;
};
