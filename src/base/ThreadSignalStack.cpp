#include "base/ThreadSignalStack.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

namespace ravix {

namespace {

// Room for the crash handler: formatting, the stack walk with symbol lookup and demangling, and
// the application's last calls. Untouched pages cost nothing.
constexpr size_t kAlternateStackSize = 512 * 1024;
// A fault this far below the lowest stack address still belongs to the stack: the kernel keeps
// a gap of about this size below a growing stack, and large frames jump into it.
constexpr uintptr_t kGuardReach = 1024 * 1024;
// A fault this close below the stack pointer is a push or a call that found no stack left.
constexpr uintptr_t kStackPointerReach = 64 * 1024;

struct StackBounds {
    uintptr_t mLow = 0;
    uintptr_t mHigh = 0;
};

thread_local StackBounds tStackBounds;

StackBounds CurrentThreadStack() {
    StackBounds bounds;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return bounds;
    }
    void* address = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attributes, &address, &size) == 0) {
        bounds.mLow = reinterpret_cast<uintptr_t>(address);
        bounds.mHigh = bounds.mLow + size;
    }
    pthread_attr_destroy(&attributes);
    return bounds;
}

} // namespace

ThreadSignalStack::ThreadSignalStack() {
    tStackBounds = CurrentThreadStack();
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // One inaccessible page below the stack turns an overflow of the handler itself into a
    // fault instead of silently writing over other memory.
    mMappingSize = kAlternateStackSize + page;
    void* mapping = mmap(nullptr, mMappingSize, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapping == MAP_FAILED) {
        return;
    }
    mMapping = mapping;
    mprotect(mMapping, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(mMapping) + page;
    stack.ss_size = kAlternateStackSize;
    mActive = sigaltstack(&stack, &mPrevious) == 0;
}

ThreadSignalStack::~ThreadSignalStack() {
    if (mActive) {
        // A previous stack that was disabled stays disabled; flags other than that are not
        // accepted when setting one.
        mPrevious.ss_flags &= SS_DISABLE;
        sigaltstack(&mPrevious, nullptr);
    }
    if (mMapping != nullptr) {
        munmap(mMapping, mMappingSize);
    }
    tStackBounds = StackBounds();
}

bool IsStackOverflowFault(uintptr_t address, uintptr_t stackPointer) {
    const StackBounds bounds = tStackBounds;
    if (bounds.mLow != 0) {
        const uintptr_t page = 4096;
        return address + kGuardReach >= bounds.mLow && address < bounds.mLow + page;
    }
    return address <= stackPointer && stackPointer - address <= kStackPointerReach;
}

} // namespace ravix
