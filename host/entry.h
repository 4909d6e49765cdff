// The process entry.
#pragma once

#include "winapi.h"

// The command line without the program name and the blanks after it.
LPCSTR CommandLineTail(LPCSTR commandLine);

#ifndef _WIN32
// What a saver run for one of several screens adds to the time that seeds
// its series, so savers started in the same second differ.
void SetSeriesSeedOffset(DWORD offset);
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int show);
#endif
