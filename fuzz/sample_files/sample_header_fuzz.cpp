// The ".sam" header reader and the input-sample table on arbitrary bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "files/input_table.h"
#include "files/sample_files.h"
#include "tesmira/files.h"
#include "tesmira/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/tesmira_fuzz_sam_" + std::to_string(::getpid()) + "/";
    std::string cmd = d.substr(0, d.size() - 1);
    ::mkdir(cmd.c_str(), 0700);
    Init_Model_data();
    SetModelFileName((d + "m.tsm").c_str());
    return d;
  }();
  std::string sam = dir + "f.sam";
  if (std::FILE* f = std::fopen(sam.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  if (std::FILE* f = std::fopen((dir + "f.PRB").c_str(), "wb")) {
    std::fwrite(data, 1, size / 2, f);
    std::fclose(f);
  }
  TSampleList in, out, runIn, runOut;
  tesmira::TextLineReader reader;
  int32_t n = tesmira::ReadSampleFileHeader(sam, &in, &out, reader);
  if (n > 0 && n < 10000) {
    for (int i = 0; i < in.count; ++i) in.entries[i].objectIndex = static_cast<int16_t>(i * 7 - 3);
    runIn = in;
    runOut = out;
    tesmira::InputSampleTable& t = tesmira::RunInputTable();
    if (t.Convert(sam, in, out, reader, n)) t.Draw(0.5, in, out, runIn, runOut, true);
    t.Delete();
  }
  return 0;
}
