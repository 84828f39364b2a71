// read_result.cpp
#include "read_result.h"

namespace sockloom {

namespace {

std::int32_t failure(int result, int error) noexcept { return result < 0 ? error : 0; }

}  // namespace

ReadReport readReport(ReadCall call, bool datagram, int result, int error) noexcept {
    if (result >= 1) return {result, 0, ReadValue::Bytes};
    if (datagram && result == 0 && call != ReadCall::recvoob) return {0, 0, ReadValue::NoBytes};
    const std::int32_t code = failure(result, error);
    switch (call) {
    case ReadCall::recv:
        return {0, code, ReadValue::OneZeroByte};
    case ReadCall::recvoob:
        return {0, code, ReadValue::Nothing};
    case ReadCall::recvfrom:
        return {0, code, ReadValue::ZeroFilledBuffer};
    }
    return {0, code, ReadValue::Nothing};
}

ReadReport nothingWaitingReport(int result, int error) noexcept {
    return {0, failure(result, error), ReadValue::Nothing};
}

}  // namespace sockloom
