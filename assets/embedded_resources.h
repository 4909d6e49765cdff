// The native build's copy of the resources compiled from gushmire.rc. The
// table is generated from the compiled .res file and installed as the main
// module's resources before main() runs; tests and tools read it here.
#pragma once

#include "layer.h"

namespace gushmire {

platform::ResourceTable EmbeddedResources();

} // namespace gushmire
