// server_dll.h
// The test server DLL, loaded once from beside the test program, and its
// exports.
#pragma once

#include <windows.h>

#include <string>

#include "comtest_server.h"

struct ServerDll {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
    int(WINAPI* modulePath)(char*, int) = nullptr;

    bool loaded() const { return module && getClassObject && canUnloadNow && registerServer && unregisterServer; }
    std::string path() const {
        char buf[MAX_PATH * 2] = {};
        GetModuleFileNameA(module, buf, sizeof buf);
        return buf;
    }
};

// Loads the DLL on first use and keeps it for the rest of the run.
const ServerDll& serverDll();
