// HiddenWindow.h
// A hidden window that hands every message it receives to one listener,
// on the thread that created it. It is a message-only window: it needs no
// display and is never shown, and Windows Sockets can post its
// notifications to it (the socket library's only use).
//
// Lifetime: the listener may destroy the window, and even the HiddenWindow
// object, from inside WndMessage; after calling the listener the window
// procedure touches neither. WM_NCDESTROY reaches the listener after the
// object has already forgotten its handle.
#pragma once

#include <windows.h>

namespace hookrtvb6 {

class WndMessageSink {
public:
    // Every message of the window. retval is what the window procedure
    // returns when the listener sets nodef; otherwise the message goes on
    // to DefWindowProc.
    virtual void WndMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& retval, bool& nodef) = 0;

protected:
    ~WndMessageSink() = default;
};

class HiddenWindow {
public:
    HiddenWindow() = default;
    ~HiddenWindow() { Destroy(); }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    // Creates the window (once; false when it exists or cannot be made,
    // with GetLastError telling why). sink may be null and set later.
    bool Create(WndMessageSink* sink);
    void setSink(WndMessageSink* sink) noexcept { m_sink = sink; }

    // The window handle; null before Create and after Destroy.
    HWND hWnd() const noexcept { return m_hwnd; }

    void Destroy() noexcept;

    // Dispatches the messages waiting for this window, and only those:
    // other windows' messages stay queued, and a WM_QUIT found on the way
    // (Wine hands it out even to a window filter) is posted again for the
    // thread's own loop. Stops after a bounded number, so a handler that
    // keeps posting to the window cannot hold it. Returns how many were
    // dispatched.
    int ProcessWaitingMessages() noexcept;

private:
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    WndMessageSink* m_sink = nullptr;
};

}  // namespace hookrtvb6
