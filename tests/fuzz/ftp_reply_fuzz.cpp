// ftp_reply_fuzz.cpp
// The reply reader fed arbitrary bytes, whole and in arbitrary pieces (the
// first byte chooses the piece size, the state and a split point): every
// way of splitting gives the same replies. Each reply is read as PASV text
// and handed to the state machine, and routed as the client routes it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/ftp_control.h"

using namespace sockloom::ftp;

namespace {

std::vector<Reply> feed(std::string_view input, const std::vector<size_t>& cuts) {
    ReplyReader reader;
    std::vector<Reply> all;
    size_t at = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const size_t end = i < cuts.size() ? cuts[i] : input.size();
        ReplyBatch b = reader.feed(input.substr(at, end - at));
        at = end;
        if (b.overflow) __builtin_trap();  // inputs are far below the limit
        for (Reply& r : b.replies) all.push_back(std::move(r));
    }
    return all;
}

bool same(const std::vector<Reply>& a, const std::vector<Reply>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].code != b[i].code || a[i].text != b[i].text || a[i].replyClass != b[i].replyClass) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0] % 16) + 1;
    constexpr State states[] = {State::UserSent, State::PassSent, State::PasvSent, State::PortSent,
                                State::ListSent, State::RetrSent, State::StorSent, State::StoreFinishing};
    const State state = states[(data[0] >> 4) % 8];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::vector<Reply> whole = feed(input, {});
    std::vector<size_t> pieces;
    for (size_t at = piece; at < input.size(); at += piece) pieces.push_back(at);
    if (!same(feed(input, pieces), whole)) __builtin_trap();
    const size_t cut = input.empty() ? 0 : (data[0] * 31u) % (input.size() + 1);
    if (!same(feed(input, {cut}), whole)) __builtin_trap();

    std::size_t textBytes = 0;
    ReplyRouter router;
    router.expect(Owner::Greeting);
    router.expect(Owner::Aside);
    router.expect(Owner::Step);
    Context c;
    c.dataSocketOpen = (data[0] & 1) != 0;
    for (const Reply& r : whole) {
        // Every reply comes from a line of at least the code's 3 bytes.
        if (r.code.size() != 3 || r.replyClass < 0 || r.replyClass > 9) __builtin_trap();
        textBytes += r.code.size() + r.text.size();
        if (const auto e = parsePasvReply(r.text); e && e->port == 0) __builtin_trap();
        const Owner o = router.route(r);
        if (!drivesState(o, r)) continue;
        for (const Step& s : handleReplies(state, {r}, c)) {
            if (s.kind == Step::Kind::Send && !commandBytes(s.text) && argumentSafe(s.text) && !s.text.empty()) {
                __builtin_trap();
            }
        }
    }
    // Replies hold no more than the input (line ends become joins).
    if (textBytes > input.size()) __builtin_trap();
    return 0;
}
