#pragma once
// A place where a test stops the process as a crash or a kill would: in a build with fault points
// (KESTRIX_FAULT_POINTS, set with the tests) a run whose environment says KESTRIX_FAULT=name is
// killed here. Without that variable, or in a build without fault points, it does nothing.

#include <string_view>

#ifdef KESTRIX_FAULT_POINTS
#include <csignal>
#include <cstdlib>
#endif

namespace kestrix {

inline void faultPoint([[maybe_unused]] std::string_view name)
{
#ifdef KESTRIX_FAULT_POINTS
    if (const char *fault = std::getenv("KESTRIX_FAULT"); fault && name == fault)
        std::raise(SIGKILL);
#endif
}

}  // namespace kestrix
