#include "uploader/service/batchplan.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "uploader/service/texts.h"

namespace {

int CompareIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE);
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) ::CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::wstring NumberOf(const std::wstring& fileName) {
    size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           CompareIgnoringCase(text.substr(text.size() - end.size()), end) == CSTR_EQUAL;
}

}  // namespace

bool IsBatchPhotoName(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    std::wstring extension = name.substr(dot + 1);
    for (const wchar_t* picture : {L"jpg", L"jpeg", L"png"}) {
        if (CompareIgnoringCase(extension, picture) == CSTR_EQUAL) return true;
    }
    return false;
}

std::vector<BatchRow> PlanBatch(std::vector<std::wstring> fileNames) {
    std::stable_sort(fileNames.begin(), fileNames.end(),
                     [](const std::wstring& a, const std::wstring& b) {
                         int order = CompareIgnoringCase(a, b);
                         return order == CSTR_LESS_THAN || (order == CSTR_EQUAL && a < b);
                     });
    std::vector<BatchRow> rows;
    rows.reserve(fileNames.size());
    std::map<std::wstring, int> uses;  // upper-case number -> rows carrying it
    for (std::wstring& name : fileNames) {
        BatchRow row;
        row.number = NumberOf(name);
        row.fileName = std::move(name);
        if (!row.number.empty()) ++uses[UpperCase(row.number)];
        rows.push_back(std::move(row));
    }
    for (BatchRow& row : rows) {
        const wchar_t* mark = nullptr;
        if (row.number.empty())
            mark = texts::kBatchEmptyNumber;
        else if (row.number.size() > kMaxFileNumberChars)
            mark = texts::kBatchNumberTooLong;
        else if (uses[UpperCase(row.number)] > 1)
            // Either photo could be the student's: neither is sent.
            mark = texts::kBatchDuplicateNumber;
        row.state = mark ? BatchRowState::Unsendable : BatchRowState::Waiting;
        row.status = mark ? mark : texts::kBatchWaiting;
    }
    return rows;
}

std::vector<BatchRow> ListBatchFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = found.cFileName;
        // The rescaled copy a failed upload leaves beside its photo is the tool's, not a photo.
        if (IsBatchPhotoName(name) && !EndsWithIgnoringCase(NumberOf(name), L"_CompPic"))
            names.push_back(std::move(name));
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return PlanBatch(std::move(names));
}

BatchCounts CountBatch(const std::vector<BatchRow>& rows) {
    BatchCounts counts;
    for (const BatchRow& row : rows) {
        if (row.state == BatchRowState::Uploaded)
            ++counts.uploaded;
        else if (row.state == BatchRowState::Failed)
            ++counts.failed;
        else
            ++counts.notSent;
    }
    return counts;
}

std::wstring BatchSummaryText(const BatchCounts& counts) {
    wchar_t text[96];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), texts::kBatchSummaryFormat, counts.uploaded,
                  counts.failed, counts.notSent);
    return text;
}

std::wstring BatchCounterText(int done, int total) {
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), texts::kBatchCounterFormat, done, total);
    return text;
}
