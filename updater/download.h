#pragma once

#include <atomic>
#include <string>

#include "updater/progressview.h"
#include "updater/updateitem.h"

// Texts shown while one package downloads.
struct DownloadTexts {
    std::wstring versionLabel;   // text 1002, filled
    std::wstring statusPattern;  // text 1003: item name, progress text
};

// Records beside the partial file (local path + ".$$$.for") the version and address it is being
// downloaded for; false when that cannot be written.
bool RecordPartialDownload(const UpdateItem& item);

// Fetches the item into its local path, resuming from the partial file (local path + ".$$$")
// only when it was recorded for the item's version and address; any other partial file is
// deleted first. A complete file found at the local path is kept only when the item names a
// digest it matches, and fetched again otherwise. A package whose size or digest differs from
// what the item names is deleted and the attempt fails.
// One attempt: true when the final file exists afterwards. The partial file keeps every byte
// received, so a failed attempt is resumed by the next. A reply outside 200..299 stores
// nothing. A 416 that names the package's size ("bytes */N") when the partial file holds exactly
// N bytes completes the package; any other 416 (the partial file reaches past the package's end)
// removes the partial file so the next attempt starts over. Progress reaches the view only when
// what it shows changes.
bool DownloadPackage(UpdateItem& item, const DownloadTexts& texts, const std::atomic<int>& cancel,
                     CCMProgressView& view);
