// Stands in for the maker's product: a process that just stays running
// under whatever executable name it was copied to, until it is killed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  for (;;) Sleep(INFINITE);
}
