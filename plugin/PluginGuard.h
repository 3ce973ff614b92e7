#pragma once
// Runs a call into a plug-in's code so that a processor fault inside it
// (access violation, division by zero, illegal instruction, stack overflow
// and the like) comes back to the host as a failed call instead of ending
// the program.
//
// How: the call runs under an exception handler of ours that the system
// reaches only for a fault the plug-in does not handle itself.  On 32-bit
// x86 that is a registration record pushed on the thread's chain (fs:0) for
// the length of the call; on x64 it is the unwind table entry of the
// assembly that makes the call (exceptions there are dispatched by walking
// the stack frames).  The handler resumes right after the call with the
// stack pointer, the callee-saved registers and the x87 and SSE control
// words as they were before it.  The plug-in's frames are simply abandoned:
// none of its code runs again.  The normal path costs a handful of
// instructions.
//
// Our own code that a plug-in calls back (the progress callback) runs inside
// a HostCallback scope: a fault there is not the plug-in's and is not
// swallowed, and our frames are never jumped over.
//
// What cannot be guarded from inside the process: a plug-in that never
// returns, one that corrupts the host's memory without faulting, and faults
// in code the system runs for the library itself (DllMain).  On x64 also a
// plug-in whose stack cannot be walked (broken unwind tables, a trashed
// stack): the system then never reaches our handler.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace PluginGuard {

struct Fault {
    DWORD code = 0;                 // the exception code, e.g. EXCEPTION_ACCESS_VIOLATION
    const void* address = nullptr;  // where it happened
};

// The record the guard keeps on the stack for one call.  Laid out for the
// assembly in PluginGuardX86.cpp / PluginGuardX64.cpp: do not reorder.
#if defined(__i386__)
struct Frame {
    Frame* next = nullptr;          // exception registration record: next
    void* handler = nullptr;        //                                 handler
    uint32_t savedEsp = 0;
    uint32_t savedEbp = 0;
    uint32_t code = 0;
    const void* address = nullptr;
    uint16_t fpuControl = 0;
    uint16_t fpuControlAfter = 0;   // scratch of the assembly
    uint32_t mxcsr = 0;
    uint32_t hostDepth = 0;         // > 0 while our own callback code runs
    void* user = nullptr;           // what the caller keeps with the call
    uint32_t hasSse = 0;
    uint32_t faulted = 0;
};
#elif defined(__x86_64__)
struct Frame {
    Frame* next = nullptr;          // the guarded call this one runs inside, on this thread
    uint64_t savedRsp = 0;          // after the prologue that saved the callee-saved registers
    void* savedTebList = nullptr;   // the thread's exception list (gs:0) as the call found it
    uint32_t code = 0;
    uint16_t fpuControl = 0;
    uint16_t fpuControlAfter = 0;   // scratch of the assembly
    uint32_t mxcsr = 0;
    uint32_t faulted = 0;
    const void* address = nullptr;
    uint32_t hostDepth = 0;         // > 0 while our own callback code runs
    void* user = nullptr;           // what the caller keeps with the call
};
#else
#error "The plug-in guard is written for x86 and x64 processors."
#endif

using Body = int (*)(void* context);

// Calls body(context) under the guard.  True with *result set when it
// returned; false with *fault set when it faulted.
bool Call(Body body, void* context, int* result, Fault* fault, void* user = nullptr);

// The same for any callable returning int.  It must not throw: no C++
// exception may travel through the guard's frame or the plug-in's.
template <typename F>
bool Run(F& callable, int* result, Fault* fault, void* user = nullptr) {
    return Call([](void* c) noexcept { return (*static_cast<F*>(c))(); }, &callable, result, fault, user);
}

// Marks our own code running inside a guarded call (a callback from the
// plug-in).  user() is what the innermost guarded call was given.
class HostCallback {
public:
    HostCallback();
    ~HostCallback();
    HostCallback(const HostCallback&) = delete;
    HostCallback& operator=(const HostCallback&) = delete;
    void* user() const { return m_frame ? m_frame->user : nullptr; }
    bool insideGuard() const { return m_frame != nullptr; }

private:
    Frame* m_frame;
};

// The innermost guarded call of this thread, or null outside any.
Frame* InnermostFrame();

// 32-bit x86: the number of records on this thread's exception chain.
// x64: the number of guarded calls this thread is inside.
// Either way a guarded call, however it ends, leaves it as it found it.
int ChainDepth();

namespace detail {
// Calls body(context) with the frame registered; per processor.  Returns
// what body returned, or 0 with frame->faulted set.
int Enter(Frame* frame, Body body, void* context);

// The stack the system needs below the guard page to report a stack
// overflow and run our handler.  On x64 the dispatcher copies the whole
// processor state (several kilobytes with the wide vector registers) and
// walks the unwind tables, more than the page or two it is given by default.
#if defined(__i386__)
constexpr size_t kStackOverflowRoom = 0;
#else
constexpr size_t kStackOverflowRoom = 64 * 1024;
#endif

// Makes sure this thread's stack has a guard page with `room` bytes of stack
// below it.  A stack overflow uses the guard up; without a new one the next
// overflow would end the process with no chance to handle it.
void ArmStackGuard(size_t room);
}  // namespace detail

// The user-visible name of an exception code (code page 932), e.g. "アクセス違反".
const char* FaultName(DWORD code);

}  // namespace PluginGuard
