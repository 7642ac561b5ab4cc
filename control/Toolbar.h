#pragma once

#include <vector>

#include "platform/Geometry.h"

namespace gyrelle {

// Where `count` toolbar buttons go, in the view's points, in the space the 2:3 picture
// leaves in a drawable reaching `reach` (view points; the picture is 0, 0, 320, 480),
// none smaller than `leastSide` on either side: rows under the picture where the bar
// below it is high enough (a phone held upright), else columns to its right (a wide
// window); none where neither fits (the toolbar is then behind the menu button).
std::vector<platform::Rect> toolbarFrames(platform::Rect reach, float leastSide, int count);

}  // namespace gyrelle
