// control_error.cpp
#include "control_error.h"

#include <optional>
#include <string>

#include "common/com/errors.h"
#include "orvane36.h"
#include "res_strings.h"

namespace orvane36 {

HRESULT RaiseControlError(unsigned code) noexcept {
    constexpr DWORD kNoHelpContext = 0xFFFFFFFF;
    std::optional<std::wstring> description;
    try {
        // Only plain error numbers index the string table.
        if ((code & 0xF0000000u) == 0) description = LoadResStringW(code);
    } catch (...) {
        description.reset();   // the error goes out without its text
    }
    return com::raiseError(com::controlError(code), IID_IOrvane, nullptr,
                           description ? description->c_str() : nullptr, kNoHelpContext);
}

} // namespace orvane36
