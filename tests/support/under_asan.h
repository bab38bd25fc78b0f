// QUORVEX_UNDER_ASAN is defined where the address sanitizer instruments the code: g++ and clang
// tell it in different ways. Timing and heap bounds do not hold there.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define QUORVEX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEX_UNDER_ASAN 1
#endif
#endif
