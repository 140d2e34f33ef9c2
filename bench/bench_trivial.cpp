// The peer for start-up: a GUI program that does nothing, so that its start
// and exit cost only what wine spends on any program.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
