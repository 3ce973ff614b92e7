// The guard on 32-bit x86: a registration record on the thread's exception
// chain (fs:0) for the length of the call.
#include <excpt.h>

#include <cstddef>

#include "plugin/PluginGuard.h"

#if !defined(__i386__)
#error "PluginGuardX86.cpp is the 32-bit x86 guard."
#endif

using PluginGuard::Frame;

static_assert(offsetof(Frame, next) == 0 && offsetof(Frame, handler) == 4, "registration record first");
static_assert(offsetof(Frame, savedEsp) == 8 && offsetof(Frame, savedEbp) == 12, "layout used by the assembly");
static_assert(offsetof(Frame, fpuControl) == 24 && offsetof(Frame, mxcsr) == 28, "layout used by the assembly");
static_assert(offsetof(Frame, hasSse) == 40 && offsetof(Frame, faulted) == 44, "layout used by the assembly");

extern "C" {
// int guard_enter(Frame* frame, Body body, void* context): registers the
// frame, calls body(context), unregisters.  cdecl.
int tavrin_guard_enter(Frame* frame, PluginGuard::Body body, void* context);
// Continues as if guard_enter had returned, from the frame's saved state.
// fastcall: the frame arrives in ecx.
void __fastcall tavrin_guard_resume(Frame* frame) __attribute__((noreturn));
EXCEPTION_DISPOSITION __cdecl tavrin_guard_handler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context,
                                                   void* dispatcher);
}

// The chain must see exactly the state of before the call on both ways out:
// the stack pointer after the three pushes, the previous record on fs:0, and
// the control words the call found.  The plug-in may leave the x87 stack
// full, exceptions pending or the direction flag set when it faults.  On the
// normal way out the x87 exception flags are only cleared when the plug-in
// changed the control word (clearing them is slow on some processors).
asm(R"(
    .text
    .globl _tavrin_guard_enter
    .def _tavrin_guard_enter; .scl 2; .type 32; .endef
_tavrin_guard_enter:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 8(%ebp), %eax
    movl %esp, 8(%eax)
    movl %ebp, 12(%eax)
    fnstcw 24(%eax)
    cmpl $0, 40(%eax)
    je 1f
    stmxcsr 28(%eax)
1:
    movl %fs:0, %ecx
    movl %ecx, 0(%eax)
    movl $_tavrin_guard_handler, 4(%eax)
    movl %eax, %fs:0
    pushl 16(%ebp)
    call *12(%ebp)
    addl $4, %esp
    movl 8(%ebp), %ecx
    movl 0(%ecx), %edx
    movl %edx, %fs:0
    fnstcw 26(%ecx)
    movw 26(%ecx), %dx
    cmpw 24(%ecx), %dx
    je 4f
    fnclex
    fldcw 24(%ecx)
4:
    cmpl $0, 40(%ecx)
    je 2f
    ldmxcsr 28(%ecx)
2:
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .globl @tavrin_guard_resume@4
    .def @tavrin_guard_resume@4; .scl 2; .type 32; .endef
@tavrin_guard_resume@4:
    movl 8(%ecx), %esp
    movl 12(%ecx), %ebp
    movl 0(%ecx), %edx
    movl %edx, %fs:0
    cld
    fninit
    fldcw 24(%ecx)
    cmpl $0, 40(%ecx)
    je 3f
    ldmxcsr 28(%ecx)
3:
    movl $1, 44(%ecx)
    xorl %eax, %eax
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

extern "C" EXCEPTION_DISPOSITION __cdecl tavrin_guard_handler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*,
                                                              void*) {
    // Someone unwinding through us (a plug-in's own long jump) goes on.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    Frame* frame = static_cast<Frame*>(establisher);
    // A fault in our own callback code is ours, not the plug-in's: it is not
    // hidden, and our frames are not jumped over.
    if (frame->hostDepth > 0) return ExceptionContinueSearch;
    frame->code = record->ExceptionCode;
    frame->address = record->ExceptionAddress;
    // Kept small: after a stack overflow this runs on the last page of the stack.
    tavrin_guard_resume(frame);
}

namespace {
bool ProcessorHasSse() {
    static const bool has = IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != FALSE;
    return has;
}

PluginGuard::Frame* ChainHead() {
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return static_cast<Frame*>(head);
}

bool IsChainEnd(const Frame* record) { return record == reinterpret_cast<const Frame*>(~uintptr_t(0)) || !record; }
}  // namespace

namespace PluginGuard {

int detail::Enter(Frame* frame, Body body, void* context) {
    frame->hasSse = ProcessorHasSse() ? 1 : 0;
    return tavrin_guard_enter(frame, body, context);
}

Frame* InnermostFrame() {
    for (Frame* record = ChainHead(); !IsChainEnd(record); record = record->next) {
        if (record->handler == reinterpret_cast<void*>(&tavrin_guard_handler)) return record;
    }
    return nullptr;
}

int ChainDepth() {
    int depth = 0;
    for (Frame* record = ChainHead(); !IsChainEnd(record) && depth < 100000; record = record->next) ++depth;
    return depth;
}

}  // namespace PluginGuard
