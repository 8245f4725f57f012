// Holds wine's desktop for the whole Windows test run.
//
// Without a display, every program that asks for a window makes wine start
// its desktop process (explorer.exe) as a child of that program: it
// inherits the program's output pipes, holds them open for seconds after
// the program has ended, and is killed with the program's process group
// while other tests still use it. Started once before the tests, in a
// session of its own, this program keeps one desktop process up away from
// every test; "wineserver -k" ends both at the end of the run.
#include <windows.h>

int main() {
  if (GetDesktopWindow() == nullptr) return 1;
  Sleep(INFINITE);
  return 0;
}
