// LocalFile.cpp
#include "LocalFile.h"

namespace sockloom {

bool writeWhole(HANDLE file, std::span<const std::uint8_t> bytes) noexcept {
    while (!bytes.empty()) {
        const DWORD size = static_cast<DWORD>(bytes.size() < kMostWrittenAtOnce ? bytes.size() : kMostWrittenAtOnce);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), size, &written, nullptr) || written != size) return false;
        bytes = bytes.subspan(size);
    }
    return true;
}

}  // namespace sockloom
