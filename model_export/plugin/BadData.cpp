#include "BadData.h"

#include <cstdarg>
#include <cstdio>

namespace vl2 {

BadDataReport& badData() {
    static BadDataReport r;
    return r;
}

void BadDataReport::report(const char* format, ...) {
    char buf[1024];  // each report is cut at 1023 characters
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    text_ += buf;
    flags_ |= 1u;
}

}  // namespace vl2
