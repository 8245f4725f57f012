// Test helper for the Windows console: gives the console a screen buffer
// taller than its window and a colour attribute of its own, runs a program
// in that console, and then writes what the console holds to a file: the
// window's rows, the cursor, and every buffer row's text with the
// attribute of its first and last cell.
//
// usage: console_probe BUFFER_ROWS ATTRIBUTE(hex) REPORT_FILE PROGRAM
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool prepare(HANDLE out, SHORT bufferRows, WORD attribute) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!::GetConsoleScreenBufferInfo(out, &info)) return false;
  const COORD size = {info.dwSize.X, bufferRows};
  const SMALL_RECT top = {
      0, 0, static_cast<SHORT>(info.dwSize.X - 1),
      static_cast<SHORT>(info.srWindow.Bottom - info.srWindow.Top)};
  const DWORD cells = static_cast<DWORD>(size.X) * static_cast<DWORD>(size.Y);
  DWORD done = 0;
  return ::SetConsoleScreenBufferSize(out, size) &&
         ::SetConsoleWindowInfo(out, TRUE, &top) &&
         ::FillConsoleOutputCharacterA(out, ' ', cells, {0, 0}, &done) &&
         ::FillConsoleOutputAttribute(out, attribute, cells, {0, 0}, &done) &&
         ::SetConsoleCursorPosition(out, {0, 0}) &&
         ::SetConsoleTextAttribute(out, attribute);
}

bool runAndWait(const std::string& program) {
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

bool report(HANDLE out, FILE* file) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!::GetConsoleScreenBufferInfo(out, &info)) return false;
  std::fprintf(file, "window %d %d\ncursor %d %d\n", info.srWindow.Top,
               info.srWindow.Bottom, info.dwCursorPosition.X,
               info.dwCursorPosition.Y);
  const SHORT width = info.dwSize.X;
  std::vector<char> text(static_cast<size_t>(width));
  std::vector<WORD> attributes(static_cast<size_t>(width));
  for (SHORT row = 0; row < info.dwSize.Y; ++row) {
    DWORD n = 0;
    if (!::ReadConsoleOutputCharacterA(out, text.data(), width, {0, row}, &n) ||
        !::ReadConsoleOutputAttribute(out, attributes.data(), width, {0, row},
                                      &n)) {
      return false;
    }
    std::string line(text.data(), static_cast<size_t>(width));
    line.erase(line.find_last_not_of(' ') + 1);
    std::fprintf(file, "row %d %02X %02X |%s\n", row, attributes.front(),
                 attributes.back(), line.c_str());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: console_probe ROWS ATTRIBUTE REPORT PROGRAM\n");
    return 2;
  }
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  const SHORT rows = static_cast<SHORT>(std::atoi(argv[1]));
  const WORD attribute = static_cast<WORD>(std::strtoul(argv[2], nullptr, 16));
  if (!prepare(out, rows, attribute)) return 3;
  if (!runAndWait(argv[4])) return 4;
  FILE* file = std::fopen(argv[3], "wb");
  if (!file) return 5;
  const bool reported = report(out, file);
  return std::fclose(file) == 0 && reported ? 0 : 6;
}
