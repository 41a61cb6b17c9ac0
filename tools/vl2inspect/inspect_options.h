#pragma once
// Options of one vl2inspect run, shared by every file-type view.

namespace vl2::inspect {

struct InspectOptions {
    bool json = false;  // print the tree as one JSON document
    bool check = false; // verify the structure only; print a one-line verdict
    bool full = false;  // text view: print every list item
};

} // namespace vl2::inspect
