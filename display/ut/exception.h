#pragma once

#include "ut/strings.h"

namespace ut {

// The one exception type of the display program: a message and the name of the
// function that threw it ("File::ReadBuf" or a plain function name).
class Exception {
 public:
  Exception(const String& message, const String& function_name)
      : message_(message), function_name_(function_name) {}

  const String& message() const { return message_; }
  const String& function_name() const { return function_name_; }

 private:
  String message_;
  String function_name_;
};

}  // namespace ut
