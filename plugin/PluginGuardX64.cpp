// The guard on x64.  There is no registration chain here: the system finds
// handlers by walking the stack frames with the unwind tables (.pdata and
// .xdata), from the faulting frame upwards.  The assembly that makes the call
// therefore carries our handler in its own unwind entry, so the system asks
// the plug-in's frames first and ours only when they did not handle the fault,
// in the same order as the 32-bit chain.  The innermost guarded call of each
// thread is kept in a thread-local slot, for HostCallback and nesting.
#include <excpt.h>

#include <cstddef>

#include "plugin/PluginGuard.h"

#if !defined(__x86_64__)
#error "PluginGuardX64.cpp is the x64 guard."
#endif

using PluginGuard::Frame;

static_assert(offsetof(Frame, next) == 0 && offsetof(Frame, savedRsp) == 8, "layout used by the assembly");
static_assert(offsetof(Frame, savedTebList) == 16, "layout used by the assembly");
static_assert(offsetof(Frame, fpuControl) == 28 && offsetof(Frame, fpuControlAfter) == 30, "layout used by the assembly");
static_assert(offsetof(Frame, mxcsr) == 32 && offsetof(Frame, faulted) == 36, "layout used by the assembly");

namespace {
// Where tavrin_guard_enter keeps the Frame in its own stack frame, from the
// stack pointer after its prologue (which is what the system hands the
// handler as the establisher frame).
constexpr size_t kFrameSlot = 192;
}  // namespace

extern "C" {
// int guard_enter(Frame* frame, Body body, void* context): saves the
// callee-saved registers and control words, calls body(context).
int tavrin_guard_enter(Frame* frame, PluginGuard::Body body, void* context);
// Continues as if guard_enter had returned 0, from the frame's saved state.
void tavrin_guard_resume(Frame* frame) __attribute__((noreturn));
EXCEPTION_DISPOSITION tavrin_guard_handler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context,
                                           void* dispatcher);
}

// The prologue pushes the eight callee-saved general registers and stores
// xmm6-xmm15 (callee-saved in the Windows x64 convention) in the frame, and
// the unwind entry says so: a walk through the guard (a fault of our own
// passing by to an outer handler) sees the caller's registers.  The resume
// path puts the stack pointer back and leaves through the same epilogue, so
// both ways out restore the same registers.  Frame layout after the
// prologue: 0-31 the callee's home area, 32-191 xmm6-xmm15, 192 the Frame,
// then the pushes; 200 bytes keep the call 16-byte aligned.
//
// The system's dispatcher may keep records of its own on the thread's
// exception list (gs:0) while it calls a handler (Wine does, for nested
// faults); the resume path drops them by putting the list back as the call
// found it, or the next fault would find a stale record there.  Windows
// itself does not use the list on x64, so this costs nothing there.
//
// The plug-in may leave the x87 stack full, exceptions pending, other control
// words or the direction flag set when it faults.  On the normal way out the
// x87 exception flags are only cleared when the plug-in changed the control
// word (clearing them is slow on some processors).
asm(R"(
    .text
    .p2align 4
    .globl tavrin_guard_enter
    .def tavrin_guard_enter; .scl 2; .type 32; .endef
    .seh_proc tavrin_guard_enter
tavrin_guard_enter:
    pushq %rbp
    .seh_pushreg %rbp
    pushq %rbx
    .seh_pushreg %rbx
    pushq %rdi
    .seh_pushreg %rdi
    pushq %rsi
    .seh_pushreg %rsi
    pushq %r12
    .seh_pushreg %r12
    pushq %r13
    .seh_pushreg %r13
    pushq %r14
    .seh_pushreg %r14
    pushq %r15
    .seh_pushreg %r15
    subq $200, %rsp
    .seh_stackalloc 200
    movaps %xmm6, 32(%rsp)
    .seh_savexmm %xmm6, 32
    movaps %xmm7, 48(%rsp)
    .seh_savexmm %xmm7, 48
    movaps %xmm8, 64(%rsp)
    .seh_savexmm %xmm8, 64
    movaps %xmm9, 80(%rsp)
    .seh_savexmm %xmm9, 80
    movaps %xmm10, 96(%rsp)
    .seh_savexmm %xmm10, 96
    movaps %xmm11, 112(%rsp)
    .seh_savexmm %xmm11, 112
    movaps %xmm12, 128(%rsp)
    .seh_savexmm %xmm12, 128
    movaps %xmm13, 144(%rsp)
    .seh_savexmm %xmm13, 144
    movaps %xmm14, 160(%rsp)
    .seh_savexmm %xmm14, 160
    movaps %xmm15, 176(%rsp)
    .seh_savexmm %xmm15, 176
    .seh_endprologue
    .seh_handler tavrin_guard_handler, @except
    movq %rcx, 192(%rsp)
    movq %rsp, 8(%rcx)
    movq %gs:0, %rax
    movq %rax, 16(%rcx)
    fnstcw 28(%rcx)
    stmxcsr 32(%rcx)
    movq %rdx, %rax
    movq %r8, %rcx
    call *%rax
    movq 192(%rsp), %rcx
    fnstcw 30(%rcx)
    movw 30(%rcx), %dx
    cmpw 28(%rcx), %dx
    je 1f
    fnclex
    fldcw 28(%rcx)
1:
    ldmxcsr 32(%rcx)
.Ltavrin_guard_leave:
    movaps 32(%rsp), %xmm6
    movaps 48(%rsp), %xmm7
    movaps 64(%rsp), %xmm8
    movaps 80(%rsp), %xmm9
    movaps 96(%rsp), %xmm10
    movaps 112(%rsp), %xmm11
    movaps 128(%rsp), %xmm12
    movaps 144(%rsp), %xmm13
    movaps 160(%rsp), %xmm14
    movaps 176(%rsp), %xmm15
    addq $200, %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rsi
    popq %rdi
    popq %rbx
    popq %rbp
    ret

    .globl tavrin_guard_resume
tavrin_guard_resume:
    movq 8(%rcx), %rsp
    movq 16(%rcx), %rax
    movq %rax, %gs:0
    cld
    fninit
    fldcw 28(%rcx)
    ldmxcsr 32(%rcx)
    movl $1, 36(%rcx)
    xorl %eax, %eax
    jmp .Ltavrin_guard_leave
    .seh_endproc
)");

extern "C" EXCEPTION_DISPOSITION tavrin_guard_handler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    // Someone unwinding through us (a plug-in's own long jump) goes on.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    Frame* frame = *reinterpret_cast<Frame**>(static_cast<char*>(establisher) + kFrameSlot);
    // A fault in our own callback code is ours, not the plug-in's: it is not
    // hidden, and our frames are not jumped over.
    if (frame->hostDepth > 0) return ExceptionContinueSearch;
    frame->code = record->ExceptionCode;
    frame->address = record->ExceptionAddress;
    // Kept small: after a stack overflow this runs on the last page of the stack.
    tavrin_guard_resume(frame);
}

namespace {
// The thread-local slot of the innermost guarded call, allocated once for
// the process.  It holds null until the thread's first guarded call
// prepared its stack, then the innermost guarded call, or &g_outside when
// it is inside none.  Without a slot (never seen) the guard still works;
// only HostCallback cannot tell our code from the plug-in's.
Frame g_outside;

DWORD InnermostSlot() {
    static const DWORD slot = TlsAlloc();
    return slot;
}

// Once per thread: room for the system to report a stack overflow.  The
// guarantee is what the system leaves below the guard when it raises the
// overflow; the guard page itself must sit above that room, which Wine's
// fully committed x64 stacks do not have to begin with.
Frame* PrepareThread() {
    ULONG guarantee = PluginGuard::detail::kStackOverflowRoom;
    SetThreadStackGuarantee(&guarantee);  // a stack too small keeps the default
    PluginGuard::detail::ArmStackGuard(PluginGuard::detail::kStackOverflowRoom);
    return &g_outside;
}
}  // namespace

namespace PluginGuard {

int detail::Enter(Frame* frame, Body body, void* context) {
    const DWORD slot = InnermostSlot();
    if (slot == TLS_OUT_OF_INDEXES) return tavrin_guard_enter(frame, body, context);
    frame->next = static_cast<Frame*>(TlsGetValue(slot));
    if (!frame->next) frame->next = PrepareThread();
    TlsSetValue(slot, frame);
    const int value = tavrin_guard_enter(frame, body, context);
    TlsSetValue(slot, frame->next);
    return value;
}

Frame* InnermostFrame() {
    const DWORD slot = InnermostSlot();
    if (slot == TLS_OUT_OF_INDEXES) return nullptr;
    // Called from callbacks inside a plug-in: its last error stays as it was.
    const DWORD lastError = GetLastError();
    Frame* frame = static_cast<Frame*>(TlsGetValue(slot));
    SetLastError(lastError);
    return frame == &g_outside ? nullptr : frame;
}

int ChainDepth() {
    int depth = 0;
    for (Frame* frame = InnermostFrame(); frame && frame != &g_outside && depth < 100000; frame = frame->next) ++depth;
    return depth;
}

}  // namespace PluginGuard
