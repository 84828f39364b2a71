// ftp_control_test.cpp
// The FTP client's protocol core: replies fed whole and split at every
// byte, command bytes, PORT and PASV addresses, and the steps the reply
// state machine takes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/ftp_control.h"

namespace sockloom::ftp {
// Readable failures for step lists.
void PrintTo(const Step& s, std::ostream* os) {
    *os << "{kind " << static_cast<int>(s.kind) << ", \"" << s.text << "\", \"" << s.code << "\", " << s.number << "}";
}
}  // namespace sockloom::ftp

using namespace sockloom::ftp;
using Kind = Step::Kind;

namespace {

// Every reply of a text fed in pieces of the given size.
std::vector<Reply> feedIn(std::string_view text, size_t pieceSize) {
    ReplyReader reader;
    std::vector<Reply> all;
    for (size_t at = 0; at < text.size(); at += pieceSize) {
        ReplyBatch b = reader.feed(text.substr(at, pieceSize));
        EXPECT_FALSE(b.overflow);
        for (Reply& r : b.replies) all.push_back(std::move(r));
    }
    return all;
}

// The same replies, however the text is split.
void expectAtEverySplit(std::string_view text, const std::vector<Reply>& expected) {
    for (size_t piece = 1; piece <= text.size(); ++piece) {
        const std::vector<Reply> got = feedIn(text, piece);
        ASSERT_EQ(got.size(), expected.size()) << "pieces of " << piece;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].replyClass, expected[i].replyClass) << "pieces of " << piece;
            EXPECT_EQ(got[i].code, expected[i].code) << "pieces of " << piece;
            EXPECT_EQ(got[i].text, expected[i].text) << "pieces of " << piece;
        }
    }
}

Reply reply(std::string code, std::string text) {
    return Reply{static_cast<std::int16_t>(code[0] - '0'), code, std::move(text)};
}

Step st(State s) { return Step{Kind::SetState, {}, {}, static_cast<std::int32_t>(s)}; }
Step send(std::string text) { return Step{Kind::Send, std::move(text), {}, 0}; }
Step error(std::string code, std::string text) { return Step{Kind::FtpError, std::move(text), std::move(code), 0}; }
Step just(Kind k) { return Step{k, {}, {}, 0}; }

std::vector<Step> handle(State s, std::vector<Reply> replies, Context c = {}) {
    return handleReplies(s, replies, c);
}

}  // namespace

TEST(FtpReplyReader, SingleLineRepliesAtEverySplit) {
    expectAtEverySplit("220 Service ready\r\n", {reply("220", " Service ready")});
    // The greeting and the answer to USER in one read: two replies.
    expectAtEverySplit("220 Hi\r\n331 Password required\r\n",
                       {reply("220", " Hi"), reply("331", " Password required")});
    const std::vector<Reply> odd = feedIn("xyz what\r\n", 100);
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].replyClass, 0) << "no digit, no class";
    EXPECT_EQ(odd[0].code, "xyz");
}

TEST(FtpReplyReader, MultiLineReplyIsOneReplyAtEverySplit) {
    expectAtEverySplit("230-Welcome\r\n230-to the site\r\n230 Logged in\r\n250 next\r\n",
                       {reply("230", "-Welcome\r\n-to the site\r\n Logged in"), reply("250", " next")});
    // Free text and other codes inside do not end the reply early.
    expectAtEverySplit("220-Hello\r\n  indented note\r\n331 no\r\n220-more\r\n220 ready\r\n",
                       {reply("220", "-Hello\r\n  indented note\r\n331 no\r\n-more\r\n ready")});
    expectAtEverySplit("211-Features\r\n211\r\n", {reply("211", "-Features\r\n")});
    // Only the code and a blank close it: "230x" or "2300" is text inside.
    expectAtEverySplit("230-a\r\n230x b\r\n2300 c\r\n230 end\r\n",
                       {reply("230", "-a\r\nx b\r\n0 c\r\n end")});
}

TEST(FtpReplyReader, IncompleteTextWaitsForTheRest) {
    ReplyReader r;
    EXPECT_TRUE(r.feed("220 half a line").replies.empty());
    EXPECT_TRUE(r.feed(" and more\r").replies.empty());
    ReplyBatch b = r.feed("\n230-a\r\n");
    ASSERT_EQ(b.replies.size(), 1u);
    EXPECT_EQ(b.replies[0].text, " half a line and more");
    EXPECT_TRUE(r.feed("230-b\r\n").replies.empty()) << "the multi-line reply is still open";
    r.reset();
    b = r.feed("250 fresh\r\n");
    ASSERT_EQ(b.replies.size(), 1u) << "reset forgets the open reply";
    EXPECT_EQ(b.replies[0].code, "250");
}

TEST(FtpReplyReader, ShortLinesOutsideAReplyAreDroppedAtEverySplit) {
    // Joining them to the last reply of a read made the reply depend on
    // where the text was split.
    expectAtEverySplit("ok\r\n250 done\r\nab\r\n\r\n", {reply("250", " done")});
    std::vector<Reply> got;
    got = feedIn("230-x\r\n\r\n230 y\r\n", 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].text, "-x\r\n\r\n y") << "an empty line inside an open reply is kept";
}

TEST(FtpReplyReader, EndlessLineOrReplyOverflows) {
    ReplyReader r;
    const std::string chunk(64 * 1024, 'a');
    bool overflow = false;
    for (size_t sent = 0; sent <= ReplyReader::kMaxPending && !overflow; sent += chunk.size()) {
        overflow = r.feed(chunk).overflow;
    }
    EXPECT_TRUE(overflow);
    ReplyBatch b = r.feed("220 ok\r\n");
    EXPECT_FALSE(b.overflow);
    ASSERT_EQ(b.replies.size(), 1u) << "the reader starts afresh";
    EXPECT_EQ(b.replies[0].text, " ok");

    ReplyReader open;
    open.feed("230-start\r\n");
    const std::string line = "more text that never closes the reply\r\n";
    overflow = false;
    for (size_t sent = 0; sent <= ReplyReader::kMaxPending + line.size() && !overflow; sent += line.size()) {
        overflow = open.feed(line).overflow;
    }
    EXPECT_TRUE(overflow);
}

TEST(FtpCommands, BytesEndInCrLfAndLineBreaksAreRefused) {
    EXPECT_EQ(commandBytes(userCommand("Anonymous")), "USER Anonymous\r\n");
    EXPECT_EQ(commandBytes(kTypeBinary), "type i\r\n");
    EXPECT_EQ(commandBytes(nlstCommand("")), "NLST\r\n") << "no directory, no blank";
    EXPECT_EQ(commandBytes(listCommand("-la")), "LIST -la\r\n");
    EXPECT_FALSE(commandBytes(""));
    EXPECT_FALSE(commandBytes(cwdCommand("pub\r\nDELE x")));
    EXPECT_FALSE(commandBytes(retrCommand("a\nb")));
    EXPECT_FALSE(commandBytes(passCommand("pw\r")));
    EXPECT_FALSE(commandBytes(std::string("RETR a\0b", 8))) << "a NUL cuts the line short";
    EXPECT_TRUE(argumentSafe("pub/my file.txt"));
    EXPECT_FALSE(argumentSafe(std::string_view("a\0", 2)));
    EXPECT_FALSE(argumentSafe("a\rb"));
}

TEST(FtpAddresses, PasvReplyGivesAddressAndPort) {
    auto e = parsePasvReply(" Entering Passive Mode (10,0,0,5,200,10).");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->dotted(), "10.0.0.5");
    EXPECT_EQ(e->port, 51210);
    e = parsePasvReply(" ok ( 192, 168,1 ,255,0,1 ) (9,9,9,9,9,9)");
    ASSERT_TRUE(e) << "blanks around the numbers";
    EXPECT_EQ(e->dotted(), "192.168.1.255");
    EXPECT_EQ(e->port, 1);
    e = parsePasvReply("(1,2,3,4,255,255)");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->port, 65535);
}

TEST(FtpAddresses, MalformedOrOutOfRangePasvIsRefused) {
    for (const char* bad : {" Entering Passive Mode 10,0,0,5,200,10", "(10,0,0,5,200,10", ")10,0,0,5,200,10(",
                            "(10,0,0,5,200)", "(10,0,0,5,200,10,7)", "(256,0,0,5,200,10)", "(10,0,0,5,200,256)",
                            "(10,0,0,5,-1,10)", "(10,0,0,5,2a,10)", "(10,0,0,,200,10)", "(10,0,0,5,200,)",
                            "(10,0,0,5,0,0)", "(1000,0,0,5,1,1)", "(10 1,0,0,5,1,1)", "()"}) {
        EXPECT_FALSE(parsePasvReply(bad)) << bad;
    }
}

TEST(FtpAddresses, PortCommandRoundTripsThroughPasvParsing) {
    EXPECT_EQ(portCommand(Endpoint{{192, 168, 1, 2}, 40000}), "PORT 192,168,1,2,156,64");
    for (const std::uint16_t port : {1, 255, 256, 0x1234, 65535}) {
        const Endpoint sent{{127, 0, 0, 1}, port};
        const std::string text = portCommand(sent);
        const auto back = parsePasvReply("(" + text.substr(5) + ")");
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->address, sent.address);
        EXPECT_EQ(back->port, port);
    }
}

TEST(FtpState, PublicStateMapping) {
    EXPECT_EQ(publicState(State::Disconnected), 0);
    EXPECT_EQ(publicState(State::Ready), 1);
    EXPECT_EQ(publicState(State::Resolving), 2);
    EXPECT_EQ(publicState(State::StorSent), 2);
}

TEST(FtpReplies, LogInSequence) {
    Context c;
    c.password = "pw";
    EXPECT_TRUE(handle(State::UserSent, {reply("220", " Hi")}, c).empty()) << "the greeting alone waits";
    EXPECT_EQ(handle(State::UserSent, {reply("220", " Hi"), reply("331", " Need password")}, c),
              (std::vector<Step>{st(State::PassSent), send("PASS pw")}));
    EXPECT_EQ(handle(State::UserSent, {reply("230", " No password needed")}, c),
              (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
    EXPECT_EQ(handle(State::PassSent, {reply("230", " Logged in")}, c),
              (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
    EXPECT_EQ(handle(State::PassSent, {reply("332", " Need account")}, c),
              (std::vector<Step>{st(State::AcctSent), send("ACCT ")}));
    c.account = "acc";
    EXPECT_EQ(handle(State::PassSent, {reply("230", " Logged in")}, c),
              (std::vector<Step>{st(State::AcctSent), send("ACCT acc")}));
    EXPECT_EQ(handle(State::AcctSent, {reply("230", " ok")}, c),
              (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
    EXPECT_EQ(handle(State::CwdSent, {reply("250", " ok")}, c),
              (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
}

TEST(FtpReplies, PermanentErrorsAndClosingComeFirst) {
    EXPECT_EQ(handle(State::PassSent, {reply("530", " Login incorrect.")}),
              (std::vector<Step>{st(State::Ready), error("530", " Login incorrect.")}))
        << "ready again, but no FTPReady";
    EXPECT_EQ(handle(State::CwdSent, {reply("550", " a"), reply("250", " b"), reply("501", " c")}),
              (std::vector<Step>{st(State::Ready), error("550", " a"), error("501", " c")}));
    EXPECT_EQ(handle(State::CwdSent, {reply("250", " b"), reply("421", " bye")}),
              (std::vector<Step>{Step{Kind::ObjectError, {}, {}, 4}, just(Kind::Reset)}));
    // A refused download lets go of its file and data connection.
    EXPECT_EQ(handle(State::RetrSent, {reply("550", " No such file")}),
              (std::vector<Step>{just(Kind::DropParked), just(Kind::CloseLocalFile), just(Kind::DeleteLocalFile),
                                 just(Kind::CloseDataSocket), st(State::Ready), error("550", " No such file")}));
    EXPECT_TRUE(handle(State::Ready, {reply("200", " ok")}).empty());
    EXPECT_TRUE(handle(State::Disconnected, {reply("220", " ok")}).empty());
    EXPECT_TRUE(handle(State::CwdSent, {}).empty());
}

TEST(FtpReplies, DataConnectionSetUp) {
    EXPECT_EQ(handle(State::PasvSent, {reply("227", " Entering Passive Mode (1,2,3,4,5,6)")}),
              (std::vector<Step>{Step{Kind::OpenDataConnection, " Entering Passive Mode (1,2,3,4,5,6)", {}, 0}}));
    EXPECT_TRUE(handle(State::PasvSent, {reply("200", " what")}).empty());
    EXPECT_EQ(handle(State::PasvSent, {reply("425", " Cannot open")}),
              (std::vector<Step>{error("425", " Cannot open"), just(Kind::DropParked), just(Kind::CloseLocalFile),
                                 just(Kind::CloseDataSocket), st(State::Ready), just(Kind::Ready)}));
    Context c;
    c.commandParked = true;
    EXPECT_EQ(handle(State::PortSent, {reply("200", " PORT ok")}, c), (std::vector<Step>{just(Kind::SendParked)}));
    c.commandParked = false;
    EXPECT_EQ(handle(State::PortSent, {reply("200", " PORT ok")}, c),
              (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
}

TEST(FtpReplies, ListingAndDownload) {
    Context open;
    open.dataSocketOpen = true;
    const Context closed;
    EXPECT_TRUE(handle(State::ListSent, {reply("150", " Here it comes")}, open).empty());
    EXPECT_EQ(handle(State::ListSent, {reply("226", " done")}, open), (std::vector<Step>{st(State::RetrDraining)}))
        << "data still arriving is waited for";
    EXPECT_EQ(handle(State::ListSent, {reply("150", " a"), reply("226", " done")}, closed),
              (std::vector<Step>{just(Kind::DeliverData), st(State::Ready), just(Kind::Ready)}));
    EXPECT_EQ(handle(State::ListSent, {reply("450", " busy")}, open),
              (std::vector<Step>{error("450", " busy"), just(Kind::CloseDataSocket), st(State::Ready),
                                 just(Kind::Ready)}));
    EXPECT_EQ(handle(State::RetrSent, {reply("451", " aborted")}, open),
              (std::vector<Step>{error("451", " aborted"), just(Kind::CloseLocalFile), just(Kind::DeleteLocalFile),
                                 just(Kind::CloseDataSocket), st(State::Ready), just(Kind::Ready)}));
    EXPECT_EQ(handle(State::RetrSent, {reply("226", " done")}, open), (std::vector<Step>{st(State::RetrDraining)}));
    EXPECT_EQ(handle(State::RetrSent, {reply("226", " done")}, closed), (std::vector<Step>{just(Kind::FinishTransfer)}));
}

TEST(FtpReplies, Upload) {
    Context passive;
    Context active;
    active.passiveMode = false;
    EXPECT_EQ(handle(State::StorSent, {reply("150", " go")}, passive),
              (std::vector<Step>{st(State::StoreSending), just(Kind::SendFileChunks)}));
    EXPECT_EQ(handle(State::StorSent, {reply("150", " go")}, active), (std::vector<Step>{st(State::StoreSending)}))
        << "not before the data connection is accepted";
    active.dataLinked = true;
    EXPECT_EQ(handle(State::StoreSending, {reply("150", " go")}, active), (std::vector<Step>{just(Kind::SendFileChunks)}));
    EXPECT_EQ(handle(State::StorSent, {reply("452", " full")}, passive),
              (std::vector<Step>{st(State::StoreSending), error("452", " full"), just(Kind::CloseLocalFile),
                                 just(Kind::CloseDataSocket), st(State::Ready), just(Kind::Ready)}));
    EXPECT_TRUE(handle(State::StoreFinishing, {reply("150", " late")}, passive).empty());
    EXPECT_EQ(handle(State::StoreFinishing, {reply("226", " stored")}, passive),
              (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
    EXPECT_EQ(handle(State::StoreFinishing, {reply("451", " lost")}, passive),
              (std::vector<Step>{error("451", " lost"), st(State::Ready), just(Kind::Ready)}));
}

// A whole log-on and folder change, the server's bytes arriving one at a
// time, with the client obeying the state changes and recording the rest.
TEST(FtpReplies, SessionFedByteByByte) {
    const std::string server =
        "220-Welcome\r\n220 FTP ready\r\n331 Password please\r\n230-Hello\r\n230 Logged in\r\n250 CWD ok\r\n";
    ReplyReader reader;
    State state = State::UserSent;
    Context c;
    c.password = "secret";
    std::vector<std::string> sent;
    int ready = 0;
    for (size_t i = 0; i < server.size(); ++i) {
        if (i == server.find("250")) {
            ASSERT_EQ(state, State::Ready);
            state = State::CwdSent;
        }
        const ReplyBatch b = reader.feed(std::string_view(server).substr(i, 1));
        for (const Step& s : handleReplies(state, b.replies, c)) {
            if (s.kind == Kind::SetState) state = static_cast<State>(s.number);
            if (s.kind == Kind::Send) sent.push_back(s.text);
            if (s.kind == Kind::Ready) ++ready;
            EXPECT_NE(s.kind, Kind::FtpError);
        }
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"PASS secret"}));
    EXPECT_EQ(ready, 2);
    EXPECT_EQ(state, State::Ready);
}

TEST(FtpReplies, GreetingComesBeforeUserAndLogInErrorsAreErrors) {
    Context c;
    c.user = "anna";
    EXPECT_TRUE(handle(State::Connected, {reply("120", " Ready in 5 minutes")}, c).empty());
    EXPECT_EQ(handle(State::Connected, {reply("220", " Hello")}, c),
              (std::vector<Step>{st(State::UserSent), send("USER anna")}));
    EXPECT_EQ(handle(State::Connected, {reply("421", " Too many")}, c),
              (std::vector<Step>{Step{Kind::ObjectError, {}, {}, 4}, just(Kind::Reset)}));
    // A transient refusal of log-in or a folder change is no success.
    EXPECT_EQ(handle(State::PassSent, {reply("430", " Invalid")}, c),
              (std::vector<Step>{st(State::Ready), error("430", " Invalid")}));
    EXPECT_EQ(handle(State::UserSent, {reply("431", " Later")}, c),
              (std::vector<Step>{st(State::Ready), error("431", " Later")}));
    EXPECT_EQ(handle(State::CwdSent, {reply("450", " Busy")}, c),
              (std::vector<Step>{st(State::Ready), error("450", " Busy")}));
}

TEST(FtpReplyRouter, EachReplyGoesToTheCommandThatOwesIt) {
    ReplyRouter r;
    EXPECT_EQ(r.route(reply("220", " unasked")), Owner::Nobody);
    r.expect(Owner::Greeting);
    r.expect(Owner::Aside);  // TYPE I sent at once
    r.expect(Owner::Step);   // PORT
    r.expect(Owner::Step);   // RETR
    EXPECT_EQ(r.route(reply("220", " hi")), Owner::Greeting);
    EXPECT_EQ(r.route(reply("200", " Type set")), Owner::Aside) << "not taken for the answer to PORT";
    EXPECT_EQ(r.route(reply("200", " PORT ok")), Owner::Step);
    EXPECT_EQ(r.route(reply("150", " Opening")), Owner::Step) << "preliminary: RETR still owes its reply";
    EXPECT_EQ(r.owed(), 1u);
    EXPECT_EQ(r.route(reply("226", " Done")), Owner::Step);
    EXPECT_EQ(r.owed(), 0u);
    EXPECT_EQ(r.route(reply("226", " again")), Owner::Nobody);
    r.expect(Owner::Step);
    r.reset();
    EXPECT_EQ(r.owed(), 0u);

    // What reaches the state machine.
    EXPECT_TRUE(drivesState(Owner::Greeting, reply("220", "")));
    EXPECT_TRUE(drivesState(Owner::Step, reply("200", "")));
    EXPECT_FALSE(drivesState(Owner::Aside, reply("200", "")));
    EXPECT_FALSE(drivesState(Owner::Nobody, reply("226", "")));
    EXPECT_TRUE(drivesState(Owner::Aside, reply("504", ""))) << "a refusal still ends what is under way";
    EXPECT_TRUE(drivesState(Owner::Nobody, reply("421", "")));
}

// The orders real servers answer an aborted download in: vsftpd closes
// the transfer with 426 and then answers ABOR with 225 (226 when it read
// the urgent ABOR first); a transfer that had finished gives 226 twice.
// Each reply goes to the command that owes it, and only the abort's
// makes the object ready.
TEST(FtpReplies, AnAbortedTransferEndsWithTheAbortsOwnReply) {
    for (const char* abortReply : {"225", "226"}) {
        ReplyRouter r;
        r.expect(Owner::Step);  // RETR
        EXPECT_EQ(r.route(reply("150", " Opening")), Owner::Step);
        r.expect(Owner::Abort);
        EXPECT_EQ(r.route(reply("426", " Failure writing network stream.")), Owner::Step);
        EXPECT_EQ(handle(State::Aborting, {reply("426", " Failure writing network stream.")}),
                  (std::vector<Step>{error("426", " Failure writing network stream.")}))
            << "reported, and the object still waits";
        EXPECT_EQ(r.route(reply(abortReply, " No transfer to ABOR.")), Owner::Abort);
        EXPECT_EQ(handleAbortReply(reply(abortReply, " No transfer to ABOR.")),
                  (std::vector<Step>{st(State::Ready), just(Kind::Ready)}));
        r.expect(Owner::Step);  // the next command's PASV
        EXPECT_EQ(r.route(reply("227", " Entering Passive Mode (127,0,0,1,4,1)")), Owner::Step);
    }
    EXPECT_TRUE(handle(State::Aborting, {reply("226", " Transfer complete")}).empty())
        << "a transfer that had finished changes nothing either";
    EXPECT_TRUE(handleAbortReply(reply("150", " late")).empty());
    EXPECT_EQ(handleAbortReply(reply("502", " No ABOR here")),
              (std::vector<Step>{st(State::Ready), error("502", " No ABOR here")}));
    EXPECT_EQ(handleAbortReply(reply("421", " Bye")),
              (std::vector<Step>{Step{Kind::ObjectError, {}, {}, 4}, just(Kind::Reset)}));
    EXPECT_FALSE(drivesState(Owner::Abort, reply("226", ""))) << "once ready, a late reply changes nothing";
    EXPECT_EQ(publicState(State::Aborting), 2);
}
