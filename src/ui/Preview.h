// The preview window: a child window of the /p N window, showing the
// 155 x 115 preview picture at its top left on black.
#pragma once

struct SaverApp; // src/shell/

// Runs the preview mode until its window is closed or destroyed. A parent that
// is 0 or names no window shows "Cannot creat window!" / "ERROR" and returns.
void RunPreview(SaverApp& app);

namespace ui {
// The preview in the X11 window parent (0: none); what RunPreview runs.
void RunPreviewWindow(unsigned long parent);
} // namespace ui
