#pragma once

#include <string>
#include <vector>

// The photos of one folder as the batch window lists and sends them.

// Longest number the number field takes (Archives_id_edt's maxchar).
constexpr size_t kMaxFileNumberChars = 64;

enum class BatchRowState {
    Waiting,     // not sent yet
    Unsendable,  // duplicate, empty or too long number: never sent
    Sending,
    Uploaded,  // sent and accepted in this batch: never sent again
    Failed,    // a lookup or the upload failed: "重试失败" sends it again
};

struct BatchRow {
    std::wstring fileName;    // name inside the folder
    std::wstring number;      // file name without its extension
    std::wstring gradeClass;  // filled in by the row's lookup
    BatchRowState state = BatchRowState::Waiting;
    std::wstring status;  // the 状态 column
};

// Whether the file name has one of the file dialog's picture extensions (jpg, jpeg, png, any
// case).
bool IsBatchPhotoName(const std::wstring& name);

// The rows for these file names: sorted by name (ordinal, ignoring case), numbers taken from
// the names, unsendable rows marked.
std::vector<BatchRow> PlanBatch(std::vector<std::wstring> fileNames);

// The batch photos directly inside folder (no subfolders), planned as PlanBatch does. Empty
// when the folder cannot be read or has none.
std::vector<BatchRow> ListBatchFolder(const std::wstring& folder);

struct BatchCounts {
    int uploaded = 0;
    int failed = 0;
    int notSent = 0;  // waiting or unsendable
};
BatchCounts CountBatch(const std::vector<BatchRow>& rows);
// "上传成功 N 张，失败 M 张，未上传 K 张".
std::wstring BatchSummaryText(const BatchCounts& counts);
// "第 k / N 张".
std::wstring BatchCounterText(int done, int total);
