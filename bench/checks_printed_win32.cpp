// The benchmarks that use the end-to-end support have no cases to fail: a check of that
// support that fails (a prefix not restored, a window not found) is printed, and the run
// goes on to print what it can measure.
#include "e2e.h"

#include <cstdio>

namespace e2e {

void Fail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: %s\n", file, line, what.c_str());
}

}  // namespace e2e
