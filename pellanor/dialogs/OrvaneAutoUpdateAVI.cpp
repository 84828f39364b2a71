// OrvaneAutoUpdateAVI.cpp
// The update dialog's animation module: the clip shown in the file list's
// place while files download, driven late-bound on the animation control.
// The animation is decoration: a call that fails leaves the update as it is.
#include "OrvaneAutoUpdate.h"

#include "common/com/dispatch_call.h"
#include "outside/ccrpani/ccrpAnimation.h"

// Arguments are pointer-wide, so a module handle passes whole in a 64-bit
// process.
bool OrvaneAutoUpdate::aviCall(DISPID id, WORD flags, std::initializer_list<LONG_PTR> args, LONG* value) {
    VARIANT v[2];
    if (!animation || args.size() > 2) return false;
    size_t count = 0;
    for (LONG_PTR a : args) {
        VARIANT& x = v[count++];
        VariantInit(&x);
        if constexpr (sizeof(LONG_PTR) == 8) {
            x.vt = VT_I8;
            x.llVal = a;
        } else {
            x.vt = VT_I4;
            x.lVal = static_cast<LONG>(a);
        }
    }
    VARIANT result;
    VariantInit(&result);
    if (FAILED(com::callByDispid(animation, id, flags, v, count, &result, nullptr))) return false;
    VARIANT n;
    VariantInit(&n);
    if (value) *value = SUCCEEDED(VariantChangeType(&n, &result, 0, VT_I4)) ? n.lVal : 0;
    VariantClear(&result);
    return true;
}

void OrvaneAutoUpdate::openAVI(long clip) {
    LONG playing = 0;
    if (!aviCall(ccrpani::kDispPlaying, DISPATCH_PROPERTYGET, {}, &playing)) return;
    if (playing > 0 && !aviCall(ccrpani::kDispStop, DISPATCH_METHOD)) return;
    if (clip == 69)
        aviCall(ccrpani::kDispOpenResource, DISPATCH_METHOD, {reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr)), 69});
    else if (ccrpani::isStandardClip(clip))
        aviCall(ccrpani::kDispOpenSystem, DISPATCH_METHOD, {clip});
}

void OrvaneAutoUpdate::playAVI() { aviCall(ccrpani::kDispPlay, DISPATCH_METHOD); }

void OrvaneAutoUpdate::closeAVI() { aviCall(ccrpani::kDispClose, DISPATCH_METHOD); }

void OrvaneAutoUpdate::showAnimation(bool show) {
    aviCall(ccrpani::kDispVisible, DISPATCH_PROPERTYPUT, {show ? -1L : 0L});
    if (List1) ShowWindow(List1, show ? SW_HIDE : SW_SHOWNA);
}
