// zkHTTP10.h
// One HTTP/1.0 resource at a time over the object's own zkTCP, directly
// or through a proxy, any method, optional headers and body; the body
// arrives as text, as a byte array, or into a file. Execute2 only starts
// the work: progress, errors and the end come as events (or late-bound
// calls on CallBackObject), all on the creating thread's message loop.
// No redirects, no time-outs, no keep-alive: the server's close ends the
// response, or the last byte of the length it announced, or the header
// itself when it announces an empty body or answers HEAD (the connection
// is then closed). The protocol itself is in core/http10.
//
// HTTPObjectError codes: 1 look-up failed; 3 the connection cannot start
// or the request cannot be sent; 4 the transfer did not arrive whole (the
// body longer or shorter than announced, no response before the close, a
// header past its limit, the output file refused the bytes, or the
// in-memory limit was passed), always followed by HTTPReady with the
// output file deleted; 5 a socket error was reported. Every failure
// closes and deletes the output file when it is raised; after 3 and 5 the
// object stays busy until Reset.
#pragma once

#include "winsock_names.h"

#include <optional>
#include <string>

#include "BodyArray.h"
#include "CallBack.h"
#include "EarlierVersions.h"
#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "common/win32/handles.h"
#include "core/body_buffer.h"
#include "core/http10.h"
#include "events.h"
#include "zkTCP.h"

namespace sockloom {

class zkHTTP10 final : public com::Object<CallBackDispatch<_zkHTTP10>, com::SupportErrorInfo<_zkHTTP10>,
                                          com::ProvideClassInfo2<::zkHTTP10, __zkHTTP10>,
                                          com::ConnectionPoints<__zkHTTP10, __zkHTTP10_1_0>>,
                       private TcpListener {
public:
    HRESULT init();
    ~zkHTTP10() override;

    HRESULT STDMETHODCALLTYPE get_URL(BSTR* URL) override;
    HRESULT STDMETHODCALLTYPE put_URL(BSTR URL) override;
    HRESULT STDMETHODCALLTYPE get_Proxy(BSTR* Proxy) override;
    HRESULT STDMETHODCALLTYPE put_Proxy(BSTR Proxy) override;
    HRESULT STDMETHODCALLTYPE get_RetrieveMode(zkRetrieveMode* RetrieveMode) override;
    HRESULT STDMETHODCALLTYPE put_RetrieveMode(zkRetrieveMode RetrieveMode) override;
    HRESULT STDMETHODCALLTYPE get_HTTPHeader(BSTR* HTTPHeader) override;
    HRESULT STDMETHODCALLTYPE Execute2(VARIANT* URL, VARIANT* Operation, VARIANT* Data, VARIANT* Headers,
                                       VARIANT* OutputFile, VARIANT* ContentType, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Execute(VARIANT* URL, VARIANT* Operation, VARIANT* Data, VARIANT* Headers,
                                      VARIANT* OutputFile, LONG* rc) override;
    HRESULT STDMETHODCALLTYPE Reset() override;

    // A body kept in memory stops at this many bytes (object error 4); the
    // most a 32-bit count reports unless lowered (tests).
    void setMemoryLimit(size_t bytes) noexcept { m_body = BodyBuffer(bytes); }

protected:
    void* queryOther(REFIID riid) noexcept override;

private:
    enum State : short { kIdle = 0, kResolving = 1, kConnecting = 2, kReceiving = 3 };

    void tcpDataReceived(zkSocket& socket, std::span<const std::uint8_t> bytes) override;
    void tcpConnectComplete(zkSocket& socket) override;
    void tcpSocketClosed(zkSocket& socket) override;
    void tcpSocketError(zkSocket* socket, LONG ErrorCode) override;
    void tcpAsyncError(LONG AsyncHandle, LONG Errval) override;
    void tcpHostResolved(LONG AsyncHandle, _zkHostEnt* host) override;
    std::span<std::uint8_t> tcpReadRoom(zkSocket& socket) override;

    HRESULT execute(VARIANT* URL, VARIANT* Operation, VARIANT* Data, VARIANT* Headers, VARIANT* OutputFile,
                    const std::string& ContentType, LONG* rc);
    // Parses the proxy, or the URL; false (nothing changed) when malformed.
    bool parse(const std::wstring& url, const std::wstring& proxy);
    // URL and Proxy puts: a changed text is parsed, and kept when sound.
    HRESULT putTarget(BSTR value, bool isProxy);
    void startConnection();
    // Once the header is read: the announced body's memory prepared, to be
    // taken as its bytes come.
    void prepareBody();
    // False when the piece cannot be kept (the file refused it, or memory
    // ran out): the transfer has then been failed.
    bool bodyPiece(std::span<const std::uint8_t> bytes);
    // The body cannot be had whole: object error 4, the file deleted, idle.
    void failTransfer();
    // The server closed, or the announced body is in: delivered when it
    // is whole, else object error 4.
    void finishResponse();
    // A request that cannot go on (object errors 3 and 5): its output file
    // closed and deleted, its socket and body let go, the state kept.
    void dropRequest();
    bool headRequest() const noexcept;
    // A failed transfer: its error already raised, the file deleted, idle.
    void endTransfer(bool deleteFile);
    void dropSocket();
    void closeFile(bool deleteIt);

    void raise(const events::Event& event, std::initializer_list<VARIANT> args) { raiseEvent(*this, event, args); }
    void raiseObjectError(LONG code) { raise(events::zkHTTP10::HTTPObjectError, {com::argLong(code)}); }
    void raiseReady() { raise(events::zkHTTP10::HTTPReady, {com::argLong(0)}); }

    com::ComPtr<zkTCP> m_tcps;
    std::wstring m_URL;
    std::wstring m_Proxy;
    http::Target m_target;
    bool m_haveAddress = false;
    sockaddr_in m_address{};
    zkRetrieveMode m_RetrieveMode = zkRetrieveText;
    std::string m_Operation, m_Data, m_Headers, m_ContentType;
    std::string m_OutputFile;
    win32::File m_file;
    LONG m_task = 0;
    com::ComPtr<zkSocket> m_current;
    short m_state = kIdle;
    http::ResponseParser m_response;
    BodyBuffer m_body;
    // A byte-array body whose length was announced goes here instead, read
    // straight into the array that is delivered.
    BodyArray m_bodyArray;
    // Body bytes received, for the length check at the end.
    std::int64_t m_bodyBytes = 0;
    LONG m_count = 0;
};

}  // namespace sockloom
