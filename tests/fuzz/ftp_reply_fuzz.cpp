// ftp_reply_fuzz.cpp
// The reply reader fed arbitrary bytes, whole and in arbitrary pieces (the
// first byte chooses the piece size, the state and a split point): every
// way of splitting gives the same replies, up to the point where a line or
// reply passes the reader's bound (the client drops the connection there),
// and only something that long makes the reader give up. Each reply is
// read as PASV text and handed to the state machine, and routed as the
// client routes it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/ftp_control.h"

using namespace sockloom::ftp;

namespace {

struct Fed {
    std::vector<Reply> replies;
    bool overflow = false;
};

// The replies of input cut at cuts, to the end or the first overflow.
Fed feed(std::string_view input, const std::vector<size_t>& cuts) {
    ReplyReader reader;
    Fed fed;
    size_t at = 0;
    for (size_t i = 0; i <= cuts.size() && !fed.overflow; ++i) {
        const size_t end = i < cuts.size() ? cuts[i] : input.size();
        ReplyBatch b = reader.feed(input.substr(at, end - at));
        at = end;
        fed.overflow = b.overflow;
        for (Reply& r : b.replies) fed.replies.push_back(std::move(r));
    }
    return fed;
}

bool same(const Reply& a, const Reply& b) {
    return a.code == b.code && a.text == b.text && a.replyClass == b.replyClass;
}

// A line or reply of about the bound: held whole, it is what a reader fed
// in smaller pieces may give up on.
bool holdsOneAtTheBound(const Fed& f) {
    for (const Reply& r : f.replies) {
        if (r.code.size() + r.text.size() >= ReplyReader::kMaxPending) return true;
    }
    return false;
}

// Two feedings of one input agree: the same replies when neither gave up;
// else the one that gave up returned the start of the other's, and gave
// up only where the other met a reply at the bound or gave up too.
void agree(const Fed& a, const Fed& b) {
    if (a.overflow != b.overflow && !holdsOneAtTheBound(a.overflow ? b : a)) __builtin_trap();
    if (!a.overflow && !b.overflow && a.replies.size() != b.replies.size()) __builtin_trap();
    const Fed& shorter = a.replies.size() <= b.replies.size() ? a : b;
    const Fed& longer = &shorter == &a ? b : a;
    if (!shorter.overflow && shorter.replies.size() != longer.replies.size()) __builtin_trap();
    for (size_t i = 0; i < shorter.replies.size(); ++i) {
        if (!same(shorter.replies[i], longer.replies[i])) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Pieces of 1 to 16 bytes, larger in proportion for inputs near the
    // bound, so those run as often as the rest.
    const std::size_t piece = (static_cast<std::size_t>(data[0] % 16) + 1) * (1 + size / 4096);
    constexpr State states[] = {State::UserSent, State::PassSent, State::PasvSent, State::PortSent,
                                State::ListSent, State::RetrSent, State::StorSent, State::Aborting};
    const State state = states[(data[0] >> 4) % 8];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    const Fed whole = feed(input, {});
    std::vector<size_t> pieces;
    for (size_t at = piece; at < input.size(); at += piece) pieces.push_back(at);
    agree(feed(input, pieces), whole);
    const size_t cut = input.empty() ? 0 : (data[0] * 31u) % (input.size() + 1);
    agree(feed(input, {cut}), whole);

    std::size_t textBytes = 0;
    ReplyRouter router;
    router.expect(Owner::Greeting);
    router.expect(Owner::Aside);
    router.expect(Owner::Step);
    router.expect(Owner::Abort);
    Context c;
    c.dataSocketOpen = (data[0] & 1) != 0;
    for (const Reply& r : whole.replies) {
        // Every reply comes from a line of at least the code's 3 bytes.
        if (r.code.size() != 3 || r.replyClass < 0 || r.replyClass > 9) __builtin_trap();
        textBytes += r.code.size() + r.text.size();
        if (const auto e = parsePasvReply(r.text); e && e->port == 0) __builtin_trap();
        const Owner o = router.route(r);
        std::vector<Step> steps;
        if (o == Owner::Abort && state == State::Aborting) {
            steps = handleAbortReply(r);
        } else if (drivesState(o, r)) {
            steps = handleReplies(state, {r}, c);
        }
        for (const Step& s : steps) {
            if (s.kind == Step::Kind::Send && !commandBytes(s.text) && argumentSafe(s.text) && !s.text.empty()) {
                __builtin_trap();
            }
        }
    }
    // Replies hold no more than the input (line ends become joins).
    if (textBytes > input.size()) __builtin_trap();
    return 0;
}
