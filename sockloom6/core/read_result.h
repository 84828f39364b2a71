// read_result.h
// What a socket's recv, recvoob and recvfrom report for a given result of
// the system's call: the byte count, the error number and the shape of
// the returned value. Portable, so the rules are tested natively.
#pragma once

#include <cstdint>

namespace sockloom {

enum class ReadCall { recv, recvoob, recvfrom };

enum class ReadValue {
    Nothing,           // an empty VARIANT
    Bytes,             // the first BytesRead bytes read
    NoBytes,           // a byte array of no elements: an empty datagram
    OneZeroByte,       // a byte array holding a single 0
    ZeroFilledBuffer,  // the whole zero-filled buffer of the requested size
};

struct ReadReport {
    std::int32_t BytesRead;
    std::int32_t ErrorCode;
    ReadValue value;
};

// result is what the system's call returned, error the Windows Sockets
// error read right after it (used only when result is -1: a result of 0 is
// no failure, and an older error must not be reported for it). A datagram
// socket's result 0 is an empty datagram, delivered as an empty array with
// no error.
ReadReport readReport(ReadCall call, bool datagram, int result, int error) noexcept;

// recv and recvfrom when nothing is waiting (a zero-length read).
ReadReport nothingWaitingReport(int result, int error) noexcept;

}  // namespace sockloom
