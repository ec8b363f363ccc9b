#pragma once
// The heart of the installation run, called once by the progress window's timer.

namespace app {

void RunInstallation();
void StartDriverSetup();

}  // namespace app
