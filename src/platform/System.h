// Messages to the user and the desktop shell: our stand-in for MessageBoxA
// and ShellExecuteA("open").
#pragma once
#include <cstdint>

constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr int IDOK = 1;

// Always writes "caption: text" as one line on stderr; also shows a modal
// SDL message box when a display is there (not under the offscreen or dummy
// video drivers, nor with NIMBREL_NO_MESSAGE_BOX set). Returns IDOK.
int ShowMessageBox(uintptr_t owner, const char* text, const char* caption, uint32_t type);

// Opens a web address in the user's browser (xdg-open, not waited for).
// False when it could not be started.
bool OpenWebAddress(const char* url);

// Test hook: when set, OpenWebAddress calls this instead and returns its answer.
void SetOpenWebAddressHook(bool (*hook)(const char* url));
