// The plug-in guard itself: each kind of fault comes back as a failed call,
// and a guarded call leaves the thread as it found it (exception chain,
// stack pointer, x87 and SSE control words, handles), however many times
// it runs and however the plug-in ends.
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

#define READ_ESP(v) asm volatile("movl %%esp, %0" : "=r"(v))

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
    uint32_t flags;
    asm volatile("pushfl; popl %0" : "=r"(flags));
    return (flags & 0x400) != 0;
}

typedef int(__stdcall* GetPictureFn)(LPSTR, long, unsigned int, HLOCAL*, HLOCAL*, SPIProgressCallback, long);
typedef int(__stdcall* GetPluginInfoFn)(int, LPSTR, int);
typedef HLOCAL(__stdcall* LeftBlockFn)();

// A fixture plug-in loaded straight from the build, called without the host.
struct RawPlugin {
    explicit RawPlugin(const char* fixture) : module(LoadLibraryW(W(FixturePluginDir() + fixture + ".spi").c_str())) {}
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
    uint32_t espBefore = 0, espAfter = 0;
    READ_ESP(espBefore);
    int faults = 0, returns = 0;
    for (int i = 0; i < 6000; ++i) {
        bool ok;
        switch (i % 3) {
        case 0: ok = PluginGuard::Run(fromPlugin, &result, &fault); break;
        case 1: ok = PluginGuard::Run(normal, &result, &fault); break;
        default: ok = PluginGuard::Run(divide, &result, &fault); break;
        }
        (ok ? returns : faults) += 1;
        READ_ESP(espAfter);
        if (espAfter != espBefore || PluginGuard::ChainDepth() != depth) {
            ADD_FAILURE() << "call " << i << ": stack pointer " << std::hex << espBefore << " -> " << espAfter
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
    READ_ESP(espAfter);
    EXPECT_EQ(espBefore, espAfter);
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
    auto inner = [] {
        PluginGuard::HostCallback ours;
        EXPECT_TRUE(ours.insideGuard());
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
int __stdcall ThrowingProgress(int, int, long) {
    ++g_progressSeen;
    throw std::runtime_error("from the callback");
}
int __stdcall CountingProgress(int, int, long value) {
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
