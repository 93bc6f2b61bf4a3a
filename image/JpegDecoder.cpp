// JPEG files through libjpeg (libjpeg-turbo), read from memory.
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>

#include <csetjmp>
#include <vector>

#include "image/PictureDecoder.h"

namespace brindle {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

// libjpeg's errors end in a refusal and print nothing. Its warnings mean
// corrupt or missing data (a truncated file is padded with gray), so they
// end in a refusal too; trace messages are dropped.
[[noreturn]] void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0) OnError(cinfo);
}
void OnOutput(j_common_ptr) {}

// A progressive file may hold any number of scans, each a pass over the
// whole picture: past kMaxJpegScans it is refused.
void OnProgress(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    OnError(cinfo);
  }
}

// Owns libjpeg's decompression object (destroying a zeroed one is allowed).
struct JpegReader {
  JpegReader() = default;
  ~JpegReader() { jpeg_destroy_decompress(&cinfo); }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
};

// Everything that may end in a libjpeg error runs here. No object with a
// destructor lives in this frame, so the long jump leaves nothing undone;
// the row buffer belongs to the caller.
DecodeStatus ReadImage(JpegReader& j, const std::uint8_t* data, std::size_t size, SizeCheck fits,
                       BmpImage& out, std::vector<JSAMPLE>& row) {
  j_decompress_ptr cinfo = &j.cinfo;
  cinfo->err = jpeg_std_error(&j.errors.pub);
  j.errors.pub.error_exit = OnError;
  j.errors.pub.emit_message = OnMessage;
  j.errors.pub.output_message = OnOutput;
  if (setjmp(j.errors.jump) != 0) return DecodeStatus::Refused;
  jpeg_create_decompress(cinfo);
  j.progress.progress_monitor = OnProgress;
  cinfo->progress = &j.progress;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);

  const DecodeStatus start = StartRgb24(cinfo->image_width, cinfo->image_height, fits, out);
  if (start != DecodeStatus::Ok) return start;
  // libjpeg's default output: gray for gray files, RGB for YCbCr and RGB
  // ones; CMYK would need a colour conversion of our own.
  if (cinfo->out_color_space != JCS_RGB && cinfo->out_color_space != JCS_GRAYSCALE) {
    return DecodeStatus::Refused;
  }
  jpeg_start_decompress(cinfo);
  const int channels = cinfo->output_components;
  row.resize(static_cast<std::size_t>(cinfo->output_width) * channels);
  while (cinfo->output_scanline < cinfo->output_height) {
    const int y = static_cast<int>(cinfo->output_scanline);
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(cinfo, rows, 1) != 1) return DecodeStatus::Refused;
    const JSAMPLE* p = row.data();
    std::uint8_t* q = TopDownRow(out, y);
    for (JDIMENSION x = 0; x < cinfo->output_width; ++x, p += channels, q += 3) {
      if (channels == 1) PutBgr(q, p[0], p[0], p[0], 255);
      else PutBgr(q, p[0], p[1], p[2], 255);
    }
  }
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, SizeCheck fits,
                        BmpImage& out) {
  out = BmpImage{};
  JpegReader reader;
  std::vector<JSAMPLE> row;
  const DecodeStatus status = ReadImage(reader, data, size, fits, out, row);
  if (status == DecodeStatus::Refused) out = BmpImage{};
  return status;
}

}  // namespace brindle
