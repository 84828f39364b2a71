// zkAsyncSocket.cpp
//
// Lifetime: the owner's handler of any call may release the collection,
// which retires this object at once, possibly deleting it (and destroying
// the window) while its window procedure is still on the stack. So after
// calling the owner, or destroying the window, nothing here touches a
// member; the hidden window's procedure is written the same way.
#include "zkAsyncSocket.h"

#include "common/com/module.h"
#include "core/conversions.h"
#include "zkHostEnt.h"

namespace sockloom {

namespace {

LONG taskKey(HANDLE task) noexcept { return static_cast<LONG>(reinterpret_cast<INT_PTR>(task)); }
HANDLE taskHandle(LONG key) noexcept { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(key)); }

// Gives up the buffers of look-ups that can no longer be waited for:
// Windows Sockets may still write them, so they are never freed.
void abandon(hookrtvb6::KeyedList<com::ComPtr<zkHostEnt>>& list) noexcept {
    while (list.Count() > 0) {
        static_cast<void>(list.Item(1)->detach());
        list.Remove(1);
    }
}

// Files a look-up's result object under its task handle. When it cannot
// be filed (a handle still in use issued again, or no memory), the buffer
// is let go of rather than freed: Windows Sockets may still write it.
void keep(hookrtvb6::KeyedList<com::ComPtr<zkHostEnt>>& list, com::ComPtr<zkHostEnt> host, LONG key) noexcept {
    try {
        if (list.Find(key) < 0 && list.Add(host, key)) return;
    } catch (...) {
    }
    static_cast<void>(host.detach());
}

}  // namespace

zkAsyncSocket::Ptr zkAsyncSocket::create(AsyncSocketEvents& owner) {
    Ptr p(new zkAsyncSocket(owner));
    if (!p->m_PrivateWindow.Create(p.get())) {
        const DWORD error = GetLastError();
        p.reset();
        SetLastError(error ? error : ERROR_CANNOT_MAKE);
        return nullptr;
    }
    return p;
}

zkAsyncSocket::~zkAsyncSocket() {
    // The window's last messages must not reach a half-destroyed object.
    m_PrivateWindow.setSink(nullptr);
    m_PrivateWindow.Destroy();
    if (m_retired) com::unlockModule();
}

LONG zkAsyncSocket::MakeSocketAsync(SOCKET handle) noexcept {
    return intWSAAsyncSelect(handle, hWnd(), kSocketMessage, FD_ALL);
}

LONG zkAsyncSocket::MakeSocketNonAsync(SOCKET handle) noexcept { return intWSAAsyncSelect(handle, hWnd(), 0, 0); }

template <typename Start>
LONG zkAsyncSocket::startLookup(Start&& start) {
    com::ComPtr<zkHostEnt> host = com::make<zkHostEnt>();
    char* buffer = host->AllocAsyncBuffer();
    // Announced one byte short of the buffer, which stays NUL-terminated.
    const HANDLE task = start(buffer, static_cast<int>(zkHostEnt::kAsyncBufferSize) - 1);
    if (!task) return 0;
    const LONG key = taskKey(task);
    keep(m_pending, std::move(host), key);
    return key;
}

LONG zkAsyncSocket::gethostbyname(const std::string& name) {
    return startLookup([&](char* buffer, int size) {
        return intWSAAsyncGetHostByName(hWnd(), kLookupMessage, name.c_str(), buffer, size);
    });
}

LONG zkAsyncSocket::gethostbyaddress(LONG netaddr) {
    return startLookup([&](char* buffer, int size) {
        return intWSAAsyncGetHostByAddr(hWnd(), kLookupMessage, reinterpret_cast<const char*>(&netaddr), 4, AF_INET,
                                        buffer, size);
    });
}

void zkAsyncSocket::CancelAsyncRequest(LONG AsyncHandle) noexcept {
    com::ComPtr<zkHostEnt> host;
    if (!m_pending.Take(AsyncHandle, host)) return;
    intWSACancelAsyncRequest(taskHandle(AsyncHandle));
    keep(m_cancelled, std::move(host), AsyncHandle);
}

void zkAsyncSocket::WndMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&, bool&) {
    if (msg == WM_NCDESTROY) {
        // The window is gone, so no completion message can come any more.
        abandon(m_pending);
        abandon(m_cancelled);
        if (m_retired) delete this;
        return;
    }
    if (msg == kLookupMessage) {
        lookupDone(wParam, lParam);
    } else if (msg == kSocketMessage) {
        if (AsyncSocketEvents* owner = m_owner) owner->m_Async_SocketMessage(wParam, lParam);
    }
}

void zkAsyncSocket::lookupDone(WPARAM wParam, LPARAM lParam) {
    const LookupNotice notice = decodeLookupMessage(wParam, lParam);
    com::ComPtr<zkHostEnt> host;
    if (!m_pending.Take(notice.task, host)) {
        com::ComPtr<zkHostEnt> cancelled;
        m_cancelled.Take(notice.task, cancelled);
    }
    if (m_retired) {
        if (m_cancelled.Count() == 0) m_PrivateWindow.Destroy();
        return;
    }
    AsyncSocketEvents* owner = m_owner;
    if (!owner) return;
    if (notice.error != 0 || !host) {
        owner->m_Async_AsyncError(notice.task, notice.error);
    } else {
        host->LoadFromAsyncBuffer();
        owner->m_Async_HostResolved(notice.task, *host);
    }
}

void zkAsyncSocket::retire() noexcept {
    m_owner = nullptr;
    while (m_pending.Count() > 0) {
        const LONG key = m_pending.Key(1);
        CancelAsyncRequest(key);
    }
    // What already arrived is handled now (with no owner to hear it), and
    // only this window's messages: the thread's other windows and its
    // WM_QUIT stay for its own loop.
    m_PrivateWindow.ProcessWaitingMessages();
    if (m_cancelled.Count() == 0 || !m_PrivateWindow.hWnd()) {
        delete this;
        return;
    }
    m_retired = true;
    // The window procedure lives in this module: keep it loaded.
    com::lockModule();
}

}  // namespace sockloom
