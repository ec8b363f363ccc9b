// Probe (not built with the project): can the removal run, started from the kept folder as the
// relauncher a deployment tool waits on, leave neither the kept folder nor anything in the
// temporary folder? Each step and its result go to C:\probe.log. See selfdelete.sh.
#include <windows.h>

#include <cstdio>
#include <string>
static FILE* logf;
static void L(const char* what, BOOL ok) {
  fprintf(logf, "%-58s %s (error %lu)\n", what, ok ? "ok" : "FAILED", ok ? 0 : GetLastError());
  fflush(logf);
}
int main(int argc, char** argv) {
  logf = fopen("C:\\probe.log", "a");
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "parent" || mode == "parent-nodoc") {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string copy = std::string(temp) + "probeT.exe";
    L("parent: CopyFile to temp", CopyFileA(self, copy.c_str(), FALSE));
    HANDLE doc = INVALID_HANDLE_VALUE;
    if (mode == "parent") {
      doc = CreateFileA(copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
      L("parent: open temp copy with FILE_FLAG_DELETE_ON_CLOSE", doc != INVALID_HANDLE_VALUE);
    }
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, "ProbeDone");
    std::string cmd =
        "\"" + copy + "\" child " + std::to_string(GetCurrentProcessId()) + " \"" + self + "\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessA(copy.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi);
    L("parent: CreateProcess of the temp copy (DOC handle open)", started);
    if (started) {
      HANDLE both[] = {done, pi.hProcess};
      WaitForMultipleObjects(2, both, FALSE, 30000);
      L("parent: child signalled done", WaitForSingleObject(done, 0) == WAIT_OBJECT_0);
    }
    if (doc != INVALID_HANDLE_VALUE) CloseHandle(doc);
    DWORD attrs = GetFileAttributesA(copy.c_str());
    L("parent: temp copy still there after closing DOC handle (child running)",
      attrs != INVALID_FILE_ATTRIBUTES);
    fclose(logf);
    return 7;  // the code the deployment tool would read
  }
  if (mode == "child") {
    DWORD parentId = strtoul(argv[2], nullptr, 10);
    std::string kept = argv[3];
    std::string folder = kept.substr(0, kept.rfind('\\'));
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentId);
    L("child: DeleteFile of the running kept copy", DeleteFileA(kept.c_str()));
    std::string renamed = folder + "\\Uninstall.old";
    BOOL moved = MoveFileExA(kept.c_str(), renamed.c_str(), 0);
    L("child: MoveFileEx (rename) of the running kept copy", moved);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string away = std::string(temp) + "probeAway.exe";
    if (moved) {
      BOOL out = MoveFileExA(renamed.c_str(), away.c_str(), 0);
      L("child: MoveFileEx of the running copy into temp", out);
      if (out) {
        BOOL rm = RemoveDirectoryA(folder.c_str());
        L("child: RemoveDirectory of the kept folder after moving it out", rm);
        L("child: MoveFileEx(away, NULL, DELAY_UNTIL_REBOOT)",
          MoveFileExA(away.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
        // put it back so that the handshake variant can be tried as well
        CreateDirectoryA(folder.c_str(), nullptr);
        L("child: move back", MoveFileExA(away.c_str(), kept.c_str(), 0));
      } else {
        MoveFileExA(renamed.c_str(), kept.c_str(), 0);
      }
    }
    HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, "ProbeDone");
    SetEvent(done);
    DWORD waited = WaitForSingleObject(parent, 30000);
    L("child: parent ended after done", waited == WAIT_OBJECT_0);
    L("child: DeleteFile of the kept copy after the parent ended", DeleteFileA(kept.c_str()));
    L("child: RemoveDirectory of the kept folder", RemoveDirectoryA(folder.c_str()));
    L("child: DeleteFile of own (running) image", DeleteFileA(self));
    fclose(logf);
    return 0;
  }
  return 1;
}
