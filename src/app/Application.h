#pragma once

// Starts the program and runs its event loop; answers the process exit code.
int RunApplication(int argc, char* argv[]);
