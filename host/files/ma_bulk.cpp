#include "files/ma_bulk.h"

namespace host::files {

namespace {
std::string& lastError() {
    static std::string e;
    return e;
}
}  // namespace

int bulkSetAttr(const std::vector<MaWord>&, std::vector<double>&) { return kBulkNotTaken; }

const std::string& bulkError() { return lastError(); }

}  // namespace host::files
