#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One package of this run.
struct UpdateItem {
    std::wstring name;          // file name as the service gave it
    std::wstring url;           // update base followed by the service's url
    uint32_t size = 0;          // expected total size; 0 until a download attempt learns it
    std::wstring localPath;     // program folder + "update\" + name
    std::wstring version;       // the version it was offered for
    uint32_t declaredSize = 0;  // the reply's size; 0 when it names none
    std::string sha256;         // the reply's SHA-256 in lower-case hex; empty when it names none
};

using UpdateItemList = std::vector<std::unique_ptr<UpdateItem>>;
