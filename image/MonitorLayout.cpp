#include "image/MonitorLayout.h"

#include <algorithm>
#include <cstring>

namespace monitor_layout {
namespace {
// a * b / c rounded to the nearest, in 64 bits.
int Scale(int a, int b, int c) {
    return static_cast<int>((static_cast<int64_t>(a) * b * 2 + c) / (static_cast<int64_t>(c) * 2));
}
// Always 0 to m - 1, also for negative x.
int Wrap(int x, int m) {
    int r = x % m;
    return r < 0 ? r + m : r;
}
}  // namespace

Rect FitRect(int pw, int ph, int aw, int ah) {
    if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0) return Rect{};
    int w, h;
    // Compare the aspects without dividing: aw / ah against pw / ph.
    if (static_cast<int64_t>(aw) * ph <= static_cast<int64_t>(ah) * pw) {
        w = aw;  // the area is narrower: the width decides
        h = std::max(1, std::min(ah, Scale(ph, aw, pw)));
    } else {
        h = ah;
        w = std::max(1, std::min(aw, Scale(pw, ah, ph)));
    }
    int x = (aw - w) / 2, y = (ah - h) / 2;
    return Rect{x, y, x + w, y + h};
}

Rect FillSource(int pw, int ph, int aw, int ah) {
    if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0) return Rect{};
    int w, h;
    if (static_cast<int64_t>(pw) * ah > static_cast<int64_t>(aw) * ph) {
        h = ph;  // the picture is wider: its sides are cropped
        w = std::max(1, std::min(pw, Scale(ph, aw, ah)));
    } else {
        w = pw;
        h = std::max(1, std::min(ph, Scale(pw, ah, aw)));
    }
    int x = (pw - w) / 2, y = (ph - h) / 2;
    return Rect{x, y, x + w, y + h};
}

Look LookFor(DisplayStyle style, int pw, int ph, int aw, int ah) {
    Look look;
    if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0) return look;
    const Rect whole{0, 0, pw, ph};
    look.source = whole;
    switch (style) {
    case kStyleCentre: {
        // Each half truncated on its own, as the system centres.
        int x = aw / 2 - pw / 2, y = ah / 2 - ph / 2;
        look.target = Rect{x, y, x + pw, y + ph};
        look.background = true;
        break;
    }
    case kStyleTile:
        look.target = whole;
        look.tiled = true;
        break;
    case kStyleStretch:
        look.target = Rect{0, 0, aw, ah};
        break;
    case kStyleFit:
        look.target = FitRect(pw, ph, aw, ah);
        look.background = true;
        break;
    case kStyleFill:
    case kStyleSpan:  // over the area it is given, span is fill
        look.source = FillSource(pw, ph, aw, ah);
        look.target = Rect{0, 0, aw, ah};
        break;
    default:
        return look;
    }
    look.draws = true;
    return look;
}

std::vector<Piece> WrappedPieces(const Rect& monitor, const Rect& screen) {
    std::vector<Piece> pieces;
    const int w = screen.width(), h = screen.height();
    if (w <= 0 || h <= 0) return pieces;
    const Rect inside{std::max(monitor.left, screen.left), std::max(monitor.top, screen.top),
                      std::min(monitor.right, screen.right), std::min(monitor.bottom, screen.bottom)};
    if (inside.empty()) return pieces;
    // Runs that do not cross a multiple of the width (height): each lands in
    // one piece of the picture.
    for (int y = inside.top; y < inside.bottom;) {
        const int py = Wrap(y, h), rows = std::min(inside.bottom - y, h - py);
        for (int x = inside.left; x < inside.right;) {
            const int px = Wrap(x, w), columns = std::min(inside.right - x, w - px);
            Piece piece;
            piece.source = Rect{x - monitor.left, y - monitor.top, x - monitor.left + columns, y - monitor.top + rows};
            piece.x = px;
            piece.y = py;
            pieces.push_back(piece);
            x += columns;
        }
        y += rows;
    }
    return pieces;
}

void FillPixels(const PixelView& image, uint8_t blue, uint8_t green, uint8_t red) {
    if (!image.topRow) return;
    for (int y = 0; y < image.height; ++y) {
        uint8_t* p = image.at(0, y);
        for (int x = 0; x < image.width; ++x, p += 3) {
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

namespace {
// The monitor's wrapped pieces, read from `look` at (dx, dy) plus the
// piece's place in the monitor.
void CopyPieces(const PixelView& look, int dx, int dy, const Rect& monitor, const Rect& screen,
                const PixelView& canvas) {
    if (!look.topRow || !canvas.topRow) return;
    for (const Piece& piece : WrappedPieces(monitor, screen)) {
        const int left = dx + piece.source.left, top = dy + piece.source.top;
        if (left < 0 || top < 0) continue;
        // Clipped to both images, whatever sizes they were given.
        const int columns = std::min({piece.source.width(), look.width - left, canvas.width - piece.x});
        const int rows = std::min({piece.source.height(), look.height - top, canvas.height - piece.y});
        if (columns <= 0 || rows <= 0) continue;
        for (int r = 0; r < rows; ++r)
            std::memcpy(canvas.at(piece.x, piece.y + r), look.at(left, top + r), static_cast<size_t>(columns) * 3);
    }
}
}  // namespace

void CopyWrapped(const PixelView& look, const Rect& monitor, const Rect& screen, const PixelView& canvas) {
    CopyPieces(look, 0, 0, monitor, screen, canvas);
}

void CopySpanned(const PixelView& spanLook, const Rect& monitor, const Rect& screen, const PixelView& canvas) {
    CopyPieces(spanLook, monitor.left - screen.left, monitor.top - screen.top, monitor, screen, canvas);
}

}  // namespace monitor_layout
