#include "shell/SaverLoop.h"

#include "motion/Camera.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"
#include "resources/TextureCatalogue.h"
#include "scene/Environment.h"
#include "scene/GeometryStore.h"
#include "scene/SceneObject.h"
#include "scene/World.h"
#include "shell/DisplaySetup.h"
#include "shell/SaverApp.h"
#include "shell/Settings.h"
#include "ui/LoadingScreen.h"
#include "ui/Overlay.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>
#include <cstring>

HiResTimer FrameTimer;
HiResTimer FpsTimer;
double SecondsPerTick = 0.0;
uint8_t KeyState[256];
float MouseDeltaX = 0.0f;
float MouseDeltaY = 0.0f;
float MouseTravel = 0.0f;
float SpeedFactor = 0.0f;
World* CurrentWorld = nullptr;
ObjectList FirstPassList;
ObjectList WorldObjectList;
ObjectList PostPassList;
int FrameCount = 0;
int FramesPerSecond = 0;
uint64_t FramesPresented = 0;
uint64_t FrameLoopLimit = 0;

void HiResTimer::Stamp() { stamp = PerformanceCounter(); }

double HiResTimer::Elapsed() {
  elapsed = static_cast<double>(PerformanceCounter() - stamp) * SecondsPerTick;
  return elapsed;
}

namespace {

// The loaders' progress reports go to the rendering window, synchronously.
void SendProgressToRenderingWindow() {
  PlatformSendMessage(RenderingWindow, LoadProgressMessage, 0, 0);
}

void StartMusic() {
  AudioInit(1, 44100, 0, RenderingWindow);
  AudioStart();
  AudioSetVolume(Settings.Volume);
  ArchiveFile music;
  if (!music.Open("music.ogg"))
    return;
  AudioSample sample = AudioSampleLoad(music.data, music.size, 1, 0x20000);
  AudioSamplePlay(sample, Settings.Volume, true);
}

void UpdateList(const ObjectList& list, double elapsed) {
  for (SceneObject* object : list)
    object->Update(elapsed);
}

void RenderList(const ObjectList& list) {
  for (SceneObject* object : list)
    object->Render(MainCamera);
}

} // namespace

void ResetSaverInput() {
  memset(KeyState, 0, sizeof KeyState);
  MouseDeltaX = MouseDeltaY = 0.0f;
  MouseTravel = 0.0f;
  FrameCount = 0;
  FramesPerSecond = 0;
}

void CentreCursor() {
  int w = 0, h = 0;
  if (!PlatformGetClientSize(RenderingWindow, &w, &h))
    return;
  int x = w / 2, y = h / 2;
  PlatformClientToScreen(RenderingWindow, &x, &y);
  SetCursorPosition(x, y);
}

LResult SaverWindowProc(WindowHandle window, unsigned message, WParam wParam, LParam lParam) {
  switch (message) {
  case WM_CREATE:
    RenderingWindow = window;
    SetupPixelFormat();
    RenderingContext = PlatformCreateGlContext(window);
    PlatformMakeCurrent(window, RenderingContext);
    return 0;
  case WM_CLOSE:
  case WM_DESTROY:
    PlatformPostQuitMessage(0);
    return 0;
  case WM_SYSCOMMAND:
    return 0;
  case WM_KEYDOWN:
    KeyState[0] = 1;
    KeyState[wParam & 0xff] = 1;
    return 0;
  case WM_KEYUP:
    KeyState[wParam & 0xff] = 0;
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    KeyState[0] = 1;
    return 0;
  case WM_MOUSEMOVE: {
    int x = static_cast<int>(LowWord(static_cast<uintptr_t>(lParam)));
    int y = static_cast<int>(HighWord(static_cast<uintptr_t>(lParam)));
    int w = 0, h = 0;
    PlatformGetClientSize(window, &w, &h);
    int cx = w / 2, cy = h / 2;
    // Both points in screen coordinates.
    PlatformClientToScreen(window, &x, &y);
    PlatformClientToScreen(window, &cx, &cy);
    MouseDeltaX = static_cast<float>(x - cx) * 0.3f;
    MouseDeltaY = static_cast<float>(y - cy) * 0.3f;
    return 0;
  }
  case LoadProgressMessage:
    HandleLoadProgressMessage([window] { PlatformSwapBuffers(window); });
    return 0;
  default:
    return PlatformDefWindowProc(window, message, wParam, lParam);
  }
}

void DrawFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!CurrentWorld)
    return;
  FirstPassList = *CurrentWorld->firstPass;
  PostPassList = *CurrentWorld->postPass;
  WorldObjectList = CurrentWorld->objects;

  glLoadIdentity();
  MainCamera.LookAt();
  if (CurrentWorld->system) {
    const GLfloat origin[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, origin);
  } else {
    const GLfloat far[] = {0.0f, 0.0f, 1000000.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, far);
    glLightfv(GL_LIGHT0, GL_POSITION, far);
  }
  RenderList(FirstPassList);
  RenderList(WorldObjectList);
  RenderList(PostPassList);

  glLoadIdentity();
  MainCamera.LookAt();
  if (FpsTimer.Elapsed() > 1.0) {
    FramesPerSecond = FrameCount;
    FrameCount = 0;
    MouseTravel = 0.0f;
    FpsTimer.Stamp();
  }
  glFlush();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  BeginOverlay();
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  if (Settings.ShowFPS)
    DrawFps(FramesPerSecond);
  EndOverlay();
  if (Settings.ShowClock)
    DrawClock();
  glEnable(GL_BLEND);
  ++FrameCount;
  glFlush();
}

void RunFrameLoop() {
  bool running = true;
  uint64_t framesThisRun = 0;
  while (running) {
    PlatformMessage message;
    if (PlatformPeekMessage(&message, true)) {
      if (message.message == WM_QUIT) {
        running = false;
      } else {
        PlatformTranslateMessage(message);
        PlatformDispatchMessage(message);
      }
      continue;
    }
    if (KeyState[0])
      running = false;
    // Each consumed offset counts by its size, so travel in any direction
    // ends the saver past the same threshold.
    if (MouseDeltaX != 0.0f) {
      MouseTravel += std::fabs(MouseDeltaX);
      MouseDeltaX = 0.0f;
      CentreCursor();
    }
    if (MouseDeltaY != 0.0f) {
      MouseTravel += std::fabs(MouseDeltaY);
      MouseDeltaY = 0.0f;
      CentreCursor();
    }
    if (Settings.MouseExit && MouseTravel > 7.0f)
      running = false;

    double elapsed = FrameTimer.Elapsed();
    FrameTimer.Stamp();
    AdvanceAndDrawFrame(elapsed);
    PlatformSwapBuffers(RenderingWindow);
    ++FramesPresented;
    if (FrameLoopLimit && ++framesThisRun >= FrameLoopLimit)
      running = false;
  }
}

void LoadSceneData(bool reportProgress) {
  LoadTextureCatalogue(Textures, "texture.txt", reportProgress);
  BuildDigitGlyphs();
  LoadSharedGeometry();
  MainCamera.position = Vec3(0.0f, 0.0f, 1500.0f);
  MainCamera.look = Vec3(0.0f, 0.0f, -1.0f);
  MainCamera.up = Vec3(0.0f, 1.0f, 0.0f);
  LoadEnvironments(Environments, "env.txt");
  LoadWorlds(Worlds, Environments, "worlds.txt");
}

void AdvanceAndDrawFrame(double elapsed) {
  MainCamera.Advance(static_cast<double>(SpeedFactor) * elapsed);
  UpdateList(FirstPassList, elapsed);
  UpdateList(WorldObjectList, elapsed);
  UpdateList(PostPassList, elapsed);
  DrawFrame();
}

float ComputeSpeedFactor(uint32_t speed) { return static_cast<float>(speed) / 50.0f + 0.5f; }

void ShutdownSaver(SaverApp& app) {
  if (Settings.EnableMusic) {
    AudioStop();
    AudioFree();
  }
  if (!Settings.DefGamma)
    RestoreGammaRamp();
  LoadProgressSink = nullptr;
  Worlds.clear();
  Environments.clear();
  FirstPassList.Clear();
  WorldObjectList.Clear();
  PostPassList.Clear();
  ChangeDisplayMode(nullptr, 0);
  if (RenderingContext) {
    PlatformMakeCurrent(0, 0);
    PlatformDeleteGlContext(RenderingContext);
    RenderingContext = 0;
  }
  ShowMouseCursor(true);
  for (uint32_t i = 0; i < app.monitorCount; ++i)
    if (app.monitors[i].window)
      PlatformMinimizeWindow(app.monitors[i].window);
  UnregisterSaverClasses();
}

void RunSaver(SaverApp& app) {
  CurrentWorld = nullptr;
  MouseDeltaX = MouseDeltaY = 0.0f;

  RegisterSaverClasses();
  SwitchDisplayMode();
  if (!CreateSaverWindows(app) || !RenderingWindow) {
    // Leave the display as it was found.
    ChangeDisplayMode(nullptr, 0);
    ShowMouseCursor(true);
    return;
  }

  SecondsPerTick = 1.0 / static_cast<double>(PerformanceFrequency());
  LoadLoadingImages();
  memset(KeyState, 0, sizeof KeyState);
  for (uint32_t i = 0; i < app.monitorCount; ++i)
    if (app.monitors[i].window)
      PlatformShowWindow(app.monitors[i].window, app.showCommand);
  PlatformSetFocus(RenderingWindow);
  InitGLState();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  LoadProgressSink = SendProgressToRenderingWindow;
  LoadSceneData(true);

  if (Settings.EnableMusic)
    StartMusic();

  FrameTimer.Stamp();
  SRand(static_cast<uint32_t>(FrameTimer.stamp));
  FpsTimer.Stamp();
  SpeedFactor = ComputeSpeedFactor(Settings.Speed);
  CurrentWorld = FindWorld(Worlds, "world");
  if (!CurrentWorld)
    fprintf(stderr, "nimbrel: no world named \"world\" in worlds.txt; showing black frames\n");
  CentreCursor();
  MainCamera.Start();

  RunFrameLoop();
  ShutdownSaver(app);
}
