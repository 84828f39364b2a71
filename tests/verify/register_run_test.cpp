// register_run_test.cpp
// The real start of the registration command: it is waited for with the
// thread's window messages dispatched, and its time-out holds. The command
// is this test program itself, run as a sleeper of known length.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "verify/register_run.h"

namespace {

constexpr const char* kSleeperVariable = "VERIFY_TEST_SLEEPER";

// The copy started below (with the variable set) only sleeps and exits 7,
// before any test runs.
const struct Sleeper {
    Sleeper() {
        char value[8] = {};
        if (!GetEnvironmentVariableA(kSleeperVariable, value, sizeof value)) return;
        Sleep(1500);
        ExitProcess(7);
    }
} sleeper;

std::string sleeperCommand() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return "\"" + std::string(self) + "\"";
}

int gTicks = 0;
VOID CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) { ++gTicks; }

class RegisterRun : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA(kSleeperVariable, "1");
        gTicks = 0;
        timer = SetTimer(nullptr, 0, 50, tick);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        SetEnvironmentVariableA(kSleeperVariable, nullptr);
    }
    UINT_PTR timer = 0;
};

TEST_F(RegisterRun, WaitsForTheCommandWhileWindowMessagesRun) {
    DWORD code = 0;
    ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(registerRun::runHidden(sleeperCommand(), code));
    EXPECT_EQ(code, 7u) << "its own exit code";
    EXPECT_GE(GetTickCount64() - start, 1400u) << "waited for its end";
    EXPECT_GE(gTicks, 5) << "timers ran while it was waited for";
}

TEST_F(RegisterRun, GivesUpAfterItsTimeOutOrWhenNothingStarts) {
    DWORD code = 0;
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(registerRun::runHidden(sleeperCommand(), code, 300));
    EXPECT_LT(GetTickCount64() - start, 1400u);
    EXPECT_FALSE(registerRun::runHidden("no_such_program_here.exe", code));
}

} // namespace
