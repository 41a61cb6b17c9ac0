#pragma once
// Descriptions of inconsistent mesh data found during an export; written into
// the model file as a BADD chunk, or printed in validation.
#include <string>

namespace vl2 {

class BadDataReport {
public:
    void report(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    unsigned flags() const { return flags_; }
    const std::string& text() const { return text_; }
    void reset() {
        flags_ = 0;
        text_.clear();
    }

private:
    unsigned flags_ = 0;
    std::string text_;
};

BadDataReport& badData();

}  // namespace vl2
