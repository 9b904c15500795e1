#pragma once

namespace ravix {

// The flags in force for a widget during a pass; each bit enables one kind of work.
inline constexpr int kWidgetUpdate = 1;      // Update runs in the update pass
inline constexpr int kWidgetDirtyAlways = 2; // marked dirty on every update pass
inline constexpr int kWidgetDraw = 4;        // Draw runs in the draw pass
inline constexpr int kWidgetClip = 8;        // drawing is clipped to the widget's rectangle
inline constexpr int kWidgetMouse = 16;      // can be found under the mouse
inline constexpr int kWidgetFocus = 32;      // may keep the keyboard focus

// Bits to set and bits to clear, applied to a set of flags in that order.
struct FlagModifier {
    [[nodiscard]] constexpr int Apply(int flags) const { return (flags | mAdd) & ~mRemove; }
    constexpr bool operator==(const FlagModifier&) const = default;

    int mAdd = 0;
    int mRemove = 0;
};

// The flags handed down the update and draw passes: widgets up to the modal widget (in pass
// order) use mUnderFlags, the modal widget and everything after it mOverFlags. mIsOver turns on
// when the pass reaches the modal widget and stays on for the rest of the pass.
struct ModalFlags {
    [[nodiscard]] int InForce() const { return mIsOver ? mOverFlags : mUnderFlags; }

    int mOverFlags = 0;
    int mUnderFlags = 0;
    bool mIsOver = true;
};

// Applies a widget's modifier to both flag sets for the duration of its pass; the modal switch
// is left as the pass set it.
class ScopedFlagModifier {
public:
    ScopedFlagModifier(ModalFlags& flags, const FlagModifier& modifier)
        : mFlags(flags), mSavedOver(flags.mOverFlags), mSavedUnder(flags.mUnderFlags) {
        flags.mOverFlags = modifier.Apply(flags.mOverFlags);
        flags.mUnderFlags = modifier.Apply(flags.mUnderFlags);
    }
    ~ScopedFlagModifier() {
        mFlags.mOverFlags = mSavedOver;
        mFlags.mUnderFlags = mSavedUnder;
    }
    ScopedFlagModifier(const ScopedFlagModifier&) = delete;
    ScopedFlagModifier& operator=(const ScopedFlagModifier&) = delete;

private:
    ModalFlags& mFlags;
    int mSavedOver;
    int mSavedUnder;
};

} // namespace ravix
