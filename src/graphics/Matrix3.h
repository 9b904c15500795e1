#pragma once

namespace ravix {

// A 3x3 float matrix for 2D affine transforms, row-major: m[row][column],
// translation in column 2. Points are column vectors (x, y, 1), so A * B applies B first.
struct Matrix3 {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    static constexpr Matrix3 Identity() { return Matrix3{}; }

    friend constexpr Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
        Matrix3 r;
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                r.m[row][col] = a.m[row][0] * b.m[0][col] + a.m[row][1] * b.m[1][col] +
                                a.m[row][2] * b.m[2][col];
            }
        }
        return r;
    }

    friend constexpr bool operator==(const Matrix3&, const Matrix3&) = default;

    // Maps the point (x, y, 1). Transforms here are affine, so the third row is not used and
    // no division can produce infinite coordinates.
    constexpr void Apply(float x, float y, float& outX, float& outY) const {
        outX = m[0][0] * x + m[0][1] * y + m[0][2];
        outY = m[1][0] * x + m[1][1] * y + m[1][2];
    }
};

} // namespace ravix
