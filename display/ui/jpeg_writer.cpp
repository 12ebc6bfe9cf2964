#include "ui/jpeg_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

struct TJpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void Fail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

}  // namespace

bool WriteJpeg(const std::string& path, const QImage& image, int quality) {
  if (image.isNull()) return false;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info{};
  TJpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = Fail;
  error.manager.output_message = Quiet;
  // No object with a destructor lives between here and the calls that may jump back.
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(rgb.width());
  info.image_height = static_cast<JDIMENSION>(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, std::clamp(quality, 0, 100), TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}
