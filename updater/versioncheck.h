#pragma once

#include <string>

#include "updater/updateitem.h"

// What the update service offers.
struct VersionOffer {
    std::wstring newVersion;
    std::wstring description;
    int forced = 0;
    UpdateItemList items;
};

// Posts the installed version to the update service at updateBase and returns the reply body;
// false when the address is unusable, the exchange could not be made or completed, or the body
// runs past 1 MiB.
bool RequestVersionInfo(const std::wstring& updateBase, const std::wstring& version,
                        std::string& body);

// Reads the service's JSON reply into offer, building each item's url from updateBase and its
// local path from programFolder. -1: not a JSON object, or a package name that is not a plain
// file name, names a device or repeats an earlier one regardless of case, or an optional "size"
// (positive decimal count) or "sha256" (64 hex digits) that is malformed (no items then); 0: no
// update (success not true, wrongly typed members, no packages); 1: at least one package.
int ParseVersionReply(const std::string& body, const std::wstring& updateBase,
                      const std::wstring& programFolder, VersionOffer& offer);
