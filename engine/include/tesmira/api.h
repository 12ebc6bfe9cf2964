// Export conventions of the engine's C interface.
#pragma once

#ifdef __cplusplus
#define TESMIRA_EXTERN_C extern "C"
#else
#define TESMIRA_EXTERN_C
#endif

// Every exported function carries C linkage and default visibility; the rest of
// the engine is compiled with hidden visibility, so nothing else leaves libtesmira.so.
#define TESMIRA_API TESMIRA_EXTERN_C __attribute__((visibility("default")))

#ifdef __cplusplus
#include <type_traits>
// A record whose in-memory bytes are its file bytes: it must be copyable as
// bytes, and the machine must store numbers little-endian as the files do.
#define TESMIRA_RAW_RECORD(T)                                                   \
  static_assert(std::is_trivially_copyable_v<T>, #T " is copied as raw bytes"); \
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, #T " bytes are little-endian")
#endif
