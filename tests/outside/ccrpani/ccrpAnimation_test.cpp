// ccrpAnimation_test.cpp
// The animation control on a hidden parent window: clips, playing, and the
// late-bound members the update dialog calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "ccrpAnimation.h"
#include "common/com/module.h"

using namespace ccrpani;

namespace {

void pumpFor(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(10);
    }
}

class Animation : public ::testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        anim = ccrpAnimation::create(parent, 100, 100, 200, 100, 77);
        ASSERT_NE(anim, nullptr);
    }
    void TearDown() override {
        if (anim) anim->Release();
        if (parent) DestroyWindow(parent);
    }
    RECT placeInParent() const {
        RECT rc;
        GetWindowRect(anim->hwnd(), &rc);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    // Arguments go as a late-bound caller of this bitness sends them:
    // pointer-wide integers (VT_I8 in a 64-bit process).
    HRESULT call(DISPID id, WORD flags, std::vector<LONG_PTR> args, VARIANT* result = nullptr) {
        std::vector<VARIANT> v(args.size());
        for (size_t i = 0; i < args.size(); ++i) {
            VARIANT& x = v[args.size() - 1 - i];
            VariantInit(&x);
            if (sizeof(LONG_PTR) == 8) {
                x.vt = VT_I8;
                x.llVal = args[i];
            } else {
                x.vt = VT_I4;
                x.lVal = static_cast<LONG>(args[i]);
            }
        }
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS p{v.data(), nullptr, static_cast<UINT>(v.size()), 0};
        if (flags == DISPATCH_PROPERTYPUT) {
            p.rgdispidNamedArgs = &named;
            p.cNamedArgs = 1;
        }
        IDispatch* d = anim;
        return d->Invoke(id, IID_NULL, 0, flags, &p, result, nullptr, nullptr);
    }
    HWND parent = nullptr;
    ccrpAnimation* anim = nullptr;
};

TEST_F(Animation, StandardClipPlaysStopsAndCloses) {
    EXPECT_FALSE(anim->visible()) << "made hidden";
    ASSERT_TRUE(anim->openSystemClip(256));
    EXPECT_EQ(anim->frameCount(), 16);
    // Auto-size: one frame, about the old centre.
    RECT rc = placeInParent();
    EXPECT_EQ(rc.right - rc.left, anim->frameSize());
    EXPECT_EQ((rc.left + rc.right) / 2, 200);
    EXPECT_EQ((rc.top + rc.bottom) / 2, 150);

    EXPECT_FALSE(anim->playing());
    ASSERT_TRUE(anim->play());
    EXPECT_TRUE(anim->playing());
    pumpFor(ccrpAnimation::kFrameMs * 4);
    int frame = anim->currentFrame();
    EXPECT_GT(frame, 0) << "frames advance while playing";
    anim->stop();
    EXPECT_FALSE(anim->playing());
    pumpFor(ccrpAnimation::kFrameMs * 3);
    EXPECT_EQ(anim->currentFrame(), frame) << "a stopped clip stands still";
    anim->close();
    EXPECT_FALSE(anim->isOpen());
    EXPECT_FALSE(anim->play()) << "nothing to play";
}

TEST_F(Animation, UnknownClipOpensNothing) {
    ASSERT_TRUE(anim->openSystemClip(150));
    EXPECT_FALSE(anim->openSystemClip(999));
    EXPECT_FALSE(anim->isOpen()) << "the earlier clip is closed too";
    for (long c : {150L, 151L, 152L, 161L, 164L, 256L}) EXPECT_TRUE(isStandardClip(c)) << c;
    EXPECT_FALSE(isStandardClip(69));
}

TEST_F(Animation, ResourceStripGivesItsFrames) {
    ASSERT_TRUE(anim->openResource(GetModuleHandleA(nullptr), 69));
    EXPECT_EQ(anim->frameCount(), 3);
    EXPECT_EQ(anim->frameSize(), 8);
    EXPECT_FALSE(anim->openResource(GetModuleHandleA(nullptr), 70));
    EXPECT_FALSE(anim->openResource(GetModuleHandleA(nullptr), 0));
    EXPECT_FALSE(anim->isOpen());
}

TEST_F(Animation, LateBoundMembers) {
    VARIANT r;
    VariantInit(&r);
    EXPECT_EQ(call(kDispOpenSystem, DISPATCH_METHOD, {256}), S_OK);
    EXPECT_EQ(call(kDispPlay, DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(call(kDispPlaying, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_I4);
    EXPECT_GT(r.lVal, 0);
    EXPECT_EQ(call(kDispStop, DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(call(kDispPlaying, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.lVal, 0);

    EXPECT_EQ(call(kDispVisible, DISPATCH_PROPERTYPUT, {-1}), S_OK);
    EXPECT_TRUE(anim->visible());
    ASSERT_EQ(call(kDispVisible, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_BOOL);
    EXPECT_EQ(r.boolVal, VARIANT_TRUE);
    EXPECT_EQ(call(kDispVisible, DISPATCH_PROPERTYPUT, {0}), S_OK);
    EXPECT_FALSE(anim->visible());

    EXPECT_EQ(call(kDispOpenResource, DISPATCH_METHOD,
                   {reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr)), 69}),
              S_OK);
    EXPECT_EQ(anim->frameCount(), 3);
    EXPECT_EQ(call(kDispClose, DISPATCH_METHOD, {}), S_OK);
    EXPECT_FALSE(anim->isOpen());

    EXPECT_TRUE(FAILED(call(kDispOpenSystem, DISPATCH_METHOD, {999})));
    EXPECT_TRUE(FAILED(call(kDispPlay, DISPATCH_METHOD, {}))) << "no clip open";
    EXPECT_EQ(call(kDispOpenSystem, DISPATCH_METHOD, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(kDispStop, DISPATCH_METHOD, {1}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(0x12345, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(kDispPlaying, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);

    IUnknown* u = nullptr;
    EXPECT_EQ(anim->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)), S_OK);
    u->Release();
    IDispatch* d = nullptr;
    EXPECT_EQ(anim->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)), S_OK);
    d->Release();
    EXPECT_EQ(anim->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&u)), E_NOINTERFACE);
    EXPECT_EQ(u, nullptr);
}

// The last reference takes the object and its window; an added reference
// keeps both.
TEST_F(Animation, LastReleaseTakesObjectAndWindow) {
    const LONG before = com::liveObjects();
    ccrpAnimation* second = ccrpAnimation::create(parent, 0, 0, 50, 50, 78);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(com::liveObjects(), before + 1);
    HWND w = second->hwnd();
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(second->AddRef(), 2u);
    EXPECT_EQ(second->Release(), 1u);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(com::liveObjects(), before);
}

TEST_F(Animation, OutlivesItsWindow) {
    ASSERT_TRUE(anim->openSystemClip(256));
    ASSERT_TRUE(anim->play());
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(anim->hwnd(), nullptr);
    EXPECT_FALSE(anim->playing());
    EXPECT_FALSE(anim->play());
    anim->visible(true);
    EXPECT_FALSE(anim->visible());
    anim->close();
}

} // namespace
