#pragma once
// The heart of the installation run, called once by the progress window's timer.

namespace app {

void RunInstallation();
// From the administrator question on: admission, then the driver installer.
void AdmitAndInstall();
// The edition's key ends in "64".
bool IsWideEdition();
void StartDriverSetup();

}  // namespace app
