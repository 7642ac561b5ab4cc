#pragma once

namespace gyrelle {

// A rotation as a quaternion: q[0..2] the vector part x, y, z, q[3] the scalar w.
// Angles are radians. A fresh quaternion is (0, 1, 0, 0), a half turn about y.
class Quaternion {
  public:
    Quaternion() { reset(); }

    void reset();
    float index(int i) const { return q[i]; }

    // Axis along the rotation axis, of length 1 / sin(angle / 2) for a unit
    // quaternion (of length 1 when that is too long for a float); nothing is written
    // when the vector part is zero.
    void getAxis(float* axis, float* angle) const;
    // Any non-zero axis length; a zero axis leaves the quaternion unchanged.
    void setAxis(const float* axis, float angle);
    void setEqualTo(const Quaternion& other);
    // Becomes other * this (this rotation first, then other's), normalised.
    void multiplyBy(const Quaternion& other);
    // v and out must not overlap.
    void rotateVector(const float* v, float* out) const;
    void normalize();
    // The squared length.
    float norm() const;

    float q[4];
};

}  // namespace gyrelle
