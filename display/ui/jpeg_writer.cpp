#include "ui/jpeg_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// Everything libjpeg changes lives on the heap, so that its values are
// defined again after an error jumped back.
struct TJpegJob {
  jpeg_compress_struct info{};
  jpeg_error_mgr manager{};
  std::jmp_buf jump{};
  unsigned char* buffer = nullptr;  // allocated by libjpeg with malloc
  unsigned long size = 0;
  ~TJpegJob() { std::free(buffer); }
};

[[noreturn]] void Fail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TJpegJob*>(info->client_data)->jump, 1);
}

void Quiet(j_common_ptr) {}

}  // namespace

QByteArray JpegFile(const QImage& image, int quality) {
  if (image.isNull()) return {};
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const auto job = std::make_unique<TJpegJob>();
  jpeg_compress_struct& info = job->info;
  info.err = jpeg_std_error(&job->manager);
  info.client_data = job.get();
  job->manager.error_exit = Fail;
  job->manager.output_message = Quiet;
  // No object with a destructor is created between here and the calls that may jump back.
  if (setjmp(job->jump)) {
    jpeg_destroy_compress(&info);
    return {};
  }
  jpeg_create_compress(&info);  // keeps err and client_data
  jpeg_mem_dest(&info, &job->buffer, &job->size);
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
  return QByteArray(reinterpret_cast<const char*>(job->buffer), static_cast<qsizetype>(job->size));
}
