// A minimal Win32 service for the Wine tests. It stays in each pending state (starting, pausing,
// continuing, stopping) for a while before it reports the state reached, so that a query made
// right after a request sees the pending state, as on a slow machine.
//   testservice.exe [pending-milliseconds]   (default 2000)
#include <windows.h>

#include <cstdlib>

namespace {

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE wake = nullptr;
volatile LONG pendingControl = 0;
DWORD pendingMilliseconds = 2000;
DWORD checkPoint = 0;

void Report(DWORD state) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted =
      state == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
  status.dwWin32ExitCode = NO_ERROR;
  const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                       state == SERVICE_PAUSE_PENDING || state == SERVICE_CONTINUE_PENDING;
  status.dwCheckPoint = pending ? ++checkPoint : 0;
  status.dwWaitHint = pending ? pendingMilliseconds + 5000 : 0;
  SetServiceStatus(statusHandle, &status);
}

// Runs on the dispatcher's thread: it only announces the pending state, the service's own thread
// finishes the change.
void WINAPI Handler(DWORD control) {
  DWORD pending = 0;
  switch (control) {
    case SERVICE_CONTROL_STOP:
      pending = SERVICE_STOP_PENDING;
      break;
    case SERVICE_CONTROL_PAUSE:
      pending = SERVICE_PAUSE_PENDING;
      break;
    case SERVICE_CONTROL_CONTINUE:
      pending = SERVICE_CONTINUE_PENDING;
      break;
    default:
      return;
  }
  Report(pending);
  InterlockedExchange(&pendingControl, static_cast<LONG>(control));
  SetEvent(wake);
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  statusHandle = RegisterServiceCtrlHandlerA("", Handler);
  if (!statusHandle) return;
  Report(SERVICE_START_PENDING);
  Sleep(pendingMilliseconds);
  Report(SERVICE_RUNNING);
  for (;;) {
    WaitForSingleObject(wake, INFINITE);
    const LONG control = InterlockedExchange(&pendingControl, 0);
    Sleep(pendingMilliseconds);
    switch (control) {
      case SERVICE_CONTROL_STOP:
        Report(SERVICE_STOPPED);
        return;
      case SERVICE_CONTROL_PAUSE:
        Report(SERVICE_PAUSED);
        break;
      case SERVICE_CONTROL_CONTINUE:
        Report(SERVICE_RUNNING);
        break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) pendingMilliseconds = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
  wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  // The name is not looked at for a service that has its process to itself.
  char name[] = "testservice";
  SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
