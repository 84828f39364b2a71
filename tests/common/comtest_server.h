// comtest_server.h
// What the tests know about the test server DLL: its file name, the
// classes and names it registers.
#pragma once

#include <windows.h>

inline constexpr char kServerDll[] = "comtest_server.dll";
inline constexpr char kCounterProgId[] = "ComTest.Counter.1";
inline constexpr char kCounterViProgId[] = "ComTest.Counter";
inline constexpr char kControlProgId[] = "ComTest.Control.1";
// A second class of the server, registered as a control; not in the type
// library (as a property page's class is not).
inline constexpr CLSID kClsidTestControl = {0x5b1c4d2e, 0x7a60, 0x4e11, {0x9c, 0x3b, 0x2f, 0x4a, 0x6d, 0x8e, 0x10, 0x05}};
