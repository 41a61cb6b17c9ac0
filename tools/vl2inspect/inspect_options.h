#pragma once
// Options of one vl2inspect run, shared by every file-type view.

#include <string>

namespace vl2::inspect {

struct InspectOptions {
    bool json = false;  // print the tree as one JSON document
    bool check = false; // verify the structure only; print a one-line verdict
    bool full = false;  // text view: print every list item
    // Layered images: write the composite (pngLayer -1) or one layer as PNG.
    std::string pngPath;
    int pngLayer = -1;
};

} // namespace vl2::inspect
