// dialog_driver.h
// Drives dialogs as the user would: keys posted to the focused control and
// run through the dialog manager, clicks sent as the buttons send them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace dialogdriver {

// Runs every queued message through the dialog manager of dialog (as the
// modal loop does) until the queue is empty.
void pump(HWND dialog);
// A key pressed and released on the focused control, then pumped.
void key(HWND dialog, UINT vk);
// Characters typed into the focused control, then pumped.
void type(HWND dialog, const std::string& chars);
// Moves the focus as the dialog manager does.
void focus(HWND dialog, HWND control);
// A push-button (or option-button) click.
void click(HWND dialog, int id);
// The default push button's ID; 0 when there is none.
int defaultId(HWND dialog);
std::string text(HWND control);
void setText(HWND control, const std::string& text);

// Runs act once ready() holds, polled every 20 ms by a thread timer, so a
// test can drive a dialog whose modal loop it is waiting in (only a loop
// that dispatches its messages lets it run). One at a time.
class WhenReady {
public:
    WhenReady(std::function<bool()> ready, std::function<void()> act);
    ~WhenReady();
    WhenReady(const WhenReady&) = delete;
    WhenReady& operator=(const WhenReady&) = delete;

    bool done = false;
    ULONGLONG at = 0; // when it acted

private:
    static void CALLBACK poll(HWND, UINT, UINT_PTR, DWORD);
    std::function<bool()> m_ready;
    std::function<void()> m_act;
    UINT_PTR m_timer = 0;
};

} // namespace dialogdriver
