#include "ui/LoadingScreen.h"

#include "ui/Overlay.h"

#include <GL/gl.h>

TextureEntry LoadingSignImage;
TextureEntry LoadingLoadImage;

void LoadLoadingImages() {
  LoadingLoadImage.Load("load.jpg");
  LoadingSignImage.Load("sign.jpg");
}

void DrawLoadingScreen() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, LoadingSignImage.textureName);
  BeginOverlay();
  glColor4f(1, 1, 1, 1);
  DrawCenteredQuad(400, 350, 110, 110);
  glBindTexture(GL_TEXTURE_2D, LoadingLoadImage.textureName);
  DrawCenteredQuad(400, 140, 100, 100);
  EndOverlay();
}

void HandleLoadProgressMessage(const std::function<void()>& present) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawLoadingScreen();
  glFinish();
  if (present)
    present();
}
