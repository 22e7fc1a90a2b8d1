#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One package of this run.
struct UpdateItem {
    std::wstring name;       // file name as the service gave it
    std::wstring url;        // update base followed by the service's url
    uint32_t size = 0;       // expected total size; 0 until a download attempt learns it
    std::wstring localPath;  // program folder + "update\" + name
};

using UpdateItemList = std::vector<std::unique_ptr<UpdateItem>>;
