// The TGA decoder on one member's bytes.
#include <cstdlib>
#include <cstring>

#include "resources/ArchiveFile.h"
#include "resources/TgaImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ArchiveFile file;
  // The holder frees its block with delete[]; an empty member still has one.
  file.data = new uint8_t[size ? size : 1];
  if (size)
    memcpy(file.data, data, size);
  file.size = uint32_t(size);

  TgaImage image;
  if (DecodeTga(file, image) && image.pixels) {
    // Touch the last byte the header promises, so a short buffer shows.
    size_t bytes = size_t(image.width) * image.height * (image.pixelDepth / 8);
    if (bytes) {
      volatile uint8_t last = image.pixels[bytes - 1];
      (void)last;
    }
  }
  free(image.pixels);
  return 0;
}
