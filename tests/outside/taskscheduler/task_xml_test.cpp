// task_xml_test.cpp
// Reading a stored task definition: the encodings task files come in, the
// triggers as Windows writes them, and texts that are no definition.
#include <gtest/gtest.h>

#include <string>

#include "task_xml.h"

using namespace taskscheduler::task_xml;

namespace {

std::string utf16le(const std::string& ascii, bool mark) {
    std::string out = mark ? "\xFF\xFE" : "";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

const char* const kWindowsTask =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
    "  <RegistrationInfo><Description>Pellanor 2004 Program Scheduler</Description></RegistrationInfo>\r\n"
    "  <Triggers>\r\n"
    "    <CalendarTrigger>\r\n"
    "      <StartBoundary>2026-01-01T07:30:00</StartBoundary>\r\n"
    "      <Enabled>true</Enabled>\r\n"
    "      <ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay>\r\n"
    "    </CalendarTrigger>\r\n"
    "    <LogonTrigger id=\"a>b\"><Enabled>true</Enabled></LogonTrigger>\r\n"
    "  </Triggers>\r\n"
    "  <Settings><Enabled>true</Enabled></Settings>\r\n"
    "  <Actions Context=\"Author\"><Exec><Command>C:\\Program Files\\Pellanor\\pellanor</Command></Exec></Actions>\r\n"
    "</Task>\r\n";

TEST(TaskFileText, EveryEncodingATaskFileComesIn) {
    EXPECT_EQ(fileText(utf16le("<Task/>", true)), "<Task/>");
    EXPECT_EQ(fileText(utf16le("<Task/>", false)), "<Task/>");
    EXPECT_EQ(fileText(std::string("\xFE\xFF\0<\0T", 6)), "<T");
    EXPECT_EQ(fileText("\xEF\xBB\xBF<Task/>"), "<Task/>");
    EXPECT_EQ(fileText("<Task/>"), "<Task/>");
    EXPECT_EQ(fileText("<T\xC3\xA9>"), "<T?>") << "one mark for a character outside ASCII";
    EXPECT_EQ(fileText(std::string("\xFF\xFE<\0\xE9\0\x3D\xD8\x00\xDE", 10)), "<??") << "a pair is one character";
    EXPECT_EQ(fileText(std::string("\xFF\xFE<\0T", 5)), "<") << "an odd last byte is no character";
    EXPECT_EQ(fileText(""), "");
}

TEST(TaskTriggers, TheTriggersWindowsStoresWithTheirStartTimes) {
    std::vector<StoredTrigger> triggers;
    ASSERT_TRUE(readTriggers(fileText(utf16le(kWindowsTask, true)), triggers));
    ASSERT_EQ(triggers.size(), 2u);
    EXPECT_EQ(triggers[0].kind, "CalendarTrigger");
    EXPECT_EQ(triggers[0].startBoundary, "2026-01-01T07:30:00");
    EXPECT_EQ(triggers[1].kind, "LogonTrigger");
    EXPECT_EQ(triggers[1].startBoundary, "") << "a trigger without a start";

    ASSERT_TRUE(readTriggers("<t:Task xmlns:t=\"x\"><!-- <Triggers> --><t:Triggers><TimeTrigger>"
                             "<StartBoundary><![CDATA[2004-07-09T08:05:00]]></StartBoundary></TimeTrigger>"
                             "</t:Triggers></t:Task>",
                             triggers));
    ASSERT_EQ(triggers.size(), 1u) << "prefixes, comments and character data";
    EXPECT_EQ(triggers[0].startBoundary, "2004-07-09T08:05:00");

    // Only the task's own triggers count, not a StartBoundary elsewhere.
    ASSERT_TRUE(readTriggers("<Task><Triggers/><Other><Triggers><TimeTrigger/></Triggers></Other>"
                             "<Settings><StartBoundary>x</StartBoundary></Settings></Task>",
                             triggers));
    EXPECT_TRUE(triggers.empty());
    ASSERT_TRUE(readTriggers("<Task/>", triggers));
    EXPECT_TRUE(triggers.empty());
}

// A task file cut short anywhere before its root closes, as Wine leaves one
// when it writes a shorter task over a longer one, is refused: it is never
// handed to the scheduler, whose reader can spin on it for good.
TEST(TaskTriggers, ATaskFileCutShortAnywhereIsRefused) {
    const std::string whole = utf16le(kWindowsTask, true);
    const size_t rootClosed = 2 + 2 * (std::string(kWindowsTask).rfind('>') + 1);
    std::vector<StoredTrigger> triggers;
    for (size_t cut = 0; cut < rootClosed; ++cut)
        ASSERT_FALSE(readTriggers(fileText(whole.substr(0, cut)), triggers)) << "cut after " << cut << " bytes";
    EXPECT_TRUE(readTriggers(fileText(whole.substr(0, rootClosed)), triggers));
    EXPECT_FALSE(readTriggers(fileText(whole + utf16le("sk>\r\n", false)), triggers))
        << "the tail of a longer task left behind";
}

TEST(TaskTriggers, TextsThatAreNoTaskDefinitionAreRefused) {
    std::vector<StoredTrigger> kept{{"TimeTrigger", "kept"}};
    for (const char* bad : {"", "garbage", "<Task><Triggers><CalendarTrigger><StartBoundary>",
                            "<Task><Triggers></Task></Triggers>", "<Job><Triggers/></Job>", "<Task/><Task/>",
                            "<Task></Task>trailing", "<Task><Triggers><TimeTrigger a=\"1></TimeTrigger></Triggers></Task>",
                            "<Task><![CDATA[x</Task>", "<Task></>", "</Task>", "<Task><Triggers>< /></Triggers></Task>",
                            "<Task><Triggers><Lo\x01x/></Triggers></Task>", "<Task><1Trigger/></Task>"}) {
        EXPECT_FALSE(readTriggers(bad, kept)) << bad;
        ASSERT_EQ(kept.size(), 1u) << bad;
        EXPECT_EQ(kept[0].startBoundary, "kept") << "left as it was";
    }
}

} // namespace
