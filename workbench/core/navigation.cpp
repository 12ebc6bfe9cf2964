#include "navigation.h"

#include "cp437.h"
#include "model/short_string.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/records.h"

namespace tesmira::wb {

namespace {

std::string NameOf(int kind, int number) {
  const void* object = Get_TSMObject(number, kind);
  if (object == nullptr) return "";
  char name[256] = {};
  Get_TSMObjectName(kind, object, name);
  return name;
}

}  // namespace

TNavEntry MakeNavEntry(const std::string& currentFile, int originKind, int originNumber,
                       int targetKind, int targetNumber) {
  if (targetKind == 0) {
    targetKind = originKind;
    targetNumber = originNumber;
  }
  TNavEntry entry;
  entry.TargetKind = targetKind;
  entry.OriginKind = originKind;
  entry.OriginName = Cp437ToUtf8(NameOf(originKind, originNumber));
  std::string target = NameOf(targetKind, targetNumber);
  const bool linked = IsLinkedTSMObject(targetNumber, targetKind) > 0;
  if (linked && targetKind == ObjFormula && target.empty()) {
    if (const auto* udf = static_cast<const TUdf*>(Get_TSMObject(targetNumber, ObjFormula)))
      target = std::string(" ").append(std::string(ShortStringView(udf->text))) +
               std::string(ShortStringView(udf->description));
  }
  entry.TargetName = Cp437ToUtf8(target);
  if (linked) entry.ReturnFile = currentFile;
  return entry;
}

int ObjectNumberByName(int kind, const std::string& name) {
  const std::string cp = Utf8ToCp437(name);
  return kind == ObjRandomVariable ? Variable_exists(cp.c_str()) : UDF_exists(cp.c_str());
}

std::string LinkedFileOf(int kind, int number) {
  if (IsLinkedTSMObject(number, kind) <= 0) return "";
  char name[1024] = {};
  GetLinkedFile(number, kind, name);
  return Cp437ToUtf8(name);
}

}  // namespace tesmira::wb
