// Measures the real resolution of a 1 ms window timer: prints the milliseconds per tick over
// 100 ticks. The progress window's 60 timer ticks cost at least 60 times this.
#include <windows.h>

#include <cstdio>

namespace {
int ticks = 0;
DWORD started = 0;
void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (ticks++ == 0) started = GetTickCount();
  if (ticks == 101) PostQuitMessage(0);
}
}  // namespace

int main() {
  SetTimer(nullptr, 0, 1, OnTick);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  std::printf("%.2f\n", (GetTickCount() - started) / 100.0);
  return 0;
}
