// The message boxes of image decoding: "ARCH:Can't load JPG file: %s"
// with the caption "Error", and "Unsupported image depth." with the caption "TGA".
// Both go to the platform's message box (ShowMessageBox: no owner window, an
// OK button; it also writes the line to stderr).
#pragma once

// When set, receives every image message instead of the platform's message
// box; tests set it to see what would have been shown.
extern void (*ImageMessageHook)(const char* text, const char* caption);

// Shows one message box without owner window, or hands it to ImageMessageHook.
void ShowImageMessage(const char* text, const char* caption);
