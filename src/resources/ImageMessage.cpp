#include "resources/ImageMessage.h"

#include "platform/System.h"

void (*ImageMessageHook)(const char* text, const char* caption) = nullptr;

void ShowImageMessage(const char* text, const char* caption) {
  if (ImageMessageHook) {
    ImageMessageHook(text, caption);
    return;
  }
  ShowMessageBox(0, text, caption, MB_OK);
}
