// The plug-in guard itself: each kind of fault comes back as a failed call,
// and a guarded call leaves the thread as it found it (exception chain or
// guarded-call depth, stack pointer, callee-saved registers, x87 and SSE
// control words, handles), however many times it runs and however the
// plug-in ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "PluginTestSupport.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/PluginGuard.h"
#include "plugin/SusieErrors.h"

#pragma GCC diagnostic ignored "-Winfinite-recursion"

namespace {
volatile int g_zero = 0;
int* volatile g_null = nullptr;

int NullWrite() {
    *g_null = 1;
    return 1;
}
int DivideByZero() { return 10 / g_zero; }
int IllegalInstruction() {
    asm volatile("ud2");
    return 1;
}
__attribute__((noinline)) int Recurse(int depth) {
    volatile char room[512];
    room[0] = static_cast<char>(depth);
    return Recurse(depth + 1) + room[0];
}
int Overflow() { return Recurse(0); }
int FortyTwo() { return 42; }

#if defined(__x86_64__)
#define READ_SP(v) asm volatile("movq %%rsp, %0" : "=r"(v))
#else
#define READ_SP(v) asm volatile("movl %%esp, %0" : "=r"(v))
#endif

uint16_t FpuControl() {
    uint16_t cw;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}
uint16_t FpuTags() {
    uint32_t env[7];
    asm volatile("fnstenv %0; fldenv %0" : "=m"(env));
    return static_cast<uint16_t>(env[2]);
}
uint32_t Mxcsr() {
    uint32_t v = 0;
    if (IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE)) asm volatile("stmxcsr %0" : "=m"(v));
    return v;
}
bool DirectionFlag() {
    uintptr_t flags;
#if defined(__x86_64__)
    asm volatile("pushfq; popq %0" : "=r"(flags));
#else
    asm volatile("pushfl; popl %0" : "=r"(flags));
#endif
    return (flags & 0x400) != 0;
}

const char* const kPluginSuffix = sizeof(void*) == 8 ? ".sph" : ".spi";

typedef int(__stdcall* GetPictureFn)(LPSTR, LONG_PTR, unsigned int, HLOCAL*, HLOCAL*, SPIProgressCallback, LONG_PTR);
typedef int(__stdcall* GetPluginInfoFn)(int, LPSTR, int);
typedef HLOCAL(__stdcall* LeftBlockFn)();

// A fixture plug-in loaded straight from the build, called without the host.
struct RawPlugin {
    explicit RawPlugin(const char* fixture) : module(LoadLibraryW(W(FixturePluginDir() + fixture + kPluginSuffix).c_str())) {}
    template <typename F>
    F Export(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
    }
    UniqueModule module;
};
}  // namespace

TEST(PluginGuard, EachKindOfFaultComesBackAsAFailedCall) {
    struct Case { int (*body)(); DWORD code; const char* name; } cases[] = {
        {NullWrite, EXCEPTION_ACCESS_VIOLATION, "アクセス違反"},
        {DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO, "整数のゼロ除算"},
        {IllegalInstruction, EXCEPTION_ILLEGAL_INSTRUCTION, "不正な命令"},
        {Overflow, EXCEPTION_STACK_OVERFLOW, "スタックオーバーフロー"},
    };
    for (const Case& c : cases) {
        int result = -5;
        PluginGuard::Fault fault;
        auto body = c.body;
        auto call = [body] { return body(); };
        EXPECT_FALSE(PluginGuard::Run(call, &result, &fault)) << c.name;
        EXPECT_EQ(c.code, fault.code) << c.name;
        EXPECT_NE(nullptr, fault.address) << c.name;
        EXPECT_EQ(-5, result) << "a faulted call leaves the result alone";
        EXPECT_STREQ(c.name, PluginGuard::FaultName(c.code));
    }
    int result = 0;
    PluginGuard::Fault fault;
    auto good = [] { return FortyTwo(); };
    EXPECT_TRUE(PluginGuard::Run(good, &result, &fault));
    EXPECT_EQ(42, result);
    EXPECT_EQ(0u, fault.code);
}

TEST(PluginGuard, APluginThatSpoilsTheProcessorStateAndFaultsLeavesItAsItWas) {
    RawPlugin plugin("fault_picture");
    auto getPicture = plugin.Export<GetPictureFn>("GetPicture");
    auto leftBlock = plugin.Export<LeftBlockFn>("FixtureLeftBlock");
    ASSERT_NE(nullptr, getPicture);

    const uint16_t cw = FpuControl();
    const uint32_t mxcsr = Mxcsr();
    const int depth = PluginGuard::ChainDepth();
    HLOCAL info = nullptr, bits = nullptr;
    char name[] = "x.ppm";
    auto call = [&] { return getPicture(name, 0, 0, &info, &bits, nullptr, 0); };
    int result = 0;
    PluginGuard::Fault fault;
    ASSERT_FALSE(PluginGuard::Run(call, &result, &fault));
    EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, fault.code);
    EXPECT_EQ(cw, FpuControl());
    EXPECT_EQ(mxcsr, Mxcsr());
    EXPECT_EQ(0xFFFF, FpuTags()) << "the x87 stack is empty again";
    EXPECT_FALSE(DirectionFlag());
    EXPECT_EQ(depth, PluginGuard::ChainDepth());
    // The block it handed back before the fault is still its own, unfreed.
    ASSERT_NE(nullptr, leftBlock());
    EXPECT_EQ(leftBlock(), info);
    EXPECT_EQ(64u, LocalSize(info));
    LocalFree(info);
    // Floating point works as before.
    volatile double a = 1.0, b = 3.0;
    EXPECT_NEAR(0.3333333333, a / b, 1e-9);
}

#if defined(__x86_64__)
// Marks for the callee-saved registers: rbx rbp rdi rsi r12-r15, then
// xmm6-xmm15 as two quadwords each.
constexpr int kGeneralRegisters = 8;
constexpr int kMarkWords = kGeneralRegisters + 20;
extern "C" alignas(16) const uint64_t tavrin_test_marks[kMarkWords] = {
    0x0101010101010101, 0x0202020202020202, 0x0303030303030303, 0x0404040404040404, 0x0505050505050505,
    0x0606060606060606, 0x0707070707070707, 0x0808080808080808, 0x1616161616161616, 0x1717171717171717,
    0x1818181818181818, 0x1919191919191919, 0x2020202020202020, 0x2121212121212121, 0x2222222222222222,
    0x2323232323232323, 0x2424242424242424, 0x2525252525252525, 0x2626262626262626, 0x2727272727272727,
    0x2828282828282828, 0x2929292929292929, 0x3030303030303030, 0x3131313131313131, 0x3232323232323232,
    0x3333333333333333, 0x3434343434343434, 0x3535353535353535,
};

extern "C" {
// Loads the marks into the callee-saved registers, calls call(context), and
// stores what those registers hold afterwards in after[] (same order).
void tavrin_test_marked_call(void (*call)(void*), void* context, uint64_t* after);
// A plug-in function that uses every callee-saved register (saving them
// first, as the convention asks), spoils them all and then writes to null.
int tavrin_test_spoil_and_fault();
}

asm(R"(
    .text
    .globl tavrin_test_marked_call
    .def tavrin_test_marked_call; .scl 2; .type 32; .endef
    .seh_proc tavrin_test_marked_call
tavrin_test_marked_call:
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
    movq %r8, 192(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
    leaq tavrin_test_marks(%rip), %rdx
    movq 0(%rdx), %rbx
    movq 8(%rdx), %rbp
    movq 16(%rdx), %rdi
    movq 24(%rdx), %rsi
    movq 32(%rdx), %r12
    movq 40(%rdx), %r13
    movq 48(%rdx), %r14
    movq 56(%rdx), %r15
    movdqa 64(%rdx), %xmm6
    movdqa 80(%rdx), %xmm7
    movdqa 96(%rdx), %xmm8
    movdqa 112(%rdx), %xmm9
    movdqa 128(%rdx), %xmm10
    movdqa 144(%rdx), %xmm11
    movdqa 160(%rdx), %xmm12
    movdqa 176(%rdx), %xmm13
    movdqa 192(%rdx), %xmm14
    movdqa 208(%rdx), %xmm15
    call *%rax
    movq 192(%rsp), %rax
    movq %rbx, 0(%rax)
    movq %rbp, 8(%rax)
    movq %rdi, 16(%rax)
    movq %rsi, 24(%rax)
    movq %r12, 32(%rax)
    movq %r13, 40(%rax)
    movq %r14, 48(%rax)
    movq %r15, 56(%rax)
    movdqu %xmm6, 64(%rax)
    movdqu %xmm7, 80(%rax)
    movdqu %xmm8, 96(%rax)
    movdqu %xmm9, 112(%rax)
    movdqu %xmm10, 128(%rax)
    movdqu %xmm11, 144(%rax)
    movdqu %xmm12, 160(%rax)
    movdqu %xmm13, 176(%rax)
    movdqu %xmm14, 192(%rax)
    movdqu %xmm15, 208(%rax)
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
    .seh_endproc

    .globl tavrin_test_spoil_and_fault
    .def tavrin_test_spoil_and_fault; .scl 2; .type 32; .endef
    .seh_proc tavrin_test_spoil_and_fault
tavrin_test_spoil_and_fault:
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
    subq $168, %rsp
    .seh_stackalloc 168
    movaps %xmm6, 0(%rsp)
    .seh_savexmm %xmm6, 0
    movaps %xmm7, 16(%rsp)
    .seh_savexmm %xmm7, 16
    movaps %xmm8, 32(%rsp)
    .seh_savexmm %xmm8, 32
    movaps %xmm9, 48(%rsp)
    .seh_savexmm %xmm9, 48
    movaps %xmm10, 64(%rsp)
    .seh_savexmm %xmm10, 64
    movaps %xmm11, 80(%rsp)
    .seh_savexmm %xmm11, 80
    movaps %xmm12, 96(%rsp)
    .seh_savexmm %xmm12, 96
    movaps %xmm13, 112(%rsp)
    .seh_savexmm %xmm13, 112
    movaps %xmm14, 128(%rsp)
    .seh_savexmm %xmm14, 128
    movaps %xmm15, 144(%rsp)
    .seh_savexmm %xmm15, 144
    .seh_endprologue
    movq $-1, %rbx
    movq $-1, %rbp
    movq $-1, %rdi
    movq $-1, %rsi
    movq $-1, %r12
    movq $-1, %r13
    movq $-1, %r14
    movq $-1, %r15
    pcmpeqd %xmm6, %xmm6
    pcmpeqd %xmm7, %xmm7
    pcmpeqd %xmm8, %xmm8
    pcmpeqd %xmm9, %xmm9
    pcmpeqd %xmm10, %xmm10
    pcmpeqd %xmm11, %xmm11
    pcmpeqd %xmm12, %xmm12
    pcmpeqd %xmm13, %xmm13
    pcmpeqd %xmm14, %xmm14
    pcmpeqd %xmm15, %xmm15
    xorl %eax, %eax
    movl $1, (%rax)
    movaps 0(%rsp), %xmm6
    movaps 16(%rsp), %xmm7
    movaps 32(%rsp), %xmm8
    movaps 48(%rsp), %xmm9
    movaps 64(%rsp), %xmm10
    movaps 80(%rsp), %xmm11
    movaps 96(%rsp), %xmm12
    movaps 112(%rsp), %xmm13
    movaps 128(%rsp), %xmm14
    movaps 144(%rsp), %xmm15
    addq $168, %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rsi
    popq %rdi
    popq %rbx
    popq %rbp
    ret
    .seh_endproc
)");

namespace {
const char* const kRegisterNames[] = {"rbx", "rbp", "rdi", "rsi", "r12", "r13", "r14", "r15"};

struct GuardedSpoil {
    bool returned = true;
    PluginGuard::Fault fault;
};
}  // namespace

TEST(PluginGuard, AFaultLeavesTheCalleeSavedRegistersAsTheCallFoundThem) {
    GuardedSpoil outcome;
    uint64_t after[kMarkWords] = {};
    tavrin_test_marked_call(
        [](void* context) {
            auto* o = static_cast<GuardedSpoil*>(context);
            auto spoil = [] { return tavrin_test_spoil_and_fault(); };
            int result = 0;
            o->returned = PluginGuard::Run(spoil, &result, &o->fault);
        },
        &outcome, after);
    EXPECT_FALSE(outcome.returned);
    EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, outcome.fault.code);
    for (int i = 0; i < kGeneralRegisters; ++i) EXPECT_EQ(tavrin_test_marks[i], after[i]) << kRegisterNames[i];
    for (int i = kGeneralRegisters; i < kMarkWords; ++i)
        EXPECT_EQ(tavrin_test_marks[i], after[i]) << "xmm" << 6 + (i - kGeneralRegisters) / 2;
}
#endif

TEST(PluginGuard, ACallThatReturnsWithOtherControlWordsGetsThemPutBack) {
    // As some compilers' run-time libraries do when they start up inside a library.
    const uint16_t cw = FpuControl();
    const uint32_t mxcsr = Mxcsr();
    auto spoil = [] {
        uint16_t unmasked = 0x1360;  // precision and rounding changed, zero-divide unmasked
        uint32_t flushToZero = 0x9FC0;
        asm volatile("fldcw %0" : : "m"(unmasked));
        if (IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE)) asm volatile("ldmxcsr %0" : : "m"(flushToZero));
        return 3;
    };
    int result = 0;
    PluginGuard::Fault fault;
    ASSERT_TRUE(PluginGuard::Run(spoil, &result, &fault));
    EXPECT_EQ(3, result);
    EXPECT_EQ(cw, FpuControl());
    EXPECT_EQ(mxcsr, Mxcsr());
    volatile double zero = 0.0;
    EXPECT_TRUE(1.0 / zero > 1e300) << "division by zero is masked again";
}

TEST(PluginGuard, ThousandsOfGuardedCallsLeaveNothingBehind) {
    RawPlugin plugin("fault_picture");
    auto getPicture = plugin.Export<GetPictureFn>("GetPicture");
    auto getInfo = plugin.Export<GetPluginInfoFn>("GetPluginInfo");
    ASSERT_TRUE(getPicture && getInfo);
    char name[] = "x.ppm";
    char text[64];
    int result = 0;
    PluginGuard::Fault fault;
    auto fromPlugin = [&] {
        HLOCAL info = nullptr, bits = nullptr;
        int code = getPicture(name, 0, 0, &info, &bits, nullptr, 0);
        return code;
    };
    auto normal = [&] { return getInfo(0, text, sizeof(text)); };
    auto divide = [] { return DivideByZero(); };
    auto overflow = [] { return Overflow(); };

    // Warm up whatever the system allocates once.
    PluginGuard::Run(fromPlugin, &result, &fault);
    PluginGuard::Run(normal, &result, &fault);
    const int depth = PluginGuard::ChainDepth();
    DWORD handles = 0, handlesAfter = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &handles));
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    uintptr_t spBefore = 0, spAfter = 0;
    READ_SP(spBefore);
    int faults = 0, returns = 0;
    for (int i = 0; i < 6000; ++i) {
        bool ok;
        switch (i % 3) {
        case 0: ok = PluginGuard::Run(fromPlugin, &result, &fault); break;
        case 1: ok = PluginGuard::Run(normal, &result, &fault); break;
        default: ok = PluginGuard::Run(divide, &result, &fault); break;
        }
        (ok ? returns : faults) += 1;
        READ_SP(spAfter);
        if (spAfter != spBefore || PluginGuard::ChainDepth() != depth) {
            ADD_FAILURE() << "call " << i << ": stack pointer " << std::hex << spBefore << " -> " << spAfter
                          << ", chain depth " << std::dec << depth << " -> " << PluginGuard::ChainDepth();
            break;
        }
    }
    EXPECT_EQ(4000, faults);
    EXPECT_EQ(2000, returns);
    // A stack overflow again and again: the stack's guard is put back each time.
    for (int i = 0; i < 25; ++i) {
        ASSERT_FALSE(PluginGuard::Run(overflow, &result, &fault)) << i;
        ASSERT_EQ(EXCEPTION_STACK_OVERFLOW, fault.code) << i;
    }
    READ_SP(spAfter);
    EXPECT_EQ(spBefore, spAfter);
    EXPECT_EQ(depth, PluginGuard::ChainDepth());
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &handlesAfter));
    EXPECT_EQ(handles, handlesAfter);
    EXPECT_EQ(gdi, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    EXPECT_EQ(user, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
}

TEST(PluginGuard, AFaultInOurOwnCallbackCodeIsNotTakenForThePlugins) {
    // The inner guard stands for a plug-in call whose plug-in called us back;
    // the fault in our callback code passes it by and reaches the outer one.
    const int depth = PluginGuard::ChainDepth();
    bool innerReturned = true;
    PluginGuard::Fault innerFault, outerFault;
    auto inner = [depth] {
        PluginGuard::HostCallback ours;
        EXPECT_TRUE(ours.insideGuard());
        EXPECT_EQ(depth + 2, PluginGuard::ChainDepth()) << "one for each guarded call we are inside";
        return NullWrite();
    };
    auto outer = [&] {
        int r = 0;
        innerReturned = PluginGuard::Run(inner, &r, &innerFault);
        return 7;
    };
    int result = 0;
    EXPECT_FALSE(PluginGuard::Run(outer, &result, &outerFault));
    EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, outerFault.code);
    EXPECT_EQ(0u, innerFault.code) << "the inner guard did not take it";
    EXPECT_EQ(depth, PluginGuard::ChainDepth());
    PluginGuard::HostCallback outside;
    EXPECT_FALSE(outside.insideGuard());
}

namespace {
int g_progressSeen = 0;
int __stdcall ThrowingProgress(int, int, LONG_PTR) {
    ++g_progressSeen;
    throw std::runtime_error("from the callback");
}
int __stdcall CountingProgress(int, int, LONG_PTR value) {
    g_progressSeen += static_cast<int>(value);
    return 0;
}
}  // namespace

TEST(PluginGuard, TheProgressCallbackRunsAsOurCodeAndItsExceptionsStopOnlyTheDecode) {
    ScannedHost host({"pnm"});
    ScopedMessageRecorder messages;
    std::string picture = host.Picture("p.ppm", MakePpm(6, 4));
    host->SetProgressCallback(&ThrowingProgress);
    g_progressSeen = 0;
    HLOCAL info = nullptr, bits = nullptr;
    // The exception never crosses the plug-in: it sees an abort request.
    EXPECT_EQ(SusieResult::kAborted, host->DecodeFile(picture, &info, &bits));
    EXPECT_GE(g_progressSeen, 1);
    EXPECT_FALSE(host->HasFaulted(0));
    EXPECT_TRUE(messages.shown.empty());

    // The user value still reaches the callback unchanged.
    host->SetProgressCallback(&CountingProgress);
    host->SetProgressUserValue(1000);
    g_progressSeen = 0;
    ASSERT_EQ(SusieResult::kSuccess, host->DecodeFile(picture, &info, &bits));
    UniqueLocal infoBlock(info), bitsBlock(bits);
    EXPECT_EQ(2000, g_progressSeen);
}
