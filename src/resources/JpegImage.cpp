#include "resources/JpegImage.h"

#include "resources/ArchiveFile.h"
#include "resources/ImageMessage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace {

int warningCount = 0;

// The error manager: messages are formatted into a 200-character buffer and
// discarded; warnings are counted; a fatal error returns to the decoder's
// setjmp point, so a corrupt file is a clean failure.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf back;
  char message[200];
};

void OnErrorExit(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  longjmp(err->back, 1);
}

void OnOutputMessage(j_common_ptr cinfo) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
}

void OnEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) {
    ++warningCount;
    ++cinfo->err->num_warnings;
  }
}

// The memory source: the whole member is the input; past its last byte the
// decoder gets an end-of-image marker (and a warning), never more bytes.
const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

void SourceInit(j_decompress_ptr) {}

boolean SourceFill(j_decompress_ptr cinfo) {
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = EndOfImage;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count) {
  if (count <= 0)
    return;
  jpeg_source_mgr* src = cinfo->src;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    SourceFill(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= count;
}

void SourceTerm(j_decompress_ptr) {}

// Inverse of the CMYK that libjpeg delivers. Files with an Adobe marker (the
// usual kind, and what libjpeg writes) store inverted values: 255 means no ink.
void CmykRowToRgb(const uint8_t* cmyk, uint8_t* rgb, int width, bool inverted) {
  for (int x = 0; x < width; ++x) {
    int c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    rgb[3 * x] = static_cast<uint8_t>((c * k + 127) / 255);
    rgb[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
    rgb[3 * x + 2] = static_cast<uint8_t>((y * k + 127) / 255);
  }
}

// Everything between setjmp and a possible longjmp lives in this record,
// reached through a pointer, so its values are well defined after the jump.
struct DecodeState {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  jpeg_source_mgr source;
  uint8_t* pixels;
  uint8_t* cmykRow;
};

bool Decode(DecodeState* s, const uint8_t* data, size_t size, JpegImage& image) {
  jpeg_decompress_struct* cinfo = &s->cinfo;
  cinfo->err = jpeg_std_error(&s->err.pub);
  s->err.pub.error_exit = OnErrorExit;
  s->err.pub.output_message = OnOutputMessage;
  s->err.pub.emit_message = OnEmitMessage;
  s->err.message[0] = 0;
  s->pixels = nullptr;
  s->cmykRow = nullptr;

  if (setjmp(s->err.back)) {
    jpeg_destroy_decompress(cinfo);
    free(s->pixels);
    delete[] s->cmykRow;
    return false;
  }

  jpeg_create_decompress(cinfo);
  s->source.init_source = SourceInit;
  s->source.fill_input_buffer = SourceFill;
  s->source.skip_input_data = SourceSkip;
  s->source.resync_to_restart = jpeg_resync_to_restart;
  s->source.term_source = SourceTerm;
  s->source.next_input_byte = data;
  s->source.bytes_in_buffer = size;
  cinfo->src = &s->source;

  jpeg_read_header(cinfo, TRUE);

  // The output is always RGB: libjpeg converts colour and greyscale files
  // itself; CMYK and YCCK come out as CMYK and are converted row by row here.
  bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
      cinfo->image_width > static_cast<JDIMENSION>(MaxImageSide) ||
      cinfo->image_height > static_cast<JDIMENSION>(MaxImageSide) ||
      static_cast<size_t>(cinfo->image_width) * cinfo->image_height >
          MaxPixelsPerMemberByte * size) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }

  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != (cmyk ? 4 : 3)) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }

  const int width = static_cast<int>(cinfo->output_width);
  const int height = static_cast<int>(cinfo->output_height);
  const int rowBytes = width * 3;
  const size_t total = static_cast<size_t>(rowBytes) * static_cast<size_t>(height);
  s->pixels = static_cast<uint8_t*>(calloc(total, 1));
  if (cmyk)
    s->cmykRow = new (std::nothrow) uint8_t[static_cast<size_t>(width) * 4]();
  if (!s->pixels || (cmyk && !s->cmykRow)) {
    jpeg_destroy_decompress(cinfo);
    free(s->pixels);
    delete[] s->cmykRow;
    return false;
  }

  // Scanline i (from the top) goes to buffer row height - 1 - i, so the
  // buffer is bottom-up without a second pass.
  JSAMPROW rows[16];
  while (cinfo->output_scanline < cinfo->output_height) {
    const int first = static_cast<int>(cinfo->output_scanline);
    if (cmyk) {
      rows[0] = s->cmykRow;
      if (jpeg_read_scanlines(cinfo, rows, 1) != 1)
        break;
      CmykRowToRgb(s->cmykRow, s->pixels + static_cast<size_t>(height - 1 - first) * rowBytes,
                   width, cinfo->saw_Adobe_marker);
      continue;
    }
    int count = height - first;
    if (count > 16)
      count = 16;
    for (int i = 0; i < count; ++i)
      rows[i] = s->pixels + static_cast<size_t>(height - 1 - (first + i)) * rowBytes;
    if (jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(count)) == 0)
      break;
  }

  // The remaining data (and its end marker) need not be read: destroying the
  // decompressor ends the decode.
  jpeg_destroy_decompress(cinfo);
  delete[] s->cmykRow;

  image.rowBytes = rowBytes;
  image.width = width;
  image.height = height;
  image.pixels = s->pixels;
  return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, JpegImage& image) {
  image = JpegImage{};
  warningCount = 0;
  if (!data || size == 0)
    return false;
  DecodeState* state = new (std::nothrow) DecodeState;
  if (!state)
    return false;
  memset(state, 0, sizeof *state);
  bool ok = Decode(state, data, size, image);
  delete state;
  return ok;
}

bool LoadJpeg(const char* path, JpegImage& image) {
  image = JpegImage{};
  ArchiveFile file;
  if (!file.Open(path)) {
    char text[160];
    snprintf(text, sizeof text, "ARCH:Can't load JPG file: %s", path);
    ShowImageMessage(text, "Error");
    return false;
  }
  bool ok = DecodeJpeg(file.data, file.size, image);
  file.Close();
  return ok;
}

int LastJpegWarningCount() { return warningCount; }
