// The command-line readers on any bytes: the whole input as a raw line
// split into tokens, and the input split at NUL bytes as the argument list;
// each argument list is read for the file to open.
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "doc/command_line_args.h"
#include "ut/command_line.h"

namespace {

void Read(const QStringList& arguments) {
  const TCommandLine line = ParseCommandLine(arguments);
  // A valid line names at most one file, and that file is one of the arguments.
  if (line.valid && !line.file.isEmpty() && !arguments.contains(line.file)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ut::StringVector tokens;
  if (ut::tokenize_command_line(ut::String(bytes), tokens)) {
    QStringList arguments{QStringLiteral("tesplore")};
    for (const auto& t : tokens) {
      if (t.find('"') != std::string::npos) std::abort();  // quotes group, never stay
      arguments << QString::fromLocal8Bit(t.data(), static_cast<qsizetype>(t.size()));
    }
    Read(arguments);
  } else if (!tokens.empty()) {
    std::abort();
  }
  QStringList arguments;
  for (size_t start = 0; start <= size;) {
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = size;
    arguments << QString::fromLocal8Bit(bytes.data() + start, static_cast<qsizetype>(end - start));
    start = end + 1;
  }
  Read(arguments);
  return 0;
}
