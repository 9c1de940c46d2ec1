// The camera a renderer's scene is seen through: the active camera of the drawing, or, when it
// has none, the camera view's own default eye.
#pragma once

#include "model/projection.h"

namespace korav {

struct Drawing;

// The eye, target and lens value (60 when the camera has none). A target on the eye is moved
// one metre ahead along +y, and a target straight above or below the eye a little to +y, so
// that the renderers always get a direction to look in and an up to keep.
ViewCamera scene_camera(const Drawing& d);

}  // namespace korav
