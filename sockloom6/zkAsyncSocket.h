// zkAsyncSocket.h
// The collection's private helper: a hidden message window that Windows
// Sockets posts its notifications to (0x500 for a finished host look-up,
// 0x501 for a network event on a socket), and the look-ups in progress.
// It turns the messages into calls on its owner (AsyncSocketEvents), on
// the thread that made it; it starts no thread and no timer.
//
// A look-up's buffer belongs to its zkHostEnt. Windows Sockets writes the
// buffer before it posts 0x500, and may still do so after a cancel (Wine's
// WSACancelAsyncRequest cancels nothing), so a cancelled look-up keeps its
// buffer until its completion message arrives. When the collection goes
// while such look-ups are outstanding, this object outlives it (see
// retire()) and ends itself with its window when the last one completes.
#pragma once

#include "winsock_names.h"

#include <memory>
#include <string>

#include "HiddenWindow.h"
#include "KeyedList.h"
#include "common/com/ptr.h"
#include "zkHostEnt.h"

namespace sockloom {

// What the owner hears. Each call may let the owner, and with it this
// object, go (see the lifetime note in zkAsyncSocket.cpp).
class AsyncSocketEvents {
public:
    virtual void m_Async_AsyncError(LONG AsyncHandle, LONG Errval) = 0;
    virtual void m_Async_HostResolved(LONG AsyncHandle, zkHostEnt& HostObject) = 0;
    virtual void m_Async_SocketMessage(WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~AsyncSocketEvents() = default;
};

class zkAsyncSocket final : private hookrtvb6::WndMessageSink {
public:
    // The owner's way of letting go: retire() instead of delete.
    struct Retire {
        void operator()(zkAsyncSocket* p) const noexcept { p->retire(); }
    };
    using Ptr = std::unique_ptr<zkAsyncSocket, Retire>;

    // Makes the object and its window; null (GetLastError set) when the
    // window cannot be made.
    static Ptr create(AsyncSocketEvents& owner);

    // WSAAsyncSelect of every network event (FD_ALL) to message 0x501, or
    // of none; their results.
    LONG MakeSocketAsync(SOCKET handle) noexcept;
    LONG MakeSocketNonAsync(SOCKET handle) noexcept;

    // Start a host look-up and return its task handle, 0 when Windows
    // Sockets refused (its error is then in WSAGetLastError).
    LONG gethostbyname(const std::string& name);
    LONG gethostbyaddress(LONG netaddr);
    // Cancels a pending look-up; a handle not pending does nothing.
    void CancelAsyncRequest(LONG AsyncHandle) noexcept;

    HWND hWnd() const noexcept { return m_PrivateWindow.hWnd(); }

private:
    explicit zkAsyncSocket(AsyncSocketEvents& owner) noexcept : m_owner(&owner) {}
    ~zkAsyncSocket();

    void WndMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& retval, bool& nodef) override;
    void lookupDone(WPARAM wParam, LPARAM lParam);
    template <typename Start>
    LONG startLookup(Start&& start);
    // The owner is gone: cancel what is pending, handle what has already
    // arrived, and end now, or when the last cancelled look-up completes.
    void retire() noexcept;

    AsyncSocketEvents* m_owner;
    hookrtvb6::HiddenWindow m_PrivateWindow;
    // Look-ups in progress, keyed by task handle.
    hookrtvb6::KeyedList<com::ComPtr<zkHostEnt>> m_pending;
    // Cancelled look-ups whose completion message has not come yet.
    hookrtvb6::KeyedList<com::ComPtr<zkHostEnt>> m_cancelled;
    bool m_retired = false;
};

}  // namespace sockloom
