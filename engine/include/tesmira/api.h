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
