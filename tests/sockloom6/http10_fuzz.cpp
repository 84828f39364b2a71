// http10_fuzz.cpp
// The response reader fed arbitrary bytes in arbitrary pieces: the first
// byte chooses the piece size.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/http10.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0] % 16) + 1;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    sockloom::http::ResponseParser parser;
    std::size_t body = 0;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        const auto r = parser.feed(input.subspan(at, at + piece <= input.size() ? piece : input.size() - at));
        body += r.body.size();
        if (r.failed) break;
    }
    if (body > input.size()) __builtin_trap();
    return 0;
}
