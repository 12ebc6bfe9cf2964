// The ZoziVor graph's layout file reader on arbitrary bytes, over a small
// network whose node numbers the records may or may not name.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fakes.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "zozivor_graph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/tesmira_fuzz_dnt_" + std::to_string(::getpid());
    ::mkdir(d.c_str(), 0700);
    return d + "/";
  }();
  if (std::FILE* f = std::fopen((dir + "net.dnt").c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  Init_data();
  tesmira::wb::SetHeaderModelType(3);
  for (const char* name : {"s1", "d2", "dx", "1c2", "1cx"}) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    tesmira::SetShortString(rv.distribution.name, name);
    rv.distribution.distType = DistConstant;
    Create_TSMObject(ObjRandomVariable, &rv);
  }
  {
    tesmira::wb::test::FakeWorkbench f;
    tesmira::wb::TGraph graph(f.wb);
    graph.LoadLayout(dir + "net.tsm");
  }
  End_data();
  return 0;
}
