// The saver window's link to the animation: device context, palette, timer
// and one animation step per tick.
#pragma once

#include "winapi.h"

// Created at window creation on 8-bit displays only.
extern HPALETTE saverPalette;
// What selecting saverPalette displaced; selected back at destruction.
extern HPALETTE previousPalette;
// Low 16 bits of SetTimer's result; nonzero means timer 1 must be killed.
extern WORD timerResult;

// Second link of the saver window's chain: consumes WM_ERASEBKGND and hands
// every other message on to SaverFallbackProc.
LRESULT CALLBACK SaverProcedure(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);
