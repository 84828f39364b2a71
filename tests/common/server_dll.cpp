// server_dll.cpp
#include "server_dll.h"

namespace {

template <typename F>
void bind(HMODULE m, F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

} // namespace

const ServerDll& serverDll() {
    static const ServerDll dll = [] {
        ServerDll d;
        char exe[MAX_PATH * 2] = {};
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string path = exe;
        path = path.substr(0, path.find_last_of('\\') + 1) + kServerDll;
        d.module = LoadLibraryA(path.c_str());
        if (!d.module) return d;
        bind(d.module, d.getClassObject, "DllGetClassObject");
        bind(d.module, d.canUnloadNow, "DllCanUnloadNow");
        bind(d.module, d.registerServer, "DllRegisterServer");
        bind(d.module, d.unregisterServer, "DllUnregisterServer");
        bind(d.module, d.modulePath, "ComTestModulePath");
        return d;
    }();
    return dll;
}
