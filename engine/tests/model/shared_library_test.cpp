// libtesmira.so is usable by a program that does not link the engine:
// it is loaded at run time and its functions are found by their names.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tesmira/records.h"

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

TEST(SharedLibrary, StoreIsCalledByName) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  auto init = reinterpret_cast<TModelRecord* (*)()>(dlsym(lib.handle, "Init_Model_data"));
  auto end = reinterpret_cast<void (*)()>(dlsym(lib.handle, "End_model_data"));
  auto create =
      reinterpret_cast<int32_t (*)(const TExtendedRandomVariable*, TExtendedRandomVariable**,
                                   int32_t*)>(dlsym(lib.handle, "Create_extended_random_variable"));
  auto exists = reinterpret_cast<int32_t (*)(const char*)>(dlsym(lib.handle, "Variable_exists"));
  ASSERT_TRUE(init && end && create && exists);
  ASSERT_NE(init(), nullptr);
  TExtendedRandomVariable rv;
  std::memset(&rv, 0, sizeof rv);
  rv.distribution.name[0] = 3;
  std::memcpy(rv.distribution.name + 1, "abc", 3);
  rv.distribution.distType = DistNormal;
  TExtendedRandomVariable* out = nullptr;
  int32_t size = 0;
  EXPECT_EQ(create(&rv, &out, &size), 1);
  EXPECT_EQ(size, 2176);
  EXPECT_EQ(create(&rv, &out, &size), -1);
  EXPECT_EQ(exists("ABC"), 1);
  end();
}

TEST(SharedLibrary, ExportsNothingButTheInterface) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  // C++ symbols of the engine stay hidden.
  EXPECT_EQ(dlsym(lib.handle, "_ZN7tesmira6detail5dummyEv"), nullptr);
  EXPECT_EQ(dlsym(lib.handle, "_ZN7tesmira5ModelEv"), nullptr);  // tesmira::Model()
}

}  // namespace

// The report-data functions are found by name (no ordinals in ELF).
TEST(SharedLibrary, ReportDataIsCalledByName) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  const char* names[] = {"Rep_get_section_info", "Rep_get_table_info", "Rep_get_object_data"};
  for (const char* name : names) {
    auto fn = reinterpret_cast<int32_t (*)(void*)>(dlsym(lib.handle, name));
    ASSERT_NE(fn, nullptr) << name;
    EXPECT_EQ(fn(nullptr), -1) << name;
  }
  auto next = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib.handle, "Rep_get_next_section"));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next(2), 5);
}
