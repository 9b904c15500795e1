#pragma once

#include "graphics/Matrix3.h"

namespace ravix {

// A 2D transform for drawing an image about its centre (Graphics::DrawImageTransformed).
// Operations apply in the order they are called: a point goes through the earlier ones first.
// While the transform is simple (an optional translation, then one scale or one rotation, then
// an optional translation) it is kept as separate values so that drawing can use the plain
// blits; anything more makes it complex, after which only the matrix is kept and updated.
class Transform {
public:
    Transform() = default;

    void Reset();
    void Translate(float x, float y);
    void Scale(float sx, float sy);
    void Rotate(float angle); // radians; the matrix (cos, -sin / sin, cos)

    [[nodiscard]] bool IsComplex() const { return mMatrixOnly; }
    // The whole transform as a matrix; built on first use after a change.
    [[nodiscard]] const Matrix3& GetMatrix() const;

    // The parts of a simple transform (meaningless once it is complex).
    [[nodiscard]] bool HasRotation() const { return mHasRotation; }
    [[nodiscard]] bool HasScale() const { return mHasScale; }
    [[nodiscard]] float GetPreTransX() const { return mPreTransX; }
    [[nodiscard]] float GetPreTransY() const { return mPreTransY; }
    [[nodiscard]] float GetPostTransX() const { return mPostTransX; }
    [[nodiscard]] float GetPostTransY() const { return mPostTransY; }
    [[nodiscard]] float GetScaleX() const { return mScaleX; }
    [[nodiscard]] float GetScaleY() const { return mScaleY; }
    [[nodiscard]] float GetRotation() const { return mRotation; }

private:
    void MakeComplex();
    void BuildMatrix() const;
    [[nodiscard]] bool HasPostTranslation() const {
        return mPostTransX != 0.0f || mPostTransY != 0.0f;
    }

    mutable Matrix3 mMatrix;
    mutable bool mMatrixDirty = true;
    bool mMatrixOnly = false;
    bool mHasRotation = false;
    bool mHasScale = false;
    float mPreTransX = 0.0f;
    float mPreTransY = 0.0f;
    float mPostTransX = 0.0f;
    float mPostTransY = 0.0f;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    float mRotation = 0.0f;
};

} // namespace ravix
