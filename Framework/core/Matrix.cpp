#include "core/Matrix.h"

#include <cmath>
#include <cstring>

Matrix4 Matrix4::Translation(float x, float y, float z) {
    Matrix4 t;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    return t;
}

Matrix4 Matrix4::Scaling(float x, float y, float z) {
    Matrix4 s;
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    return s;
}

Matrix4 Matrix4::RotationZ(float radians) {
    Matrix4 r;
    float c = std::cos(radians);
    float s = std::sin(radians);
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& right) const {
    // Column by column: each output column is a sum of this matrix's columns
    // weighted by one column of `right`; the inner loop over rows vectorises.
    Matrix4 out;
    for (int column = 0; column < 4; ++column) {
        const float* weights = right.m + column * 4;
        float* target = out.m + column * 4;
        for (int row = 0; row < 4; ++row) {
            target[row] = m[row] * weights[0] + m[4 + row] * weights[1] + m[8 + row] * weights[2] +
                          m[12 + row] * weights[3];
        }
    }
    return out;
}

bool Matrix4::operator==(const Matrix4& other) const {
    return std::memcmp(m, other.m, sizeof m) == 0;
}

Vec3 Matrix4::TransformPoint(const Vec3& p) const {
    return Vec3{m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

Vec2 Matrix4::TransformPoint(const Vec2& p) const {
    return Vec2{m[0] * p.x + m[4] * p.y + m[12], m[1] * p.x + m[5] * p.y + m[13]};
}

bool Matrix4::IsTranslationOnly() const {
    static const Matrix4 identity;
    for (int i = 0; i < 12; ++i) {
        if (m[i] != identity.m[i]) {
            return false;
        }
    }
    return m[15] == 1.0f;
}

Matrix4 Matrix4::Inverse() const {
    // Cofactor expansion of the full 4 × 4 matrix.
    const float* a = m;
    float inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    float det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    Matrix4 out;
    if (det == 0.0f) {
        return out;
    }
    float scale = 1.0f / det;
    for (int i = 0; i < 16; ++i) {
        out.m[i] = inv[i] * scale;
    }
    return out;
}
