#pragma once
// 4 × 4 float matrices in OpenGL's column-major order (element 12, 13, 14 is
// the translation), multiplied in the column-vector convention: A * B applies
// B to a point first, then A. Screen and scene coordinates are pixels, x to
// the right and y downwards.

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix4 Identity() { return Matrix4{}; }
    static Matrix4 Translation(float x, float y, float z);
    static Matrix4 Scaling(float x, float y, float z);
    /// Rotation about z by `radians` (positive turns x towards y).
    static Matrix4 RotationZ(float radians);

    Matrix4 operator*(const Matrix4& right) const;
    bool operator==(const Matrix4& other) const;

    Vec3 TransformPoint(const Vec3& point) const;
    Vec2 TransformPoint(const Vec2& point) const;
    /// The general inverse; the identity when the matrix is singular.
    Matrix4 Inverse() const;
    /// True when the matrix only translates (no rotation, scale or shear).
    bool IsTranslationOnly() const;
};
