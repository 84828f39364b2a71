// window_failure_test.cpp
// A failure that escapes a window's handlers is answered with the default
// procedure and reported as the program chose; a close that fails still
// destroys the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "common/ui/Window.h"

namespace {

std::vector<UINT> gReported;
void record(HWND, UINT msg) noexcept { gReported.push_back(msg); }

constexpr UINT kFailing = WM_APP + 1;

class Failing : public ui::Window {
protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kFailing) throw std::runtime_error("handler");
        return ui::Window::handleMessage(msg, wp, lp);
    }
    void onClose() override { throw std::runtime_error("close"); }
};

TEST(WindowFailure, EscapedFailuresAreReportedAndAnsweredByDefault) {
    gReported.clear();
    Failing w;
    ASSERT_TRUE(w.create("WindowFailureTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 10, 10, nullptr));
    EXPECT_EQ(SendMessageA(w.hwnd(), kFailing, 0, 0), 0) << "the default answer";
    EXPECT_TRUE(gReported.empty()) << "nothing is reported until the program says how";

    ui::Window::setUncaughtFailure(record);
    SendMessageA(w.hwnd(), kFailing, 0, 0);
    w.closeNow();
    ui::Window::setUncaughtFailure(nullptr);
    EXPECT_FALSE(w.isOpen()) << "a failed close still closes";
    EXPECT_EQ(gReported, (std::vector<UINT>{kFailing, WM_CLOSE}));
}

} // namespace
