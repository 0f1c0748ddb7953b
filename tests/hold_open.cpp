// hold_open FILE SECONDS: holds FILE open for reading, sharing it for reading only, as a
// spreadsheet holds a file it has open on Windows; prints "held" once it has it. For the Windows
// tests of the play log (scripts/windows/test.sh).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string path = argv[1];
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
  CloseHandle(file);
  return 0;
}
