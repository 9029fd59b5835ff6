// The full-screen saver: loading, the timed frame loop, input through the
// rendering window's procedure, drawing one frame, and the shutdown.
#pragma once
#include <cstdint>

#include "platform/Window.h"
#include "scene/ObjectList.h"

class World;
struct SaverApp;

// A stopwatch on the performance counter.
class HiResTimer {
public:
  virtual ~HiResTimer() = default;
  // Stores the current counter value.
  void Stamp();
  // Seconds since the last Stamp (also kept in `elapsed`); does not restart.
  double Elapsed();

  uint64_t stamp = 0;
  double elapsed = 0.0;
};

extern HiResTimer FrameTimer;
extern HiResTimer FpsTimer;
extern double SecondsPerTick;
// Entry k is 1 while virtual key k is down; entry 0 becomes 1 at any key press
// or left or right button press and stays so.
extern uint8_t KeyState[256];
// Last cursor offset from the window centre, times 0.3; 0 once consumed.
extern float MouseDeltaX;
extern float MouseDeltaY;
// Sum of the sizes of the consumed offsets since the last once-a-second reset.
extern float MouseTravel;
// Camera time scale: Speed / 50 + 0.5.
extern float SpeedFactor;
extern World* CurrentWorld;
// The current world's three lists as copied by the last DrawFrame.
extern ObjectList FirstPassList;
extern ObjectList WorldObjectList;
extern ObjectList PostPassList;
extern int FrameCount;
extern int FramesPerSecond;
// Frames presented by the loop since the process started (diagnostics, tests).
extern uint64_t FramesPresented;
// Test hook: when non-zero the frame loop also stops after this many frames.
extern uint64_t FrameLoopLimit;

// The full-screen saver mode, start to shutdown.
void RunSaver(SaverApp& app);
// What RunSaver does after the frame loop: music off, the gamma ramp and the
// display mode back as they were, lists emptied, context deleted, cursor
// shown, windows minimised, classes unregistered.
void ShutdownSaver(SaverApp& app);
// Camera time scale of a Speed setting: Speed / 50 + 0.5.
float ComputeSpeedFactor(uint32_t speed);
// Procedure of the "MyWindow" class.
LResult SaverWindowProc(WindowHandle window, unsigned message, WParam wParam, LParam lParam);
// Draws one frame into the back buffer (no presentation).
void DrawFrame();
// Loads the scene from data.sdd in the saver's order: the texture catalogue
// (reporting progress when asked), the clock glyphs, the shared geometry, the
// camera's starting pose, the environments and the worlds.
void LoadSceneData(bool reportProgress);
// One frame's work after the time is measured: advances the camera by the
// scaled time, updates the three frame lists with the unscaled time, draws.
void AdvanceAndDrawFrame(double elapsed);

// The frame loop on its own (the windows, the context and the timers must be
// set up): drains messages, else measures, updates, draws and presents one
// frame; returns when a quit message, a key or button, the mouse rule or
// FrameLoopLimit stops it.
void RunFrameLoop();
// Puts the cursor on the centre of the rendering window's client area.
void CentreCursor();
// Clears the saver's input state (key table, mouse offsets and travel) and
// the frame counters.
void ResetSaverInput();
