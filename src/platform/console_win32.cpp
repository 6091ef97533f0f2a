#include "platform/console.h"

#include "platform/win32_support.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

namespace platform {

namespace {
std::atomic<bool> g_interrupted{false};
BOOL WINAPI OnConsoleEvent(DWORD) {
  g_interrupted = true;
  return TRUE;
}
HANDLE HandleOf(Stream stream) {
  return GetStdHandle(stream == Stream::kIn    ? STD_INPUT_HANDLE
                      : stream == Stream::kOut ? STD_OUTPUT_HANDLE
                                               : STD_ERROR_HANDLE);
}
}  // namespace

bool IsTerminal(Stream stream) {
  DWORD mode = 0;
  return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

void Write(Stream stream, const std::string& text) {
  const HANDLE handle = HandleOf(stream);
  DWORD done = 0;
  std::wstring wide;
  // A console shows UTF-16; a pipe or a file gets the bytes.
  if (IsTerminal(stream) && WideFromWtf8(text, &wide)) {
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
  } else {
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  }
}

bool ReadLine(std::string* line) {
  line->clear();
  const HANDLE in = HandleOf(Stream::kIn);
  if (IsTerminal(Stream::kIn)) {
    wchar_t buffer[512];
    DWORD got = 0;
    if (!ReadConsoleW(in, buffer, 512, &got, nullptr) || got == 0) return false;
    std::wstring text(buffer, got);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    *line = Wtf8FromWide(text);
    return true;
  }
  for (;;) {
    char c = 0;
    DWORD got = 0;
    if (!ReadFile(in, &c, 1, &got, nullptr) || got == 0) return !line->empty();
    if (c == '\n') break;
    if (c != '\r') *line += c;
  }
  return true;
}

void CatchInterrupts() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

bool TakeInterrupt() { return g_interrupted.exchange(false); }

std::vector<std::string> Arguments(int, char**) {
  // The system's own UTF-16 arguments: every name, not only the code page's.
  std::vector<std::string> arguments;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) arguments.push_back(Wtf8FromWide(wide[i], wcslen(wide[i])));
    LocalFree(wide);
  }
  return arguments;
}

}  // namespace platform
