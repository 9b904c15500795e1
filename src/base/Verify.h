#pragma once

#include <cstdio>
#include <cstdlib>

// An always-on assertion for programmer errors (a broken invariant or a call outside an
// operation's contract). It stays in release builds; bad outside data never reaches it.
#define RAVIX_VERIFY(condition, message)                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: verification failed: %s (%s)\n", __FILE__, __LINE__,      \
                         #condition, message);                                                     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
