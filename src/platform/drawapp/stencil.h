#pragma once
// The project's stencil, defined once as .vsdx-format XML: it serves the
// in-process stencil, the master copied into a drawing on drop, and the
// "Tarnwick.vssx" file.
#include <string>
#include <string_view>
#include <vector>

namespace tw::drawapp {

inline constexpr std::string_view kStencilDocName = "Tarnwick.vssx";

// A minimal document part (style 0 "No Style" and document settings), used by
// the stencil file and by new drawings.
std::string documentXml();
// masters.xml of the stencil; its Master entries refer to rId1, rId2, ...
std::string stencilMastersXml();
// The master parts, in the order of the entries of stencilMastersXml().
std::vector<std::string> stencilMasterParts();

}  // namespace tw::drawapp
