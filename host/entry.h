// The process entry.
#pragma once

#include "winapi.h"

// The command line without the program name and the blanks after it.
LPCSTR CommandLineTail(LPCSTR commandLine);

#ifndef _WIN32
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int show);
#endif
