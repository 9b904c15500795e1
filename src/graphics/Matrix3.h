#pragma once

#include <cmath>

namespace ravix {

// A row-major 3x3 float matrix acting on column vectors (x, y, 1): the translation lives in the
// third column.
struct Matrix3 {
    static Matrix3 Identity() { return Matrix3(); }

    static Matrix3 Scale(float sx, float sy) {
        Matrix3 m;
        m.mData[0][0] = sx;
        m.mData[1][1] = sy;
        return m;
    }

    static Matrix3 Rotation(float angle) {
        Matrix3 m;
        float c = std::cos(angle);
        float s = std::sin(angle);
        m.mData[0][0] = c;
        m.mData[0][1] = -s;
        m.mData[1][0] = s;
        m.mData[1][1] = c;
        return m;
    }

    static Matrix3 Translation(float tx, float ty) {
        Matrix3 m;
        m.mData[0][2] = tx;
        m.mData[1][2] = ty;
        return m;
    }

    Matrix3 operator*(const Matrix3& other) const {
        Matrix3 result;
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                float sum = 0.0f;
                for (int k = 0; k < 3; ++k) {
                    sum += mData[row][k] * other.mData[k][col];
                }
                result.mData[row][col] = sum;
            }
        }
        return result;
    }

    // Maps (x, y, 1) through the affine part; the bottom row is not used.
    void Apply(float x, float y, float& outX, float& outY) const {
        outX = mData[0][0] * x + mData[0][1] * y + mData[0][2];
        outY = mData[1][0] * x + mData[1][1] * y + mData[1][2];
    }

    bool operator==(const Matrix3&) const = default;

    float mData[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
};

} // namespace ravix
