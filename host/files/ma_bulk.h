#pragma once
// The fast path of scene-file setAttr statements whose values are long lists
// of numbers (vertex positions, normals, UVs, weights): the words are parsed
// straight into doubles and written through the scene without a MEL value
// per word.
#include <string>
#include <string_view>
#include <vector>

namespace host::files {

struct MaWord {
    std::string_view text;
    bool quoted = false;
};

constexpr int kBulkNotTaken = 0;  // not a statement for the fast path: run setAttr
constexpr int kBulkDone = 1;      // done
// Negative: failed with bulkError().

// words: everything after "setAttr". scratch: reused number storage.
int bulkSetAttr(const std::vector<MaWord>& words, std::vector<double>& scratch);
const std::string& bulkError();

}  // namespace host::files
