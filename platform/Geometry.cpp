#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>

namespace gyrelle::platform {

PixelRect letterbox(Size pixels, Size points) {
    if (pixels.width <= 0 || pixels.height <= 0 || points.width <= 0 || points.height <= 0) {
        return {};
    }
    double scale = std::min(static_cast<double>(pixels.width) / points.width,
                            static_cast<double>(pixels.height) / points.height);
    int w = std::clamp(static_cast<int>(std::lround(points.width * scale)), 1, pixels.width);
    int h = std::clamp(static_cast<int>(std::lround(points.height * scale)), 1, pixels.height);
    return {(pixels.width - w) / 2, (pixels.height - h) / 2, w, h};
}

}  // namespace gyrelle::platform
