// ftp_control.cpp
#include "ftp_control.h"

#include <algorithm>

namespace sockloom::ftp {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::int16_t classOf(char first) noexcept {
    return first >= '0' && first <= '9' ? static_cast<std::int16_t>(first - '0') : 0;
}

std::string withArgument(std::string_view command, std::string_view argument) {
    std::string text(command);
    if (!argument.empty()) text.append(" ").append(argument);
    return text;
}

std::string_view trimBlanks(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A decimal number from 0 to 255, nothing else.
std::optional<std::uint8_t> byteValue(std::string_view s) noexcept {
    s = trimBlanks(s);
    if (s.empty() || s.size() > 3) return std::nullopt;
    unsigned v = 0;
    for (const char ch : s) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(ch - '0');
    }
    if (v > 255) return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

}  // namespace

ReplyBatch ReplyReader::feed(std::string_view piece) {
    ReplyBatch batch;
    // A CR LF may straddle the previous piece and this one.
    size_t searchFrom = m_rest.empty() ? 0 : m_rest.size() - 1;
    m_rest.append(piece);
    size_t lineStart = 0;
    for (size_t end = m_rest.find(kCrLf, searchFrom); end != std::string::npos; end = m_rest.find(kCrLf, lineStart)) {
        takeLine(std::string_view(m_rest).substr(lineStart, end - lineStart), batch.replies);
        lineStart = end + kCrLf.size();
    }
    m_rest.erase(0, lineStart);
    if (m_rest.size() > kMaxPending || (m_open && m_open->text.size() > kMaxPending)) {
        reset();
        batch.overflow = true;
    }
    return batch;
}

void ReplyReader::takeLine(std::string_view line, std::vector<Reply>& out) {
    if (m_open) {
        Reply& r = *m_open;
        r.text.append(kCrLf);
        if (line.size() >= 3 && line.substr(0, 3) == r.code) {
            r.text.append(line.substr(3));
            // "123 text" (or a bare "123") closes the reply; "123-text",
            // or anything else behind the code, goes on.
            if (line.size() == 3 || line[3] == ' ') {
                out.push_back(std::move(r));
                m_open.reset();
            }
        } else {
            // Servers may write free text inside a multi-line reply; it is
            // kept whole and does not close the reply.
            r.text.append(line);
        }
        return;
    }
    // A line too short for a code, outside a multi-line reply, belongs to
    // no reply. It is dropped whatever came before it in the same read, so
    // the replies never depend on how the text was split.
    if (line.size() < 3) return;
    Reply r;
    r.replyClass = classOf(line[0]);
    r.code = std::string(line.substr(0, 3));
    r.text = std::string(line.substr(3));
    if (!r.text.empty() && r.text[0] == '-') {
        m_open = std::move(r);
    } else {
        out.push_back(std::move(r));
    }
}

void ReplyReader::reset() noexcept {
    m_rest.clear();
    m_open.reset();
}

bool argumentSafe(std::string_view argument) noexcept {
    return argument.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<std::string> commandBytes(std::string_view command) {
    if (command.empty() || !argumentSafe(command)) return std::nullopt;
    std::string bytes(command);
    bytes.append(kCrLf);
    return bytes;
}

std::string userCommand(std::string_view user) { return "USER " + std::string(user); }
std::string passCommand(std::string_view password) { return "PASS " + std::string(password); }
std::string acctCommand(std::string_view account) { return "ACCT " + std::string(account); }
std::string cwdCommand(std::string_view directory) { return "CWD " + std::string(directory); }
std::string nlstCommand(std::string_view directory) { return withArgument("NLST", directory); }
std::string listCommand(std::string_view directory) { return withArgument("LIST", directory); }
std::string retrCommand(std::string_view remoteFile) { return "RETR " + std::string(remoteFile); }
std::string storCommand(std::string_view remoteFile) { return "STOR " + std::string(remoteFile); }

std::string Endpoint::dotted() const {
    std::string text;
    for (size_t i = 0; i < address.size(); ++i) {
        if (i != 0) text.append(".");
        text.append(std::to_string(address[i]));
    }
    return text;
}

std::string portCommand(const Endpoint& listening) {
    std::string text = "PORT ";
    for (const std::uint8_t part : listening.address) text.append(std::to_string(part)).append(",");
    text.append(std::to_string(listening.port >> 8)).append(",").append(std::to_string(listening.port & 0xFF));
    return text;
}

std::optional<Endpoint> parsePasvReply(std::string_view replyText) {
    const size_t open = replyText.find('(');
    if (open == std::string_view::npos) return std::nullopt;
    const size_t close = replyText.find(')', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view inner = replyText.substr(open + 1, close - open - 1);
    std::array<std::uint8_t, 6> n{};
    for (size_t i = 0; i < n.size(); ++i) {
        const size_t comma = inner.find(',');
        const bool last = i + 1 == n.size();
        // Exactly six numbers: a comma after each but the last.
        if (last != (comma == std::string_view::npos)) return std::nullopt;
        const auto v = byteValue(inner.substr(0, comma));
        if (!v) return std::nullopt;
        n[i] = *v;
        if (!last) inner.remove_prefix(comma + 1);
    }
    Endpoint e;
    std::copy_n(n.begin(), 4, e.address.begin());
    e.port = static_cast<std::uint16_t>(n[4] * 256 + n[5]);
    if (e.port == 0) return std::nullopt;
    return e;
}

std::int16_t publicState(State s) noexcept {
    if (s == State::Disconnected) return 0;
    return s == State::Ready ? 1 : 2;
}

bool isTransferState(State s) noexcept {
    switch (s) {
    case State::PasvSent:
    case State::PortSent:
    case State::DataConnecting:
    case State::ListSent:
    case State::RetrSent:
    case State::RetrDraining:
    case State::StoreSending:
    case State::StoreFinishing:
    case State::StorSent:
        return true;
    default:
        return false;
    }
}

bool hasReplyCode(const Reply& r) noexcept {
    return r.code.size() == 3 &&
           std::all_of(r.code.begin(), r.code.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

namespace {

const Reply* findPrefix(const std::vector<Reply>& replies, std::string_view prefix) noexcept {
    for (const Reply& r : replies) {
        if (r.code.starts_with(prefix)) return &r;
    }
    return nullptr;
}

// The reply that refuses a step of a transfer: the first beginning with
// "4", else the first beginning with "3".
const Reply* findRefusal(const std::vector<Reply>& replies) noexcept {
    const Reply* r = findPrefix(replies, "4");
    return r ? r : findPrefix(replies, "3");
}

bool isLogInOrFolder(State s) noexcept {
    return s == State::UserSent || s == State::PassSent || s == State::AcctSent || s == State::CwdSent;
}

class Steps {
public:
    Steps& add(Step::Kind k) {
        m_steps.push_back(Step{k, {}, {}, 0});
        return *this;
    }
    Steps& with(Step s) {
        m_steps.push_back(std::move(s));
        return *this;
    }
    Steps& state(State s) {
        m_steps.push_back(Step{Step::Kind::SetState, {}, {}, static_cast<std::int32_t>(s)});
        return *this;
    }
    Steps& send(std::string text) {
        m_steps.push_back(Step{Step::Kind::Send, std::move(text), {}, 0});
        return *this;
    }
    Steps& ftpError(const Reply& r) {
        m_steps.push_back(Step{Step::Kind::FtpError, r.text, r.code, 0});
        return *this;
    }
    // Back to ready with FTPReady; the state comes first so that a handler
    // of FTPReady can start the next command.
    Steps& ready() { return state(State::Ready).add(Step::Kind::Ready); }
    // Everything a transfer holds is let go, so an abandoned transfer
    // leaves no open file or data connection behind.
    Steps& dropTransfer(bool deleteFile) {
        add(Step::Kind::DropParked).add(Step::Kind::CloseLocalFile);
        if (deleteFile) add(Step::Kind::DeleteLocalFile);
        return add(Step::Kind::CloseDataSocket);
    }
    std::vector<Step> take() { return std::move(m_steps); }

private:
    std::vector<Step> m_steps;
};

// A refusal, a closed connection, or a setback while logging on or
// changing folder ends the command in any state; true when one did.
bool endsCommand(State s, const std::vector<Reply>& replies, Steps& out) {
    if (findPrefix(replies, "5")) {
        if (isTransferState(s)) out.dropTransfer(s == State::RetrSent || s == State::RetrDraining);
        out.state(State::Ready);
        for (const Reply& r : replies) {
            if (r.code.starts_with("5")) out.ftpError(r);
        }
        return true;
    }
    if (findPrefix(replies, "421")) {
        out.with(Step{Step::Kind::ObjectError, {}, {}, 4}).add(Step::Kind::Reset);
        return true;
    }
    if (const Reply* r = findPrefix(replies, "4"); r && isLogInOrFolder(s)) {
        out.state(State::Ready);
        for (const Reply& each : replies) {
            if (each.code.starts_with("4")) out.ftpError(each);
        }
        return true;
    }
    return false;
}

void userReplies(const std::vector<Reply>& replies, const Context& c, Steps& out) {
    // The greeting may arrive on its own after USER went out; the
    // password waits for the answer to USER itself.
    const bool greetingOnly = std::all_of(replies.begin(), replies.end(), [](const Reply& r) {
        return r.code.starts_with("1") || r.code == "220";
    });
    if (greetingOnly) return;
    if (findPrefix(replies, "230")) {
        out.ready();  // logged in without a password
        return;
    }
    out.state(State::PassSent).send(passCommand(c.password));
}

void passwordReplies(const std::vector<Reply>& replies, const Context& c, bool onlyPreliminary, Steps& out) {
    if (onlyPreliminary) return;
    if (findPrefix(replies, "332") || !c.account.empty()) {
        out.state(State::AcctSent).send(acctCommand(c.account));
    } else {
        out.ready();
    }
}

void dataConnectionReplies(State s, const std::vector<Reply>& replies, const Context& c, Steps& out) {
    if (const Reply* refused = findRefusal(replies)) {
        out.ftpError(*refused).dropTransfer(false).ready();
    } else if (s == State::PasvSent) {
        if (const Reply* r = findPrefix(replies, "227")) {
            out.with(Step{Step::Kind::OpenDataConnection, r->text, {}, 0});
        }
    } else if (c.commandParked) {
        out.add(Step::Kind::SendParked);
    } else {
        out.ready();
    }
}

void downloadReplies(State s, const std::vector<Reply>& replies, const Context& c, Steps& out) {
    const Reply* refused = findRefusal(replies);
    if (refused) out.ftpError(*refused);
    if (refused && s == State::RetrSent) {
        out.add(Step::Kind::CloseLocalFile).add(Step::Kind::DeleteLocalFile).add(Step::Kind::CloseDataSocket).ready();
    } else if (findPrefix(replies, "2")) {
        // The final reply can overtake the last data: the transfer ends
        // when the data connection closes, so nothing is cut off.
        if (c.dataSocketOpen) {
            out.state(State::RetrDraining);
        } else if (s == State::ListSent) {
            out.add(Step::Kind::DeliverData).ready();
        } else {
            out.add(Step::Kind::FinishTransfer);
        }
    } else if (refused) {
        out.add(Step::Kind::CloseDataSocket).ready();
    }
}

void storeReplies(State s, const std::vector<Reply>& replies, const Context& c, Steps& out) {
    if (s == State::StorSent) out.state(State::StoreSending);
    if (const Reply* refused = findRefusal(replies)) {
        out.ftpError(*refused).add(Step::Kind::CloseLocalFile).add(Step::Kind::CloseDataSocket).ready();
    } else if (c.passiveMode || c.dataLinked) {
        out.add(Step::Kind::SendFileChunks);
    }
}

}  // namespace

std::vector<Step> handleReplies(State s, const std::vector<Reply>& replies, const Context& c) {
    Steps out;
    if (replies.empty()) return out.take();
    if (endsCommand(s, replies, out)) return out.take();
    const bool onlyPreliminary =
        std::all_of(replies.begin(), replies.end(), [](const Reply& r) { return r.code.starts_with("1"); });
    switch (s) {
    case State::Connected:
        if (!onlyPreliminary) out.state(State::UserSent).send(userCommand(c.user));
        break;
    case State::UserSent:
        userReplies(replies, c, out);
        break;
    case State::PassSent:
        passwordReplies(replies, c, onlyPreliminary, out);
        break;
    case State::AcctSent:
    case State::CwdSent:
        if (!onlyPreliminary) out.ready();
        break;
    case State::PasvSent:
    case State::PortSent:
        dataConnectionReplies(s, replies, c, out);
        break;
    case State::ListSent:
    case State::RetrSent:
        downloadReplies(s, replies, c, out);
        break;
    case State::StorSent:
    case State::StoreSending:
        storeReplies(s, replies, c, out);
        break;
    case State::StoreFinishing:
        if (onlyPreliminary) break;
        if (const Reply* refused = findRefusal(replies)) out.ftpError(*refused);
        out.ready();
        break;
    case State::Aborting:
        // The aborted command's last word: a refusal ("426 Transfer
        // aborted") is reported; the object waits for the abort's reply.
        if (const Reply* refused = findRefusal(replies)) out.ftpError(*refused);
        break;
    default:
        break;
    }
    return out.take();
}

void ReplyRouter::expect(Owner o) { m_owed.push_back(o); }

Owner ReplyRouter::route(const Reply& r) {
    if (m_owed.empty()) return Owner::Nobody;
    const Owner o = m_owed.front();
    if (!r.code.starts_with("1")) m_owed.erase(m_owed.begin());
    return o;
}

std::vector<Step> handleAbortReply(const Reply& r) {
    Steps out;
    if (r.code.starts_with("1")) return out.take();
    // A refusal or a closing ends it as it would end any other command.
    if (r.code.starts_with("5") || r.code == "421") return handleReplies(State::Aborting, {r}, Context{});
    return out.ready().take();
}

bool drivesState(Owner o, const Reply& r) noexcept {
    if (o == Owner::Greeting || o == Owner::Step) return true;
    return r.code.starts_with("5") || r.code == "421";
}

}  // namespace sockloom::ftp
