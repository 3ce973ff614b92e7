#include "plugin/PluginGuard.h"

#include <excpt.h>

#include <cstddef>

#if !defined(__i386__)
#error "The plug-in guard is written for 32-bit x86: Susie plug-ins are 32-bit libraries."
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

// A stack overflow used up the stack's guard page; without a new one the
// next overflow would end the process with no chance to handle it.  Marks
// the lowest usable committed page of this thread's stack as the guard again.
void RearmStackGuard() {
    char here = 0;
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(&here, &info, sizeof(info))) return;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    char* at = static_cast<char*>(info.AllocationBase);
    char* top = &here;
    while (at < top) {
        if (!VirtualQuery(at, &info, sizeof(info))) return;
        char* regionEnd = static_cast<char*>(info.BaseAddress) + info.RegionSize;
        if (info.State == MEM_COMMIT && info.Protect != PAGE_NOACCESS) {
            if (info.Protect & PAGE_GUARD) return;  // still armed
            char* guard = static_cast<char*>(info.BaseAddress);
            if (guard + 2 * page > top) return;  // too close to where we stand
            DWORD old = 0;
            VirtualProtect(guard, page, PAGE_READWRITE | PAGE_GUARD, &old);
            return;
        }
        at = regionEnd;
    }
}
}  // namespace

namespace PluginGuard {

bool Call(Body body, void* context, int* result, Fault* fault, void* user) {
    Frame frame;
    frame.hasSse = ProcessorHasSse() ? 1 : 0;
    frame.user = user;
    int value = tavrin_guard_enter(&frame, body, context);
    if (!frame.faulted) {
        if (result) *result = value;
        return true;
    }
    if (frame.code == EXCEPTION_STACK_OVERFLOW) RearmStackGuard();
    if (fault) {
        fault->code = frame.code;
        fault->address = frame.address;
    }
    return false;
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

HostCallback::HostCallback() : m_frame(InnermostFrame()) {
    if (m_frame) ++m_frame->hostDepth;
}

HostCallback::~HostCallback() {
    if (m_frame) --m_frame->hostDepth;
}

const char* FaultName(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "アクセス違反";
    case EXCEPTION_IN_PAGE_ERROR: return "ページ読み込みエラー";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "整数のゼロ除算";
    case EXCEPTION_INT_OVERFLOW: return "整数オーバーフロー";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "不正な命令";
    case EXCEPTION_PRIV_INSTRUCTION: return "特権命令";
    case EXCEPTION_STACK_OVERFLOW: return "スタックオーバーフロー";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "データの境界違反";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "配列の範囲外アクセス";
    case EXCEPTION_BREAKPOINT: return "ブレークポイント";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "浮動小数点のゼロ除算";
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW: return "浮動小数点例外";
    default: return "例外";
    }
}

}  // namespace PluginGuard
