// normalised_list.h
// What a list read from arbitrary bytes looks like once written and read
// again: headers of 88 bytes and the last flag on the final entry only.
// Shared by the fuzz targets that round-trip lists.
#pragma once

#include "common/filelist/file_list.h"

inline orvane36::FileList normalised(orvane36::FileList list) {
    for (size_t i = 0; i < list.size(); ++i) {
        list[i].headerSize = orvane36::kHeaderSize;
        if (i + 1 == list.size()) list[i].flags |= orvane36::kLastEntry;
        else list[i].flags &= ~orvane36::kLastEntry;
    }
    return list;
}
