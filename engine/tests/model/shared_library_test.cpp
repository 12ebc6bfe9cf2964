// libtesmira.so is usable by a program that does not link the engine:
// it is loaded at run time and its functions are found by their names.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

struct Library {
  void* handle = dlopen(TESMIRA_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ~Library() {
    if (handle) dlclose(handle);
  }
};

TEST(SharedLibrary, ExportsTheModelInterfaceByName) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  using VersionFn = double (*)();
  auto design = reinterpret_cast<VersionFn>(dlsym(lib.handle, "GetDataDesignVersion"));
  auto version = reinterpret_cast<VersionFn>(dlsym(lib.handle, "GetVelnarVersion"));
  ASSERT_NE(design, nullptr);
  ASSERT_NE(version, nullptr);
  EXPECT_DOUBLE_EQ(design(), 2.0);
  EXPECT_DOUBLE_EQ(version(), 2.2);
}

TEST(SharedLibrary, ExportsNothingButTheInterface) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  // C++ symbols of the engine stay hidden.
  EXPECT_EQ(dlsym(lib.handle, "_ZN7tesmira6detail5dummyEv"), nullptr);
}

}  // namespace
