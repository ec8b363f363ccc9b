// A scripted stand-in for the driver package installer: appends to DPINST.LOG the lines the
// installer reads, with the return code written in "code.txt" beside it (or 0x100 without one)
// and, where "published.txt" beside it names one, the INF the driver store published; it ends
// with that code. The Wine tests put it in cabinet 386 in place of the real one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string folder = program;
  folder.resize(folder.find_last_of('\\'));

  std::string code = "100";
  if (FILE* file = std::fopen((folder + "\\code.txt").c_str(), "rb")) {
    char buffer[32] = {};
    std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    code = buffer;
    code.erase(code.find_last_not_of("\r\n ") + 1);
  }

  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  if (FILE* log = std::fopen((std::string(windows) + "\\DPINST.LOG").c_str(), "ab")) {
    std::fprintf(log, "INFO:   Current working directory: '%s'\r\n", folder.c_str());
    // "published.txt" beside it names an INF as the driver store would have published it.
    if (FILE* published = std::fopen((folder + "\\published.txt").c_str(), "rb")) {
      char name[MAX_PATH] = {};
      std::fread(name, 1, sizeof name - 1, published);
      std::fclose(published);
      std::fprintf(log, "SUCCESS:'net.inf' is in the driver store as '%s'.\r\n", name);
    }
    std::fprintf(log, "INFO:   Returning with code 0x%s\r\n", code.c_str());
    std::fclose(log);
  }
  return static_cast<int>(std::strtoul(code.c_str(), nullptr, 16));
}
