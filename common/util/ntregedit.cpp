#include "common/util/ntregedit.h"

#include <cwchar>
#include <utility>

namespace {

// Empties a key depth first: the enumeration index stays 0 because each deletion shifts the
// remaining sub-keys down.
bool DeleteKeyTree(HKEY hParent, const wchar_t* name) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hParent, name, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return false;
    wchar_t child[MAX_PATH];
    for (;;) {
        DWORD len = MAX_PATH;
        if (::RegEnumKeyExW(hKey, 0, child, &len, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (!DeleteKeyTree(hKey, child)) break;
    }
    ::RegCloseKey(hKey);
    return ::RegDeleteKeyW(hParent, name) == ERROR_SUCCESS;
}

}  // namespace

CNTRegEdit::CNTRegEdit(HKEY hRoot, const wchar_t* subKey) : m_hRoot(hRoot) {
    if (subKey && ::wcslen(subKey) >= MAX_PATH) {
        // A cut path names another key; without a root nothing is opened or created.
        m_hRoot = nullptr;
        return;
    }
    if (subKey) ::wcscpy(m_szSubKey, subKey);
    if (m_hRoot &&
        ::RegOpenKeyExW(m_hRoot, m_szSubKey, 0, KEY_ALL_ACCESS, &m_hKey) != ERROR_SUCCESS)
        m_hKey = nullptr;
}

CNTRegEdit::CNTRegEdit(const wchar_t* subKey) : CNTRegEdit(HKEY_CURRENT_USER, subKey) {}

CNTRegEdit::~CNTRegEdit() { Close(); }

CNTRegEdit::CNTRegEdit(CNTRegEdit&& other) noexcept
    : m_hRoot(other.m_hRoot), m_hKey(std::exchange(other.m_hKey, nullptr)) {
    ::wcscpy(m_szSubKey, other.m_szSubKey);
}

CNTRegEdit& CNTRegEdit::operator=(CNTRegEdit&& other) noexcept {
    if (this != &other) {
        Close();
        m_hRoot = other.m_hRoot;
        ::wcscpy(m_szSubKey, other.m_szSubKey);
        m_hKey = std::exchange(other.m_hKey, nullptr);
    }
    return *this;
}

void CNTRegEdit::Close() {
    if (m_hKey) ::RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

bool CNTRegEdit::EnsureCreated() {
    if (m_hKey) return true;
    if (!m_hRoot) return false;
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(m_hRoot, m_szSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | KEY_READ, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    m_hKey = hKey;
    return true;
}

DWORD CNTRegEdit::ReadDword(const wchar_t* name, DWORD def) const {
    if (!m_hKey) return def;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return def;
    return value;
}

ULONGLONG CNTRegEdit::ReadDword64(const wchar_t* name, ULONGLONG def) const {
    if (!m_hKey) return def;
    DWORD type = 0, size = sizeof(ULONGLONG);
    ULONGLONG value = 0;
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_QWORD || size != sizeof(value))
        return def;
    return value;
}

std::wstring CNTRegEdit::ReadString(const wchar_t* name, const wchar_t* def) const {
    std::wstring fallback = def ? def : L"";
    if (!m_hKey) return fallback;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    // One unit more than reported so that data stored without a NUL still ends in one.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &got) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || got > size)
        return fallback;
    text.resize(::wcsnlen(text.c_str(), got / sizeof(wchar_t)));
    return text;
}

long CNTRegEdit::ReadBin(const wchar_t* name, BYTE* buffer, DWORD size) const {
    if (!m_hKey || !buffer) return 0;
    DWORD type = 0, got = size;
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, buffer, &got) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return 0;
    return static_cast<long>(got);
}

bool CNTRegEdit::WriteDword(const wchar_t* name, DWORD value) {
    return EnsureCreated() &&
           ::RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

bool CNTRegEdit::WriteDword64(const wchar_t* name, ULONGLONG value) {
    return EnsureCreated() &&
           ::RegSetValueExW(m_hKey, name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

bool CNTRegEdit::WriteString(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    return EnsureCreated() &&
           ::RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>((::wcslen(value) + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
}

bool CNTRegEdit::WriteBin(const wchar_t* name, const BYTE* data, DWORD size) {
    if (!data && size) return false;
    return EnsureCreated() &&
           ::RegSetValueExW(m_hKey, name, 0, REG_BINARY, data, size) == ERROR_SUCCESS;
}

bool CNTRegEdit::DeleteValue(const wchar_t* name) {
    return m_hKey && ::RegDeleteValueW(m_hKey, name) == ERROR_SUCCESS;
}

bool CNTRegEdit::DeleteKey(const wchar_t* subKey) {
    if (!m_hKey || !subKey || !*subKey) return false;
    return DeleteKeyTree(m_hKey, subKey);
}

bool CNTRegEdit::EnumKeys(std::vector<std::wstring>& names) const {
    names.clear();
    if (!m_hKey) return false;
    wchar_t name[MAX_PATH];
    for (DWORD i = 0;; ++i) {
        DWORD len = MAX_PATH;
        LONG rc = ::RegEnumKeyExW(m_hKey, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // longer than a key name may be: skip it
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    return !names.empty();
}

bool CNTRegEdit::EnumValues(std::vector<std::wstring>& names) const {
    names.clear();
    if (!m_hKey) return false;
    wchar_t name[MAX_PATH];
    for (DWORD i = 0;; ++i) {
        DWORD len = MAX_PATH;
        LONG rc = ::RegEnumValueW(m_hKey, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // names past 259 units are not listed
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    return !names.empty();
}
