#pragma once
// ENGINE_ASSERT: a check of what the code itself promises (a caller's
// contract, an invariant), never of what came from a file, a script or the
// player: bad data is checked, logged and handled where it is read.
//
// In debug builds a failed check logs the condition with its place, writes
// the same line to standard error and aborts, so the fault shows where it
// happened. In release builds the condition is not evaluated.

/// Reports a failed ENGINE_ASSERT and aborts.
[[noreturn]] void EngineAssertionFailed(const char* condition, const char* file, int line);

#ifdef NDEBUG
#define ENGINE_ASSERT(condition) ((void)sizeof(condition))
#else
#define ENGINE_ASSERT(condition) \
    ((condition) ? (void)0 : EngineAssertionFailed(#condition, __FILE__, __LINE__))
#endif
