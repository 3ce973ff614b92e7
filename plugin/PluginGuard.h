#pragma once
// Runs a call into a plug-in's code so that a processor fault inside it
// (access violation, division by zero, illegal instruction, stack overflow
// and the like) comes back to the host as a failed call instead of ending
// the program.
//
// How: an exception registration record is pushed on the thread's chain
// (fs:0) for the length of the call.  A fault the plug-in does not handle
// itself reaches our handler, which resumes right after the call with the
// stack pointer, the frame chain, the callee-saved registers and the x87 and
// SSE control words as they were before it.  The plug-in's frames are simply
// abandoned: none of its code runs again.  The normal path costs a handful of
// instructions.
//
// Our own code that a plug-in calls back (the progress callback) runs inside
// a HostCallback scope: a fault there is not the plug-in's and is not
// swallowed, and our frames are never jumped over.
//
// What cannot be guarded from inside the process: a plug-in that never
// returns, one that corrupts the host's memory without faulting, and faults
// in code the system runs for the library itself (DllMain).
#include <windows.h>

#include <cstdint>

namespace PluginGuard {

struct Fault {
    DWORD code = 0;                 // the exception code, e.g. EXCEPTION_ACCESS_VIOLATION
    const void* address = nullptr;  // where it happened
};

// The record the guard keeps on the stack for one call.  Laid out for the
// assembly in PluginGuard.cpp: do not reorder.
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

// The number of records on this thread's exception chain.
int ChainDepth();

// The user-visible name of an exception code (code page 932), e.g. "アクセス違反".
const char* FaultName(DWORD code);

}  // namespace PluginGuard
