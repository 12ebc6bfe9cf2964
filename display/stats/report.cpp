#include "stats/report.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace stats {
namespace {

void Report(const char* caption, const char* format, va_list args) {
  // The caption and the format become one format, the format cut to 200 characters.
  std::string full(caption);
  full += ":\n";
  std::string body(format);
  if (body.size() > 200) body.resize(200);
  full += body;
  va_list copy;
  va_copy(copy, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  int n = std::vsnprintf(nullptr, 0, full.c_str(), copy);
  va_end(copy);
  std::vector<char> text(n > 0 ? static_cast<std::size_t>(n) + 1 : 1, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size(), full.c_str(), args);
#pragma GCC diagnostic pop
  if (ReportHandler) ReportHandler(text.data());
}

}  // namespace

void DefaultReportHandler(const char* text) {
  std::fputs(text, stderr);
  std::fputs("\n", stderr);
  std::fflush(stderr);
}

ReportHandlerFunction ReportHandler = DefaultReportHandler;

void ReportWarning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Report(kWarningCaption, format, args);
  va_end(args);
}

void ReportError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Report(kErrorCaption, format, args);
  va_end(args);
}

void ReportFatalError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Report(kFatalErrorCaption, format, args);
  va_end(args);
}

}  // namespace stats
