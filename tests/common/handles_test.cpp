// handles_test.cpp
// The shared handle owners: each frees its handle with the call its kind
// takes, once, when the last owner it was moved to goes; an owner moved
// from frees nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "common/win32/handles.h"

namespace {

bool gdiAlive(HGDIOBJ h) { return GetObjectType(h) != 0; }

bool iconAlive(HICON h) {
    ICONINFO info{};
    if (!GetIconInfo(h, &info)) return false;
    win32::Bitmap colour(info.hbmColor), mask(info.hbmMask);
    return true;
}

TEST(HandleOwners, AHandleIsFreedOnceByTheLastOwnerItWasMovedTo) {
    win32::Brush first(CreateSolidBrush(RGB(1, 2, 3)));
    ASSERT_TRUE(first);
    const HBRUSH brush = first.get();
    {
        win32::Brush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), brush);
        first.reset();
        EXPECT_TRUE(gdiAlive(brush)) << "the owner moved from freed it";
        win32::Brush third;
        third = std::move(second);
        EXPECT_TRUE(gdiAlive(brush)) << "a move assignment freed it";
    }
    EXPECT_FALSE(gdiAlive(brush)) << "its last owner left it";

    win32::Pen kept(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))), replaced(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
    const HPEN old = replaced.get(), pen = kept.get();
    replaced = std::move(kept);
    EXPECT_FALSE(gdiAlive(old)) << "the handle a move assignment replaces is freed";
    EXPECT_TRUE(gdiAlive(pen));
}

TEST(HandleOwners, IconsAndMemoryDCsGoWithTheirOwnCalls) {
    HICON icon = nullptr;
    {
        win32::Icon owner(CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))));
        ASSERT_TRUE(owner);
        icon = owner.get();
        EXPECT_TRUE(iconAlive(icon));
    }
    EXPECT_FALSE(iconAlive(icon));

    HDC dc = nullptr;
    {
        win32::MemoryDC owner(CreateCompatibleDC(nullptr));
        ASSERT_TRUE(owner);
        dc = owner.get();
        EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(dc), 0u);
}

} // namespace
