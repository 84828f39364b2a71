// WinMain.cpp
// verify.exe reads no command line.
#include <windows.h>

#include "verify/Module1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return Module1::Main(); }
