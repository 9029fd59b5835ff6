// The program's entry point: the screensaver switches /s, /p N and /c[:N].
#include "shell/SaverApp.h"

int main(int argc, char** argv) { return SaverMain(argc, argv); }
