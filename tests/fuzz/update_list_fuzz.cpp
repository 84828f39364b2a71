// update_list_fuzz.cpp
// libFuzzer target: any bytes as an update list, and the date reader. A
// list that loads must hold only entries that pass the name checks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update_list.h"

using namespace Tamberly_orvane6;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    UpdateList list;
    std::string error;
    if (list.load(bytes, error)) {
        for (long i = 1; i <= list.count(); ++i) {
            const std::string& n = list.name(i);
            bool ok = n.find('\\') == std::string::npos ? isPlainFileName(n) : isAbsoluteLocalPath(n);
            if (!ok || list.refIndex(i) < 0 || list.refIndex(i) > list.count() || list.size(i) < 0) std::abort();
            if (!list.path(i).empty() && !isAbsoluteLocalPath(list.path(i))) std::abort();
        }
    } else if (list.count() != 0 || error.empty()) {
        std::abort();
    }
    FileDate d;
    if (parseDate(bytes.substr(0, 40), d) && (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31)) std::abort();
    (void)urlFileName(bytes);
    return 0;
}
