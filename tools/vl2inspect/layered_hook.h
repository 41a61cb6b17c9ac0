#pragma once
// Hook for the layered-image (PSD, "8BPS") view. It lives in
// layered_image_view.cpp, which joins vl2inspect only when present; the build
// defines VL2_HAVE_LAYERED_IMAGE_VIEW then. layered_image_view.cmake, if
// present, is included by the vl2inspect CMakeLists to link its libraries
// into the target vl2_inspect_core.
//
// Contract: print the view of `path` to `out` following opts (json, check,
// full), report problems on standard error, and return the process exit
// status (0 fine, 1 bad file).

#include "inspect_options.h"

#include <ostream>
#include <string>

namespace vl2::inspect {

int inspectLayeredImage(const std::string& path, const InspectOptions& opts, std::ostream& out);

} // namespace vl2::inspect
