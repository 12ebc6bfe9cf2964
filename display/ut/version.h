#pragma once

#include "ut/strings.h"

namespace ut {

// Executables of the suite carry their version as a marker text: the bytes of
// kVersionMarker followed by "major.minor.build.release" and a NUL.
inline constexpr char kVersionMarker[] = "@(#)TESMIRA-FILE-VERSION ";

// The version text embedded in this program ("2.3.0.0"); referencing it keeps
// the marker in the executable.
const char* program_version_text();

// Reads major and minor from the version marker of an executable. False, with
// both outputs unchanged, when the file cannot be read or holds no valid marker.
bool get_file_version(const String& path, int& major, int& minor);

}  // namespace ut
