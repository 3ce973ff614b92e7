// A picture a plug-in decoded but the system has no memory to turn into a
// screen bitmap: a failure with the out-of-memory text, never an empty
// result.  The address space is filled by reservations so that the decoder's
// blocks still fit in the holes left and the screen bitmap does not.
#include <gtest/gtest.h>

#include <vector>

#include "PluginTestSupport.h"
#include "framework/Handles.h"
#include "framework/UserMessages.h"
#include "plugin/BitmapFile.h"
#include "plugin/SusieErrors.h"

namespace {
// Reserves all the free address space, largest pieces first, then lets a
// few 1 MiB pieces go that lie apart: no hole left is larger than 1 MiB.
class AddressSpaceFiller {
public:
    AddressSpaceFiller() {
        // Room for every piece is made first: once the address space is
        // full, a growing list could not get its memory (in a 64-bit process
        // the pieces number some two million).
        const size_t most = sizeof(void*) == 8 ? (4u << 20) : (64u << 10), mostSmall = 64u << 10;
        std::vector<void*> small;
        m_pieces.reserve(most + mostSmall);
        small.reserve(mostSmall);
        for (SIZE_T piece = 64u << 20; piece >= 64u << 10; piece /= 4) {
            const bool isSmall = piece == (1u << 20);
            std::vector<void*>& into = isSmall ? small : m_pieces;
            while (into.size() < (isSmall ? mostSmall : most)) {
                void* at = VirtualAlloc(nullptr, piece, MEM_RESERVE, PAGE_NOACCESS);
                if (!at) break;
                into.push_back(at);
            }
        }
        for (size_t i = 0; i < small.size(); ++i) {
            if (i % 2 == 0 && i < 32) VirtualFree(small[i], 0, MEM_RELEASE);
            else m_pieces.push_back(small[i]);
        }
    }
    ~AddressSpaceFiller() {
        for (void* piece : m_pieces)
            if (piece) VirtualFree(piece, 0, MEM_RELEASE);
    }
    size_t pieces() const { return m_pieces.size(); }

private:
    std::vector<void*> m_pieces;
};

// A 64-bit address space is too large to fill: there a system without room
// for one more bitmap stands in for the full one.
class NoRoomForBitmaps {
public:
    NoRoomForBitmaps() : m_system(ReplaceDisplayBitmapMaker(&Refuse)) {}
    ~NoRoomForBitmaps() { ReplaceDisplayBitmapMaker(m_system); }
    size_t pieces() const { return 0; }

private:
    static HBITMAP Refuse(HDC, const BITMAPINFO*, const void*) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DisplayBitmapMaker m_system;
};
#ifdef _WIN64
using NoRoom = NoRoomForBitmaps;
#else
using NoRoom = AddressSpaceFiller;
#endif
}  // namespace

TEST(ScreenBitmapMemory, ADecodedPictureWithoutRoomForItsScreenBitmapIsReported) {
    ScannedHost host({"pnm"});
    // 600 x 600 grey: a 360 KB pixel block, a screen bitmap over 1 MiB.
    const std::string picture = host.Picture("big.pgm", MakePgm(600, 600));
    ScopedMessageRecorder messages;
    // Only plain values inside: a test failure itself needs memory.
    size_t pieces = 0, shownWhenQuiet = 0;
    int memoryCode = 0;
    bool quietMade = true, reportedMade = true;
    {
        NoRoom filler;
        pieces = filler.pieces();
        HBITMAP quiet = host->LoadPicture(picture, &memoryCode);
        quietMade = quiet != nullptr;
        shownWhenQuiet = messages.shown.size();
        HBITMAP reported = host->LoadPicture(picture);
        reportedMade = reported != nullptr;
        if (quiet) DeleteObject(quiet);
        if (reported) DeleteObject(reported);
    }
    if (sizeof(void*) == 4) ASSERT_GT(pieces, 16u);
    EXPECT_FALSE(quietMade);
    EXPECT_EQ(SusieResult::kNoMemory, memoryCode) << "left to the caller, which can make room";
    EXPECT_EQ(0u, shownWhenQuiet);
    EXPECT_FALSE(reportedMade);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(std::string("CSPIControl::LoadPicture occured error! (4) ") + GetErrorText(SusieResult::kNoMemory),
              messages.shown[0].text);
    // With room again the same picture decodes.
    UniqueBitmap decoded(host->LoadPicture(picture));
    EXPECT_TRUE(HoldsTestPattern(decoded.get(), 600, 600, true));
}
