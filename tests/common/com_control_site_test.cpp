// com_control_site_test.cpp
// The container's site as a control reaches it: one object behind every
// site interface (IOleWindow through the in-place site), the ambient
// properties it answers and refuses, and the window it hands over.
#include <gtest/gtest.h>

#include <olectl.h>

#include "common/com/control_site.h"
#include "common/com/variant.h"

using com::ComPtr;
using com::ControlSite;

namespace {

// The ambient property id reads as, or its failure.
HRESULT ambient(IDispatch* site, DISPID id, com::Variant& value, WORD flags = DISPATCH_PROPERTYGET) {
    DISPPARAMS none{};
    return site->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, value.put(), nullptr, nullptr);
}

} // namespace

TEST(ControlSite, AnswersEverySiteInterfaceFromOneObject) {
    ComPtr<ControlSite> site = com::make<ControlSite>();
    ComPtr<IOleClientSite> client = site.as<IOleClientSite>();
    ComPtr<IOleInPlaceSite> inPlace = site.as<IOleInPlaceSite>();
    ComPtr<IOleWindow> window = site.as<IOleWindow>();
    ComPtr<IOleControlSite> control = site.as<IOleControlSite>();
    ComPtr<IDispatch> ambients = site.as<IDispatch>();
    ASSERT_TRUE(client && inPlace && window && control && ambients);
    EXPECT_TRUE(com::sameObject(window.get(), client.get()));
    EXPECT_EQ(static_cast<IOleWindow*>(inPlace.get()), window.get()) << "IOleWindow is the in-place site's base";
    // No frame of its own: the control shows its own property frame.
    EXPECT_EQ(control->ShowPropertyFrame(), E_NOTIMPL);
}

TEST(ControlSite, AmbientsAnswerRunModeUnlessToldAndRefuseTheRest) {
    ComPtr<ControlSite> site = com::make<ControlSite>();
    ComPtr<IDispatch> ambients = site.as<IDispatch>();
    IDispatch* d = ambients.get();
    com::Variant v;
    ASSERT_EQ(ambient(d, DISPID_AMBIENT_USERMODE, v), S_OK);
    EXPECT_EQ(V_VT(&v.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v.get()), VARIANT_TRUE);
    site->setUserMode(false);
    ASSERT_EQ(ambient(d, DISPID_AMBIENT_USERMODE, v), S_OK);
    EXPECT_EQ(V_BOOL(&v.get()), VARIANT_FALSE);

    ASSERT_EQ(ambient(d, DISPID_AMBIENT_UIDEAD, v), S_OK);
    EXPECT_EQ(V_BOOL(&v.get()), VARIANT_FALSE);
    ASSERT_EQ(ambient(d, DISPID_AMBIENT_LOCALEID, v), S_OK);
    EXPECT_EQ(V_VT(&v.get()), VT_I4);
    EXPECT_EQ(static_cast<LCID>(V_I4(&v.get())), GetUserDefaultLCID());

    // Unknown ambients and puts are not answered: the control keeps its default.
    EXPECT_EQ(ambient(d, DISPID_AMBIENT_BACKCOLOR, v), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(ambient(d, DISPID_AMBIENT_USERMODE, v, DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
    DISPPARAMS none{};
    EXPECT_EQ(d->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              E_POINTER);
}

TEST(ControlSite, HandsOverItsWindowAndItsClientArea) {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 120, 80, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    ComPtr<ControlSite> site = com::make<ControlSite>(window);
    HWND got = nullptr;
    EXPECT_EQ(site->GetWindow(&got), S_OK);
    EXPECT_EQ(got, window);
    IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(1);
    IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(site->GetWindowContext(&frame, &doc, &position, &clip, &info), S_OK);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(position.right, 120);
    EXPECT_EQ(position.bottom, 80);
    EXPECT_TRUE(EqualRect(&position, &clip));
    EXPECT_EQ(info.hwndFrame, window);
    DestroyWindow(window);

    // Without a window there is none to give.
    ComPtr<ControlSite> bare = com::make<ControlSite>();
    got = window;
    EXPECT_EQ(bare->GetWindow(&got), E_FAIL);
    EXPECT_EQ(got, nullptr);
}
