#include "math/Quaternion.h"

#include <algorithm>
#include <cmath>

namespace gyrelle {

void Quaternion::reset() {
    q[0] = 0.0f;
    q[1] = 1.0f;
    q[2] = 0.0f;
    q[3] = 0.0f;
}

void Quaternion::getAxis(float* axis, float* angle) const {
    float s = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
    if (s == 0.0f) {
        if (q[0] == 0.0f && q[1] == 0.0f && q[2] == 0.0f) {
            return;  // no rotation: no axis
        }
        // A turn so small that its square vanishes in single precision still has an
        // axis (of unit length: at full length it would not fit in a float); without
        // one it would be saved as some other rotation.
        const double length =
            std::sqrt(double(q[0]) * q[0] + double(q[1]) * q[1] + double(q[2]) * q[2]);
        for (int i = 0; i < 3; ++i) {
            axis[i] = static_cast<float>(q[i] / length);
        }
        *angle = 2.0f * std::acos(std::clamp(q[3], -1.0f, 1.0f));
        return;
    }
    axis[0] = q[0] / s;
    axis[1] = q[1] / s;
    axis[2] = q[2] / s;
    // Normalising can leave w a rounding step above 1; acosf would give NaN, and a
    // NaN angle makes the cube vanish and is saved for good.
    float w = std::clamp(q[3], -1.0f, 1.0f);
    *angle = 2.0f * std::acos(w);
}

void Quaternion::setAxis(const float* axis, float angle) {
    float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (len == 0.0f) {
        return;
    }
    float h = static_cast<float>(angle * 0.5);
    float k = std::sin(h) / len;
    q[0] = axis[0] * k;
    q[1] = axis[1] * k;
    q[2] = axis[2] * k;
    q[3] = std::cos(h);
}

void Quaternion::setEqualTo(const Quaternion& other) {
    for (int i = 0; i < 4; ++i) {
        q[i] = other.index(i);
    }
}

void Quaternion::multiplyBy(const Quaternion& other) {
    const float ax = q[0], ay = q[1], az = q[2], aw = q[3];
    const float bx = other.q[0], by = other.q[1], bz = other.q[2], bw = other.q[3];
    q[0] = bw * ax + bx * aw + by * az - bz * ay;
    q[1] = bw * ay + by * aw + bz * ax - bx * az;
    q[2] = bw * az + bz * aw + bx * ay - by * ax;
    q[3] = bw * aw - bx * ax - by * ay - bz * az;
    normalize();
}

void Quaternion::rotateVector(const float* v, float* out) const {
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    const float xx = x * x, yy = y * y, zz = z * z, ww = w * w;
    out[0] = (ww + xx - yy - zz) * v[0] + 2 * v[1] * (x * y - w * z) + 2 * v[2] * (x * z + w * y);
    out[1] = 2 * v[0] * (x * y + w * z) + (ww - xx + yy - zz) * v[1] + 2 * v[2] * (y * z - x * w);
    out[2] = 2 * v[0] * (x * z - w * y) + 2 * v[1] * (y * z + x * w) + (ww - xx - yy + zz) * v[2];
}

void Quaternion::normalize() {
    float n = std::sqrt(norm());
    if (n == 0.0f) {
        return;
    }
    for (float& c : q) {
        c /= n;
    }
}

float Quaternion::norm() const {
    return q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
}

}  // namespace gyrelle
