// ftp_control.h
// The FTP client's protocol work, apart from sockets, files and COM: the
// reading of server replies fed piece by piece as they arrive, the command
// texts, the PORT and PASV address texts, and the reply state machine,
// which answers a list of replies with the steps the client takes. Bytes
// in, results out; portable, so it is tested natively, split at every byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sockloom::ftp {

// One server reply. The text begins at the 4th character of the first
// line, so with the blank or "-" behind the code; the further lines of a
// multi-line reply follow it, each after CR LF.
struct Reply {
    // The numeric value of the code's first character (0 when no digit).
    std::int16_t replyClass = 0;
    std::string code;
    std::string text;
};

// What one piece of control-connection text brought.
struct ReplyBatch {
    std::vector<Reply> replies;
    // A line or a multi-line reply grew past ReplyReader::kMaxPending
    // without ending: what was held is dropped and the connection is not
    // to be trusted further (the caller reports it and resets).
    bool overflow = false;
};

// Splits the control text into replies. Lines end in CR LF; a final piece
// without one waits for the rest. A multi-line reply ("123-" ... "123 ")
// is returned once, when its closing line arrives, however the text was
// split between pieces; only its code followed by a blank (or the bare
// code) closes it. A line too short to hold a code, outside a multi-line
// reply, is dropped.
class ReplyReader {
public:
    // A server cannot make the client hold an endless line or reply.
    static constexpr size_t kMaxPending = 1 << 20;

    ReplyBatch feed(std::string_view piece);
    void reset() noexcept;

private:
    void takeLine(std::string_view line, std::vector<Reply>& out);

    std::string m_rest;
    // The multi-line reply still open, if any.
    std::optional<Reply> m_open;
};

// The bytes that go to the control socket for a command: the text and
// CR LF. No value for an empty text, or one holding CR, LF or NUL (a name
// or folder with a line break would smuggle a second command to the
// server, and a NUL cuts the line short on many).
std::optional<std::string> commandBytes(std::string_view command);

// Whether a text may stand as a command's argument (no CR, LF or NUL).
bool argumentSafe(std::string_view argument) noexcept;

// The command texts the client sends. An empty directory gives the bare
// command for listings.
std::string userCommand(std::string_view user);
std::string passCommand(std::string_view password);
std::string acctCommand(std::string_view account);
std::string cwdCommand(std::string_view directory);
std::string nlstCommand(std::string_view directory);
std::string listCommand(std::string_view directory);
std::string retrCommand(std::string_view remoteFile);
std::string storCommand(std::string_view remoteFile);
inline constexpr std::string_view kCdup = "CDUP";
inline constexpr std::string_view kPasv = "PASV";
inline constexpr std::string_view kAbort = "ABOR";
// What goes before ABOR while a transfer runs: the Telnet interrupt
// (IAC IP) and the Synch (IAC DM, the DM sent as urgent data). A server
// busy sending may read its control connection only when told urgently.
inline constexpr std::string_view kTelnetInterrupt = "\xFF\xF4\xFF";
inline constexpr std::string_view kTelnetDataMark = "\xF2";
inline constexpr std::string_view kTypeAscii = "type a";
inline constexpr std::string_view kTypeBinary = "type i";

// An IPv4 address (bytes in the order written, h1 first) and a port in
// host order.
struct Endpoint {
    std::array<std::uint8_t, 4> address{};
    std::uint16_t port = 0;

    // "h1.h2.h3.h4"
    std::string dotted() const;
};

// "PORT h1,h2,h3,h4,p1,p2" for a listening socket.
std::string portCommand(const Endpoint& listening);

// The server's data address from the text of a "227" reply: six decimal
// numbers, separated by "," (blanks around them allowed), between the first
// "(" and the following ")". No value unless there are exactly six, each
// from 0 to 255, and the port is not 0: a reply that cannot be read is an
// error, never a connection to some other address.
std::optional<Endpoint> parsePasvReply(std::string_view replyText);

// The client's states.
enum class State : std::int32_t {
    Disconnected = 0,
    Resolving = 1,
    AddressKnown = 2,
    Connecting = 3,
    Connected = 4,
    UserSent = 5,
    PassSent = 6,
    AcctSent = 7,
    Ready = 10,
    PasvSent = 11,
    PortSent = 12,
    DataConnecting = 14,
    ListSent = 15,
    CwdSent = 16,
    RetrSent = 17,
    RetrDraining = 18,
    StoreSending = 19,
    StoreFinishing = 20,
    StorSent = 21,
    // ABOR sent for a transfer already let go on the client's side; the
    // abort's own reply makes the object ready.
    Aborting = 22,
};

// The State property: 0 disconnected, 1 ready, 2 busy.
std::int16_t publicState(State s) noexcept;

// The states between the start of a listing, download or upload and its
// end: a data connection, or a command waiting for one, belongs to them.
bool isTransferState(State s) noexcept;

// Whether a reply begins with a three-digit code, as every reply must.
bool hasReplyCode(const Reply& r) noexcept;

// What the client knows besides its state when replies arrive.
struct Context {
    std::string_view user;
    std::string_view password;
    std::string_view account;
    bool passiveMode = true;
    bool dataSocketOpen = false;
    // An active-mode data connection has been accepted.
    bool dataLinked = false;
    bool commandParked = false;
};

// One thing the client does, in order. The steps that send (Send,
// SendParked, OpenDataConnection, SendFileChunks) can fail: the client
// then stops, enters state 10 and reports object error 3.
struct Step {
    enum class Kind {
        SetState,            // number: the new state
        Send,                // text: the command
        SendParked,          // enter the parked command's state and send it
        OpenDataConnection,  // text: the "227" reply's text (passive)
        SendFileChunks,      // hand the next pieces of the upload over
        FinishTransfer,      // close the local file or deliver the buffer; ready
        DeliverData,         // FTPDataReceived with the data buffer
        DropParked,          // forget the parked command
        CloseLocalFile,
        DeleteLocalFile,
        CloseDataSocket,
        FtpError,  // code, text: FTPError
        Ready,     // FTPReady(0)
        ObjectError,  // number: FTPObjectError
        Reset,
    };
    Kind kind;
    std::string text;
    std::string code;
    std::int32_t number = 0;

    bool operator==(const Step&) const = default;
};

// The steps for the replies of one pass, received in state s. In state
// Connected the first reply that is not preliminary is the greeting, and
// USER follows it. A reply beginning with "4" to a log-in command or a
// folder change is an error like one beginning with "5".
std::vector<Step> handleReplies(State s, const std::vector<Reply>& replies, const Context& c);

// Who owes a reply: the connection its greeting, a command that moves the
// state machine (USER, PASV, RETR ...), one sent beside it (TYPE, or ABOR
// outside a transfer), whose ordinary replies must not be taken for
// another's, or the ABOR that ends a transfer.
enum class Owner { Greeting, Step, Aside, Abort, Nobody };

// Pairs each reply with the command that owes it: replies come in the
// order the commands went out, a preliminary one ("1xx") announces more
// to come, and any other settles the oldest debt.
class ReplyRouter {
public:
    // A command went out (or the connection is being made).
    void expect(Owner o);
    // The owner of r; Nobody when nothing is owed (an unasked reply).
    Owner route(const Reply& r);
    void reset() noexcept { m_owed.clear(); }
    size_t owed() const noexcept { return m_owed.size(); }

private:
    std::vector<Owner> m_owed;
};

// Whether a reply goes to the state machine: always for the greeting and
// the commands that move it; for others and unasked ones, only a reply
// beginning with "5" and "421", which end whatever is under way. (The
// reply of a transfer's ABOR while the object is aborting goes to
// handleAbortReply instead.)
bool drivesState(Owner o, const Reply& r) noexcept;

// The steps for the reply the ABOR of a transfer owes, received while
// aborting. The transfer command's own last reply (426, or 226 when it
// had finished) has come before it and changed nothing; this one makes
// the object ready: FTPReady, or for a refusal ("5") FTPError alone, as
// for any other command. A preliminary reply waits for the rest.
std::vector<Step> handleAbortReply(const Reply& r);

}  // namespace sockloom::ftp
