// WinMain.cpp
// The executable's entry point. The program reads no command line.
#include <windows.h>

#include "pellanor/win/Module1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return Module1::Main(); }
