// ccrpAnimation.cpp
#include "ccrpAnimation.h"

#include <array>
#include <cmath>

namespace ccrpani {
namespace {

constexpr char kClassName[] = "ccrpAnimation";
constexpr UINT_PTR kFrameTimer = 1;
constexpr int kStdSize = 48;
constexpr int kStdFrames = 16;

constexpr std::array<long, 6> kStandardClips = {150, 151, 152, 161, 164, 256};

void fillRect(HDC dc, int l, int t, int r, int b, COLORREF c) {
    RECT rc{l, t, r, b};
    win32::Brush brush(CreateSolidBrush(c));
    FillRect(dc, &rc, brush.get());
}

void ellipse(HDC dc, int l, int t, int r, int b, COLORREF fill, COLORREF line) {
    win32::Brush brush(CreateSolidBrush(fill));
    win32::Pen pen(CreatePen(PS_SOLID, 1, line));
    HGDIOBJ ob = SelectObject(dc, brush.get());
    HGDIOBJ op = SelectObject(dc, pen.get());
    Ellipse(dc, l, t, r, b);
    SelectObject(dc, ob);
    SelectObject(dc, op);
}

// The standard clips: a sheet travelling from a globe to a folder, its
// colour telling the clips apart. Frames side by side, white background.
win32::Bitmap drawStandardClip(long clip) {
    HDC screen = GetDC(nullptr);
    win32::Bitmap strip(CreateCompatibleBitmap(screen, kStdSize * kStdFrames, kStdSize));
    win32::MemoryDC owned(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    if (!strip || !owned) return {};
    HDC dc = owned.get();
    HGDIOBJ old = SelectObject(dc, strip.get());
    const COLORREF sheet = clip == 256 ? RGB(255, 255, 255) : RGB(255, 255, 200 - (clip % 5) * 30);
    for (int f = 0; f < kStdFrames; ++f) {
        const int x0 = f * kStdSize;
        fillRect(dc, x0, 0, x0 + kStdSize, kStdSize, RGB(255, 255, 255));
        // Globe on the left, folder on the right.
        ellipse(dc, x0 + 2, 26, x0 + 20, 44, RGB(60, 120, 220), RGB(20, 60, 140));
        fillRect(dc, x0 + 10, 27, x0 + 12, 43, RGB(40, 160, 80));
        fillRect(dc, x0 + 30, 30, x0 + 46, 44, RGB(230, 190, 60));
        fillRect(dc, x0 + 30, 27, x0 + 37, 30, RGB(230, 190, 60));
        // The sheet follows an arc between them.
        const double t = static_cast<double>(f) / (kStdFrames - 1);
        const int sx = x0 + 6 + static_cast<int>(t * 26);
        const int sy = 24 - static_cast<int>(std::sin(t * 3.14159265) * 20);
        fillRect(dc, sx - 1, sy - 1, sx + 11, sy + 13, RGB(90, 90, 90));
        fillRect(dc, sx, sy, sx + 10, sy + 12, sheet);
        for (int line = 0; line < 3; ++line) fillRect(dc, sx + 2, sy + 3 + line * 3, sx + 8, sy + 4 + line * 3, RGB(120, 120, 120));
    }
    SelectObject(dc, old);
    return strip;
}

bool registerClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA; // replaced per window below
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

long argLong(DISPPARAMS* p, UINT index, HRESULT& hr) {
    // Arguments arrive last first.
    VARIANT v;
    VariantInit(&v);
    hr = VariantChangeType(&v, &p->rgvarg[p->cArgs - 1 - index], 0, VT_I4);
    return SUCCEEDED(hr) ? v.lVal : 0;
}

// A module handle: as wide as a pointer, so a 64-bit caller passes it whole
// (VT_I8); a 32-bit one passes a long.
HINSTANCE argInstance(DISPPARAMS* p, UINT index, HRESULT& hr) {
    VARIANT v;
    VariantInit(&v);
    hr = VariantChangeType(&v, &p->rgvarg[p->cArgs - 1 - index], 0, sizeof(void*) == 8 ? VT_I8 : VT_I4);
    if (FAILED(hr)) return nullptr;
    const LONG_PTR value = sizeof(void*) == 8 ? static_cast<LONG_PTR>(v.llVal) : v.lVal;
    return reinterpret_cast<HINSTANCE>(value);
}

} // namespace

bool isStandardClip(long clip) {
    for (long c : kStandardClips)
        if (c == clip) return true;
    return false;
}

ccrpAnimation* ccrpAnimation::create(HWND parent, int x, int y, int width, int height, int id) {
    if (!registerClass()) return nullptr;
    auto* self = new ccrpAnimation();
    self->AddRef(); // the caller's reference
    self->m_hwnd = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_CLIPSIBLINGS, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (!self->m_hwnd) {
        self->Release();
        return nullptr;
    }
    SetWindowLongPtrA(self->m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetWindowLongPtrA(self->m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    return self;
}

ccrpAnimation::~ccrpAnimation() {
    close();
    if (m_hwnd) {
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

LRESULT CALLBACK ccrpAnimation::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ccrpAnimation*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_TIMER:
        if (wp == kFrameTimer && self->m_playing && self->m_frames > 0) {
            self->m_current = (self->m_current + 1) % self->m_frames;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        // The parent took the window with it; the object lives on without.
        self->m_playing = false;
        self->m_hwnd = nullptr;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcA(hwnd, msg, wp, lp);
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void ccrpAnimation::paint(HDC dc) {
    RECT rc;
    GetClientRect(m_hwnd, &rc);
    fillRect(dc, 0, 0, rc.right, rc.bottom, m_back);
    if (!m_strip) return;
    const int x = m_center ? (rc.right - m_frameSize) / 2 : 0;
    const int y = m_center ? (rc.bottom - m_frameSize) / 2 : 0;
    win32::MemoryDC mem(CreateCompatibleDC(dc));
    HGDIOBJ old = SelectObject(mem.get(), m_strip.get());
    BitBlt(dc, x, y, m_frameSize, m_frameSize, mem.get(), m_current * m_frameSize, 0, SRCCOPY);
    SelectObject(mem.get(), old);
}

bool ccrpAnimation::adopt(win32::Bitmap strip) {
    close();
    BITMAP bm{};
    if (!strip || !GetObjectA(strip.get(), sizeof bm, &bm) || bm.bmHeight <= 0 || bm.bmWidth < bm.bmHeight)
        return false;
    m_strip = std::move(strip);
    m_frameSize = bm.bmHeight;
    m_frames = bm.bmWidth / bm.bmHeight;
    m_current = 0;
    fit();
    return true;
}

void ccrpAnimation::fit() {
    if (!m_hwnd) return;
    if (m_autoSize && m_strip) {
        // Grow or shrink about the window's centre.
        RECT rc;
        GetWindowRect(m_hwnd, &rc);
        MapWindowPoints(nullptr, GetParent(m_hwnd), reinterpret_cast<POINT*>(&rc), 2);
        const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
        MoveWindow(m_hwnd, cx - m_frameSize / 2, cy - m_frameSize / 2, m_frameSize, m_frameSize, TRUE);
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

bool ccrpAnimation::openResource(HINSTANCE instance, long resourceId) {
    if (resourceId <= 0 || resourceId > 0xFFFF) {
        close();
        return false;
    }
    return adopt(win32::Bitmap(
        static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, 0))));
}

bool ccrpAnimation::openSystemClip(long clip) {
    if (!isStandardClip(clip)) {
        close();
        return false;
    }
    return adopt(drawStandardClip(clip));
}

bool ccrpAnimation::play() {
    if (!m_strip || !m_hwnd) return false;
    if (!m_playing) SetTimer(m_hwnd, kFrameTimer, kFrameMs, nullptr);
    m_playing = true;
    return true;
}

void ccrpAnimation::stop() {
    if (m_hwnd) KillTimer(m_hwnd, kFrameTimer);
    m_playing = false;
}

void ccrpAnimation::close() {
    stop();
    m_strip.reset();
    m_frames = 0;
    m_frameSize = 0;
    m_current = 0;
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
}

void ccrpAnimation::visible(bool show) {
    if (m_hwnd) ShowWindow(m_hwnd, show ? SW_SHOWNA : SW_HIDE);
}

bool ccrpAnimation::visible() const { return m_hwnd && (GetWindowLongA(m_hwnd, GWL_STYLE) & WS_VISIBLE); }

void ccrpAnimation::backColor(COLORREF color) {
    m_back = color;
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
}

// ---------------------------------------------------------------- COM

HRESULT STDMETHODCALLTYPE ccrpAnimation::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ccrpAnimation::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out) *out = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE ccrpAnimation::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

// Seven members, so the dispatch is a switch rather than a type library.
HRESULT STDMETHODCALLTYPE ccrpAnimation::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                                VARIANT* result, EXCEPINFO*, UINT* argErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{};
    if (!params) params = &none;
    if (result) VariantInit(result);
    const bool isGet = (flags & DISPATCH_PROPERTYGET) != 0;
    const bool isPut = (flags & DISPATCH_PROPERTYPUT) != 0;
    const bool isCall = (flags & DISPATCH_METHOD) != 0;
    auto needArgs = [&](UINT n) { return params->cArgs == n; };
    HRESULT hr = S_OK;
    try {
        switch (id) {
        case kDispPlaying:
            if (!isGet || !needArgs(0)) return DISP_E_MEMBERNOTFOUND;
            if (result) {
                result->vt = VT_I4;
                result->lVal = m_playing ? 1 : 0;
            }
            return S_OK;
        case kDispVisible:
            if (isPut) {
                if (!needArgs(1)) return DISP_E_BADPARAMCOUNT;
                long v = argLong(params, 0, hr);
                if (FAILED(hr)) {
                    if (argErr) *argErr = 0;
                    return DISP_E_TYPEMISMATCH;
                }
                visible(v != 0);
                return S_OK;
            }
            if (!isGet || !needArgs(0)) return DISP_E_MEMBERNOTFOUND;
            if (result) {
                result->vt = VT_BOOL;
                result->boolVal = visible() ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        case kDispStop:
        case kDispPlay:
        case kDispClose:
            if (!isCall) return DISP_E_MEMBERNOTFOUND;
            if (!needArgs(0)) return DISP_E_BADPARAMCOUNT;
            if (id == kDispStop) stop();
            if (id == kDispClose) close();
            if (id == kDispPlay && !play()) return E_FAIL;
            return S_OK;
        case kDispOpenResource:
        case kDispOpenSystem: {
            if (!isCall) return DISP_E_MEMBERNOTFOUND;
            const UINT n = id == kDispOpenResource ? 2 : 1;
            if (!needArgs(n)) return DISP_E_BADPARAMCOUNT;
            HINSTANCE instance = nullptr;
            std::array<long, 2> a{};
            for (UINT i = 0; i < n; ++i) {
                if (id == kDispOpenResource && i == 0)
                    instance = argInstance(params, i, hr);
                else
                    a[i] = argLong(params, i, hr);
                if (FAILED(hr)) {
                    if (argErr) *argErr = params->cArgs - 1 - i;
                    return DISP_E_TYPEMISMATCH;
                }
            }
            bool ok = id == kDispOpenResource ? openResource(instance, a[1]) : openSystemClip(a[0]);
            return ok ? S_OK : E_INVALIDARG;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace ccrpani
