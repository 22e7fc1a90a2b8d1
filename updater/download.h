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

// Fetches the item into its local path, resuming from the partial file (local path + ".$$$").
// One attempt: true when the final file exists afterwards. The partial file keeps every byte
// received, so a failed attempt is resumed by the next. A reply outside 200..299 stores
// nothing. A 416 that names the package's size ("bytes */N") when the partial file holds exactly
// N bytes completes the package; any other 416 (the partial file reaches past the package's end)
// removes the partial file so the next attempt starts over. Progress reaches the view only when
// what it shows changes.
bool DownloadPackage(UpdateItem& item, const DownloadTexts& texts, const std::atomic<int>& cancel,
                     CCMProgressView& view);
