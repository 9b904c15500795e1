#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

namespace ravix {

// Gives the calling thread an alternate signal stack for as long as the object lives, so that
// the crash handler still runs when the thread has used up its own stack, and remembers where
// the thread's stack lies so that such a fault can be recognised. Every thread the framework
// starts makes one at the top of its body; the crash handler makes one for the main thread.
// The object must be destroyed on the thread that made it.
class ThreadSignalStack {
public:
    ThreadSignalStack();
    ~ThreadSignalStack();
    ThreadSignalStack(const ThreadSignalStack&) = delete;
    ThreadSignalStack& operator=(const ThreadSignalStack&) = delete;

    // Whether the alternate stack is in place (mapping the memory can fail).
    bool IsActive() const { return mActive; }

private:
    void* mMapping = nullptr;
    size_t mMappingSize = 0;
    bool mActive = false;
    stack_t mPrevious{};
};

// Whether a fault at address on the calling thread hit the end of the thread's stack: a stack
// overflow. Uses the bounds a ThreadSignalStack recorded; on a thread without one, a fault just
// below the interrupted stack pointer counts. Safe to call in a signal handler.
bool IsStackOverflowFault(uintptr_t address, uintptr_t stackPointer);

} // namespace ravix
