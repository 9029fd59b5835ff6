// The loading screen: two pictures, "sign.jpg" above "load.jpg",
// centred on black and redrawn at every progress report of the loaders.
#pragma once
#include "resources/TextureCatalogue.h"

#include <functional>

// The loading screen's own two textures (not in the catalogue's list).
extern TextureEntry LoadingSignImage; // "sign.jpg"
extern TextureEntry LoadingLoadImage; // "load.jpg"

// Loads "load.jpg" and "sign.jpg" from the archive's "textures" folder.
// Once, right after the windows and the OpenGL context exist.
void LoadLoadingImages();

// Draws the two pictures in the virtual 800 x 600 space: "sign.jpg" as
// 220 x 220 centred at (400, 350), "load.jpg" as 200 x 200 centred at
// (400, 140), white, with the blend function in force. Leaves 2D texturing
// on and "load.jpg" bound.
void DrawLoadingScreen();

// What the rendering window does on LoadProgressMessage (WM_USER + 2): clear
// the colour and depth buffers, DrawLoadingScreen, glFinish, then `present`
// (the window's SwapBuffers). The window procedure returns 0 after it.
void HandleLoadProgressMessage(const std::function<void()>& present);

// The loaders' progress report (LoadTextureCatalogue after each texture when
// its flag is set, the object-file loader after each object): calls
// LoadProgressSink when it is set, else does nothing. The saver sets the sink
// to a synchronous send of LoadProgressMessage to its rendering window; tests
// count the calls. (Both are defined in the resources library, so that its
// loaders link without the user interface.)
extern void (*LoadProgressSink)();
void SendLoadProgress();
