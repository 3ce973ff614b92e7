// What the guard does the same on every processor; the registration and the
// assembly are in PluginGuardX86.cpp and PluginGuardX64.cpp.
#include "plugin/PluginGuard.h"

namespace PluginGuard {

// Looks for the lowest usable committed page of this thread's stack.  If it
// is a guard page with room below it, the stack is armed.  Otherwise (the
// guard page was used up by an overflow, or it sits at the very bottom as
// Wine's x64 stacks have it) the page `room` bytes above it becomes the guard.
void detail::ArmStackGuard(size_t room) {
    char here = 0;
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(&here, &info, sizeof(info))) return;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    room = (room + page - 1) / page * page;
    char* const base = static_cast<char*>(info.AllocationBase);
    char* at = base;
    char* top = &here;
    while (at < top) {
        if (!VirtualQuery(at, &info, sizeof(info))) return;
        char* regionEnd = static_cast<char*>(info.BaseAddress) + info.RegionSize;
        if (info.State == MEM_COMMIT && info.Protect != PAGE_NOACCESS) {
            char* lowest = static_cast<char*>(info.BaseAddress);
            if ((info.Protect & PAGE_GUARD) && static_cast<size_t>(lowest - base) >= room) return;  // still armed
            char* guard = lowest + room;
            if (guard + 2 * page > top) return;  // too close to where we stand
            DWORD old = 0;
            VirtualProtect(guard, page, PAGE_READWRITE | PAGE_GUARD, &old);
            return;
        }
        at = regionEnd;
    }
}

bool Call(Body body, void* context, int* result, Fault* fault, void* user) {
    Frame frame;
    frame.user = user;
    int value = detail::Enter(&frame, body, context);
    if (!frame.faulted) {
        if (result) *result = value;
        return true;
    }
    if (frame.code == EXCEPTION_STACK_OVERFLOW) detail::ArmStackGuard(detail::kStackOverflowRoom);
    if (fault) {
        fault->code = frame.code;
        fault->address = frame.address;
    }
    return false;
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
