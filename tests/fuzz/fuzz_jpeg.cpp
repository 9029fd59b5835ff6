// The JPEG path: libjpeg's decoder behind our memory source and error
// handling, turned into a bottom-up RGB buffer.
#include <cstdlib>

#include "resources/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  JpegImage image;
  if (DecodeJpeg(data, size, image) && image.pixels) {
    size_t bytes = size_t(image.rowBytes) * image.height;
    if (bytes) {
      volatile uint8_t last = image.pixels[bytes - 1];
      (void)last;
    }
  }
  free(image.pixels);
  return 0;
}
