// zkHTTP10.cpp
#include "zkHTTP10.h"

#include <algorithm>
#include <new>
#include <vector>

#include "LocalFile.h"
#include "zkSockName.h"

namespace sockloom {

using namespace GlobalFunctions;

namespace {

constexpr char kFormContent[] = "application/x-www-form-urlencoded";

// An optional text argument: its value, or fallback when it is missing.
std::wstring optionalText(const VARIANT* v, const wchar_t* fallback) {
    if (!v || com::isMissing(*v)) return fallback;
    com::Bstr text;
    if (FAILED(com::toBstr(*v, text))) return fallback;
    return std::wstring(text.view());
}

std::string ansi(std::wstring_view text) { return com::toAnsi(text); }

// Characters the system's ANSI code page makes of these bytes.
LONG textLength(std::string_view bytes) noexcept {
    if (bytes.empty()) return 0;
    return MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
}

}  // namespace

HRESULT zkHTTP10::init() {
    m_tcps = com::make<zkTCP>();
    if (!m_tcps) return E_OUTOFMEMORY;
    m_tcps->setListener(this);
    m_tcps->put_InternalEarlyBound(VARIANT_TRUE);
    return S_OK;
}

zkHTTP10::~zkHTTP10() {
    Reset();
    if (m_tcps) {
        m_tcps->put_InternalEarlyBound(VARIANT_FALSE);
        m_tcps->setListener(nullptr);
    }
    m_tcps = nullptr;
}

void* zkHTTP10::queryOther(REFIID riid) noexcept {
    return riid == IID__zkHTTP10_1_0 ? static_cast<_zkHTTP10*>(this) : nullptr;
}

HRESULT zkHTTP10::get_URL(BSTR* URL) { return com::Bstr(std::wstring_view(m_URL)).releaseTo(URL); }

bool zkHTTP10::parse(const std::wstring& url, const std::wstring& proxy) {
    const std::optional<http::Target> target = http::parseTarget(ansi(url), ansi(proxy));
    if (!target) return false;
    m_target = *target;
    m_haveAddress = false;
    return true;
}

HRESULT zkHTTP10::putTarget(BSTR value, bool isProxy) {
    return com::guard([&] {
        const std::wstring text(com::bstrView(value));
        std::wstring& field = isProxy ? m_Proxy : m_URL;
        if (text == field) return S_OK;
        if (!parse(isProxy ? m_URL : text, isProxy ? text : m_Proxy)) return RaiseLibError(4, IID__zkHTTP10);
        field = text;
        return S_OK;
    });
}

HRESULT zkHTTP10::put_URL(BSTR URL) { return putTarget(URL, false); }

HRESULT zkHTTP10::get_Proxy(BSTR* Proxy) { return com::Bstr(std::wstring_view(m_Proxy)).releaseTo(Proxy); }

HRESULT zkHTTP10::put_Proxy(BSTR Proxy) { return putTarget(Proxy, true); }

HRESULT zkHTTP10::get_RetrieveMode(zkRetrieveMode* RetrieveMode) { return give(RetrieveMode, m_RetrieveMode); }

HRESULT zkHTTP10::put_RetrieveMode(zkRetrieveMode RetrieveMode) {
    if (RetrieveMode != zkRetrieveText && RetrieveMode != zkRetrieveByteArray) {
        return RaiseLibError(1, IID__zkHTTP10);
    }
    m_RetrieveMode = RetrieveMode;
    return S_OK;
}

HRESULT zkHTTP10::get_HTTPHeader(BSTR* HTTPHeader) {
    return com::guard([&] { return com::ansiToBstr(m_response.header(), HTTPHeader); });
}

HRESULT zkHTTP10::Execute2(VARIANT* URL, VARIANT* Operation, VARIANT* Data, VARIANT* Headers, VARIANT* OutputFile,
                           VARIANT* ContentType, LONG* rc) {
    return com::guard([&] {
        const std::string type = ansi(optionalText(ContentType, L"application/x-www-form-urlencoded"));
        return execute(URL, Operation, Data, Headers, OutputFile, type, rc);
    });
}

HRESULT zkHTTP10::Execute(VARIANT* URL, VARIANT* Operation, VARIANT* Data, VARIANT* Headers, VARIANT* OutputFile,
                          LONG* rc) {
    return com::guard([&] { return execute(URL, Operation, Data, Headers, OutputFile, kFormContent, rc); });
}

HRESULT zkHTTP10::execute(VARIANT* URL, VARIANT* Operation, VARIANT* Data, VARIANT* Headers, VARIANT* OutputFile,
                          const std::string& ContentType, LONG* rc) {
    COM_TRACE("zkHTTP10::Execute2 (state %d)", m_state);
    if (!rc) return E_POINTER;
    *rc = 0;
    if (m_state != kIdle) return RaiseLibError(2, IID__zkHTTP10);
    const std::wstring url = optionalText(URL, L"");
    // A malformed URL is refused before anything changes; so is a request
    // with no URL at all, whose empty host would otherwise be looked up
    // as this machine.
    std::optional<http::Target> next;
    if (!url.empty() && url != m_URL) {
        next = http::parseTarget(ansi(url), ansi(m_Proxy));
        if (!next) return RaiseLibError(4, IID__zkHTTP10);
    }
    if ((url.empty() && m_URL.empty()) || (next ? *next : m_target).host.empty()) {
        return RaiseLibError(4, IID__zkHTTP10);
    }
    const std::string operation = ansi(optionalText(Operation, L"GET"));
    const std::string headers = ansi(optionalText(Headers, L""));
    // Nothing the caller gives may end a request line or the header block
    // early, or start a second request on the connection.
    if (!http::lineSafe(operation) || !http::lineSafe(ContentType) || !http::headersSafe(headers)) {
        return RaiseLibError(1, IID__zkHTTP10);
    }
    m_ContentType = ContentType;
    m_OutputFile = ansi(optionalText(OutputFile, L""));
    // A file left open by an earlier request that never started is closed.
    m_file.reset();
    if (!m_OutputFile.empty()) {
        DeleteFileA(m_OutputFile.c_str());
        m_file.reset(CreateFileA(m_OutputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file) return RaiseLibError(3, IID__zkHTTP10);
    }
    if (!url.empty() && url != m_URL) {
        parse(url, m_Proxy);
        m_URL = url;
    }
    m_Operation = operation;
    m_Data = ansi(optionalText(Data, L""));
    m_Headers = headers;
    if (!m_haveAddress) {
        const unsigned long address = intinet_addr(m_target.host.c_str());
        if (address == INADDR_NONE) {
            m_state = kResolving;
            const com::Bstr host = com::Bstr::fromAnsi(m_target.host);
            LONG task = 0;
            m_tcps->WSAAsyncGetHostByName(host.get(), &task);
            m_task = task;
            if (task == 0) {
                *rc = intWSAGetLastError();
                m_state = kIdle;
                closeFile(true);
            }
            return S_OK;
        }
        m_address = sockaddr_in{};
        m_address.sin_family = AF_INET;
        m_address.sin_addr.s_addr = address;
        m_address.sin_port = inthtons(m_target.port);
        m_haveAddress = true;
    }
    startConnection();
    return S_OK;
}

void zkHTTP10::startConnection() {
    m_body.clear();
    m_bodyArray.clear();
    m_bodyBytes = 0;
    m_count = 0;
    m_response.reset();
    com::ComPtr<_zkSockName> any = zkSockName::fromSockAddr(sockaddr_in{});
    LONG error = 0;
    m_current = m_tcps->clientSocket(any.get(), error);
    if (m_current) {
        m_current->WidenReceiveBuffer(kBulkReceiveBuffer);
        com::ComPtr<_zkSockName> to = zkSockName::fromSockAddr(m_address);
        _zkSockName* toRef = to.get();
        LONG r = -1;
        if (SUCCEEDED(m_current->Connect(&toRef, &r)) &&
            (r == 0 || (r == SOCKET_ERROR && intWSAGetLastError() == kWSAEWOULDBLOCK))) {
            m_state = kConnecting;
            return;
        }
    }
    // A socket that cannot connect is not left in the collection.
    dropRequest();
    raiseObjectError(3);
}

void zkHTTP10::tcpHostResolved(LONG AsyncHandle, _zkHostEnt* host) {
    if (m_state != kResolving || AsyncHandle != m_task || m_task == 0) return;
    m_task = 0;
    SHORT count = 0;
    LONG address = 0;
    if (host && SUCCEEDED(host->get_AddressCount(&count)) && count > 0 && SUCCEEDED(host->get_Address(1, &address))) {
        m_address = sockaddr_in{};
        m_address.sin_family = AF_INET;
        m_address.sin_addr.s_addr = static_cast<u_long>(address);
        m_address.sin_port = inthtons(m_target.port);
        m_haveAddress = true;
        startConnection();
        return;
    }
    m_state = kIdle;
    closeFile(true);
    raiseObjectError(1);
}

void zkHTTP10::tcpAsyncError(LONG AsyncHandle, LONG) {
    if (m_state != kResolving || AsyncHandle != m_task || m_task == 0) return;
    m_task = 0;
    m_state = kIdle;
    closeFile(true);
    raiseObjectError(1);
}

void zkHTTP10::tcpConnectComplete(zkSocket& socket) {
    if (m_state != kConnecting || &socket != m_current.get()) return;
    const http::Request request{.operation = m_Operation,
                                .path = m_target.path,
                                .host = m_target.host,
                                .headers = m_Headers,
                                .data = m_Data,
                                .contentType = m_ContentType};
    const std::string text = http::buildRequest(request);
    VARIANT buffer;
    com::Variant::fromBytes({reinterpret_cast<const BYTE*>(text.data()), text.size()}).releaseTo(&buffer);
    LONG error = 0, sent = 0;
    const com::ComPtr<zkSocket> keep = m_current;
    const HRESULT hr = keep->Send(&buffer, &error, &sent);
    VariantClear(&buffer);
    if (SUCCEEDED(hr) && (sent != 0 || error == kWSAEWOULDBLOCK)) {
        m_state = kReceiving;
        return;
    }
    dropRequest();
    raiseObjectError(3);
    Reset();
}

void zkHTTP10::prepareBody() {
    if (m_file || headRequest()) return;
    const std::int32_t announced = m_response.contentLength();
    // A body announced past the limit is read as before and refused when it
    // passes it. Memory is taken as the bytes come, never much ahead of
    // them: a header alone costs the client little, whatever it announces.
    if (announced <= 0 || static_cast<size_t>(announced) > m_body.limit()) return;
    if (m_RetrieveMode == zkRetrieveByteArray) {
        m_bodyArray.prepare(static_cast<size_t>(announced));
    } else {
        m_body.reserve(std::min(static_cast<size_t>(announced), BodyArray::kStep));
    }
}

bool zkHTTP10::bodyPiece(std::span<const std::uint8_t> bytes) {
    const std::string_view piece(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (m_file) {
        // A full disk or a locked file must not pass for a whole body.
        if (!writeWhole(m_file.get(), bytes)) {
            failTransfer();
            return false;
        }
    } else if (m_bodyArray.ready()) {
        // The same limit as the ordinary road.
        if (bytes.size() > m_body.limit() - m_bodyArray.size() || !m_bodyArray.append(bytes)) {
            failTransfer();
            return false;
        }
    } else if (!m_body.append(piece)) {
        // Past what a 32-bit count holds, or no memory for it.
        failTransfer();
        return false;
    }
    m_bodyBytes += static_cast<std::int64_t>(piece.size());
    // The text is made from all the bytes at the end, so a character split
    // across pieces stays whole; the count follows the pieces. A file may
    // pass 2 GB: its count stops at the largest 32-bit number.
    const std::int64_t grown =
        m_count + (!m_file && m_RetrieveMode == zkRetrieveText ? textLength(piece) : static_cast<LONG>(piece.size()));
    m_count = static_cast<LONG>(std::min<std::int64_t>(grown, 0x7FFFFFFF));
    raise(events::zkHTTP10::HTTPDataTransferred, {com::argLong(m_count)});
    return true;
}

void zkHTTP10::failTransfer() {
    raiseObjectError(4);
    endTransfer(true);
}

std::span<std::uint8_t> zkHTTP10::tcpReadRoom(zkSocket& socket) {
    // Body bytes of a sized byte array are read straight into it.
    if (&socket != m_current.get() || m_state != kReceiving || !m_response.headerComplete() || m_file) return {};
    return m_bodyArray.room();
}

void zkHTTP10::tcpDataReceived(zkSocket& socket, std::span<const std::uint8_t> bytes) {
    if (&socket != m_current.get() || m_state != kReceiving) return;
    const bool headerBefore = m_response.headerComplete();
    const http::PieceResult r = m_response.feed(bytes);
    if (r.tooLong) {
        failTransfer();
        return;
    }
    if (r.failed) {
        const com::Bstr code = com::Bstr::fromAnsi(r.code);
        const com::Bstr reason = com::Bstr::fromAnsi(r.reason);
        raise(events::zkHTTP10::HTTPError, {com::argBstr(code.get()), com::argBstr(reason.get())});
        endTransfer(true);
        return;
    }
    if (r.headerCompleted) prepareBody();
    if (!headerBefore && !r.headerCompleted) return;
    // Bytes far past the announced length are no part of this response: it
    // ends before they are kept, however much more the server would send.
    const std::int32_t announced = m_response.contentLength();
    const bool lengthAnnounced = m_response.lengthAnnounced();
    if (http::bodyTooLong(announced, m_bodyBytes + static_cast<std::int64_t>(r.body.size()), lengthAnnounced)) {
        failTransfer();
        return;
    }
    if (!bodyPiece(r.body) || m_state != kReceiving || &socket != m_current.get()) return;
    // The whole announced body is the whole response, whether or not the
    // server closes after it, and so is a header that announces none (an
    // empty body, or the answer to HEAD); without a length only the close
    // ends it.
    if (http::wholeWithHeader(lengthAnnounced, announced, headRequest()) ||
        (announced > 0 && m_bodyBytes >= announced)) {
        finishResponse();
    }
}

bool zkHTTP10::headRequest() const noexcept { return lstrcmpiA(m_Operation.c_str(), "HEAD") == 0; }

void zkHTTP10::tcpSocketClosed(zkSocket& socket) {
    if (m_state != kReceiving || &socket != m_current.get()) return;
    finishResponse();
}

void zkHTTP10::finishResponse() {
    // No response, a body shorter than announced or one too long is never
    // reported as a complete transfer.
    if (http::responseEnding(m_response.headerComplete(), m_response.contentLength(), m_bodyBytes, !headRequest()) !=
        http::Ending::Complete) {
        failTransfer();
        return;
    }
    if (m_file) {
        // No flush to the disk: a full disk already refused the write of
        // its piece, and forcing a large body out before HTTPReady costs
        // as much as the transfer itself.
        m_file.reset();
    } else {
        com::Variant body;
        try {
            const std::string& bytes = m_body.bytes();
            if (m_bodyArray.ready()) {
                body = m_bodyArray.take();
            } else if (m_RetrieveMode == zkRetrieveText) {
                body = com::Variant::fromBstr(com::Bstr::fromAnsi(bytes));
            } else {
                body = com::Variant::fromBytes({reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()});
            }
        } catch (const std::bad_alloc&) {
            failTransfer();
            return;
        }
        m_body.clear();
        VARIANT slot;
        body.releaseTo(&slot);
        raise(events::zkHTTP10::HTTPDataReceived, {com::refVariant(&slot)});
        VariantClear(&slot);
    }
    endTransfer(false);
}

void zkHTTP10::tcpSocketError(zkSocket* socket, LONG) {
    // The request cannot go on: its file is let go and nothing more of its
    // connection is taken; the state waits for Reset, as callers expect.
    if (!socket || socket == m_current.get()) dropRequest();
    raiseObjectError(5);
}

void zkHTTP10::dropRequest() {
    closeFile(true);
    dropSocket();
    m_body.clear();
    m_bodyArray.clear();
}

void zkHTTP10::endTransfer(bool deleteFile) {
    closeFile(deleteFile);
    // A failed body's memory is given back now, not at the next request.
    m_body.clear();
    m_bodyArray.clear();
    dropSocket();
    m_state = kIdle;
    raiseReady();
}

void zkHTTP10::dropSocket() {
    if (!m_current) return;
    _zkSocket* s = m_current.get();
    m_tcps->DestroyTCPSocket(&s);
    m_current = nullptr;
}

void zkHTTP10::closeFile(bool deleteIt) {
    if (!m_file) return;
    m_file.reset();
    if (deleteIt) DeleteFileA(m_OutputFile.c_str());
}

HRESULT zkHTTP10::Reset() {
    if (m_task != 0) {
        if (zkSockets* s = m_tcps ? m_tcps->sockets() : nullptr) s->CancelAsyncRequest(m_task);
        m_task = 0;
    }
    closeFile(false);
    dropSocket();
    m_state = kIdle;
    return S_OK;
}

}  // namespace sockloom
