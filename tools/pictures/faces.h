// A crowd of simple painted faces: the scene behind the rippled glass.
#pragma once

#include "image.h"

namespace pictures {

Image RenderFaces(int width, int height);

} // namespace pictures
