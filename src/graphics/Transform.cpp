#include "graphics/Transform.h"

namespace ravix {

void Transform::Reset() {
    *this = Transform();
}

void Transform::Translate(float x, float y) {
    if (mMatrixOnly) {
        mMatrix = Matrix3::Translation(x, y) * mMatrix;
    } else if (!mHasScale && !mHasRotation) {
        // Nothing to apply before it yet: a later rotation turns about the moved point.
        mPreTransX += x;
        mPreTransY += y;
        mMatrixDirty = true;
    } else {
        mPostTransX += x;
        mPostTransY += y;
        mMatrixDirty = true;
    }
}

void Transform::Scale(float sx, float sy) {
    // One horizontal mirror stays simple: the drawing has a flipped blit for it.
    bool mirrorOrPositive = sx >= 0.0f || sx * mScaleX == -1.0f;
    bool simple = !mMatrixOnly && !mHasRotation && mPreTransX == 0.0f && mPreTransY == 0.0f &&
                  !HasPostTranslation() && mirrorOrPositive && sy >= 0.0f;
    if (simple) {
        mScaleX *= sx;
        mScaleY *= sy;
        mHasScale = true;
        mMatrixDirty = true;
        return;
    }
    MakeComplex();
    mMatrix = Matrix3::Scale(sx, sy) * mMatrix;
}

void Transform::Rotate(float angle) {
    if (!mMatrixOnly && !mHasScale && !HasPostTranslation()) {
        mRotation += angle;
        mHasRotation = true;
        mMatrixDirty = true;
        return;
    }
    MakeComplex();
    mMatrix = Matrix3::Rotation(angle) * mMatrix;
}

const Matrix3& Transform::GetMatrix() const {
    if (mMatrixDirty) {
        BuildMatrix();
    }
    return mMatrix;
}

void Transform::MakeComplex() {
    if (mMatrixOnly) {
        return;
    }
    if (mMatrixDirty) {
        BuildMatrix();
    }
    mMatrixOnly = true;
}

void Transform::BuildMatrix() const {
    // Pre-translation, then the scale or the rotation, then the post-translation: the same
    // placement the simple drawing paths use.
    Matrix3 m = Matrix3::Translation(mPreTransX, mPreTransY);
    if (mHasScale) {
        m = Matrix3::Scale(mScaleX, mScaleY) * m;
    } else if (mHasRotation) {
        m = Matrix3::Rotation(mRotation) * m;
    }
    if (HasPostTranslation()) {
        m = Matrix3::Translation(mPostTransX, mPostTransY) * m;
    }
    mMatrix = m;
    mMatrixDirty = false;
}

} // namespace ravix
