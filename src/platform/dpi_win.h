#pragma once
#include <windows.h>

// The DPI functions of Windows 10 version 1607 and later, resolved once at run
// time. Importing them would keep the program from loading on Windows 7, 8
// and 8.1 at all; where they are missing, each answers as Windows 7 does:
// one DPI for the whole system, read from the screen.
namespace doumteo::dpi {

// The window's DPI, or the system's for no window or where the function is
// missing.
UINT forWindow(HWND hwnd);
UINT system();
// AdjustWindowRectExForDpi, or AdjustWindowRectEx (which measures the frame
// at the system DPI, the only one there is then).
void adjustWindowRect(RECT& r, DWORD style, DWORD exStyle, UINT dpi);
// GetSystemMetricsForDpi, or GetSystemMetrics.
int systemMetric(int index, UINT dpi);

// Tests: answer as if the newer functions were missing (true) or resolve them
// again (false).
void simulateMissing(bool missing);

}  // namespace doumteo::dpi
