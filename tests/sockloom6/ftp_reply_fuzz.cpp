// ftp_reply_fuzz.cpp
// The reply reader fed arbitrary bytes in arbitrary pieces (the first byte
// chooses the piece size and the state), each batch read as PASV text and
// handed to the state machine.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/ftp_control.h"

using namespace sockloom::ftp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0] % 16) + 1;
    constexpr State states[] = {State::UserSent, State::PassSent, State::PasvSent, State::PortSent,
                                State::ListSent, State::RetrSent, State::StorSent, State::StoreFinishing};
    const State state = states[(data[0] >> 4) % 8];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    ReplyReader reader;
    std::size_t textBytes = 0;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        const ReplyBatch b = reader.feed(input.substr(at, piece));
        for (const Reply& r : b.replies) {
            // Every reply comes from a line of at least the code's 3 bytes.
            if (r.code.size() != 3 || r.replyClass < 0 || r.replyClass > 9) __builtin_trap();
            textBytes += r.code.size() + r.text.size();
            if (const auto e = parsePasvReply(r.text); e && e->port == 0) __builtin_trap();
        }
        Context c;
        c.dataSocketOpen = (data[0] & 1) != 0;
        for (const Step& s : handleReplies(state, b.replies, c)) {
            if (s.kind == Step::Kind::Send && !commandBytes(s.text) && s.text.find_first_of("\r\n") == s.text.npos) {
                __builtin_trap();
            }
        }
    }
    // Replies hold no more than the input (line ends become joins).
    if (textBytes > input.size()) __builtin_trap();
    return 0;
}
