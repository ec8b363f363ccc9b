// Extracts one cabinet with CabFile and, in the same run, with extrac32.exe, and prints both times
// and peak memory.
//   cabbench CAB OURFOLDER THEIRFOLDER
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>

#include "run/InstallerState.h"
#include "cab/CabFile.h"
#include "os/win32/Backends.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakMegabytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// extrac32 /Y /E /L FOLDER CAB, timed from start to exit.
bool RunExtrac32(const std::string& cabinet, const std::string& folder, double& seconds,
                 double& peak) {
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  std::string command = std::string("\"") + system + "\\extrac32.exe\" /Y /E /L \"" + folder +
                        "\" \"" + cabinet + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&to);
  seconds = Seconds(from, to);
  peak = PeakMegabytes(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: cabbench CAB OURFOLDER THEIRFOLDER\n");
    return 2;
  }
  os::SetOs(os::win32::Win32Platform());
  run::State().InstallFolder = std::string(argv[2]) + "\\bench_InstallationFolder";

  auto object = cab::CabFile::Create();
  object->CabName = argv[1];
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  const bool extracted = object->Extract("", argv[2], "");
  QueryPerformanceCounter(&to);
  const double ours = Seconds(from, to);
  const double ourPeak = PeakMegabytes(GetCurrentProcess());
  if (!extracted) return 1;

  double theirs = 0, theirPeak = 0;
  if (!RunExtrac32(argv[1], argv[3], theirs, theirPeak)) {
    std::fprintf(stderr, "extrac32 could not be started\n");
    return 1;
  }
  std::printf("CabFile   %.3f s  peak working set %.1f MB\n", ours, ourPeak);
  // Wine answers 0 for a process that has ended; then there is nothing to print.
  if (theirPeak > 0)
    std::printf("extrac32  %.3f s  peak working set %.1f MB\n", theirs, theirPeak);
  else
    std::printf("extrac32  %.3f s  (start included)\n", theirs);
  std::printf("ratio     %.3f\n", ours / theirs);
  return 0;
}
