// ccrpAnimation.h
// The animation control of the update dialog: a child window that plays a
// clip of frames on a plain background. A clip comes from a bitmap strip in
// a module's resources (frames side by side, each as wide as the strip is
// high) or is one of the standard clips the control draws itself.
//
// Hosts drive it late-bound, by dispatch identifier, as an ActiveX control
// is driven; the C++ members are the same operations for direct callers.
// The object is a COM object on the project's plumbing (com::Object: one
// IUnknown, counted in the module's live objects); its window belongs to
// the parent given to create and goes with it. Single-threaded: use it on
// the thread that created it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "common/com/object.h"
#include "common/win32/handles.h"

namespace ccrpani {

// Dispatch identifiers the control answers.
inline constexpr DISPID kDispPlaying = 0x68030001;      // get: > 0 while a clip plays
inline constexpr DISPID kDispStop = 0x6003001A;         // stop()
inline constexpr DISPID kDispOpenResource = 0x6003001D; // (instance handle, resource number)
inline constexpr DISPID kDispOpenSystem = 0x6003001F;   // (clip number)
inline constexpr DISPID kDispPlay = 0x60030020;         // play()
inline constexpr DISPID kDispClose = 0x60030022;        // close()
inline constexpr DISPID kDispVisible = static_cast<DISPID>(0x80010007); // get/put Boolean

// The standard clip numbers the control draws itself.
bool isStandardClip(long clip);

class ccrpAnimation final : public com::Object<IDispatch> {
public:
    // Makes the object with one reference (the caller's) and its hidden
    // child window in parent; null when the window could not be made.
    static ccrpAnimation* create(HWND parent, int x, int y, int width, int height, int id);

    // IDispatch without a type library: GetTypeInfoCount reports none;
    // names are not looked up (hosts use the identifiers above).
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    HWND hwnd() const { return m_hwnd; }

    // Opening replaces any open clip (stopped). False when there is no such
    // bitmap or clip; nothing is open then.
    bool openResource(HINSTANCE instance, long resourceId);
    bool openSystemClip(long clip);
    // False when no clip is open.
    bool play();
    void stop();
    void close();
    bool playing() const { return m_playing; }
    bool isOpen() const { return static_cast<bool>(m_strip); }

    void visible(bool show);
    bool visible() const;
    // Design settings: auto-size fits the window to one frame, centre puts
    // the frame in the middle of a larger window.
    void autoSize(bool on) { m_autoSize = on; }
    void center(bool on) { m_center = on; }
    void backColor(COLORREF color);

    int frameCount() const { return m_frames; }
    int currentFrame() const { return m_current; }
    int frameSize() const { return m_frameSize; }
    // Milliseconds a frame shows while playing.
    static constexpr UINT kFrameMs = 80;

private:
    ccrpAnimation() = default;
    ~ccrpAnimation() override;
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void paint(HDC dc);
    bool adopt(win32::Bitmap strip);
    void fit();

    HWND m_hwnd = nullptr;
    win32::Bitmap m_strip;
    int m_frames = 0;
    int m_frameSize = 0;
    int m_current = 0;
    bool m_playing = false;
    bool m_autoSize = true;
    bool m_center = true;
    COLORREF m_back = RGB(255, 255, 255);
};

} // namespace ccrpani
