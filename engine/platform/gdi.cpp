// Drawing objects, the device-context base and the free drawing functions.
#include "platform/gdi.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace tovimat {

namespace {

// Creation budget for tests: -1 means unlimited, otherwise the number of
// fonts CreateFontIndirectA may still make.
std::atomic<int> fontBudget{-1};
std::atomic<long> liveFonts{0};

// Stock objects are built on first use and never destroyed: engine objects
// built by static initialisers in other translation units take the default
// font, and may still hold it while those translation units are torn down.
// The pointers stay reachable, so leak checkers do not report them.
FontObject* makeStockFont() {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = 16;
    lf.lfWeight = FW_NORMAL;
    std::memcpy(lf.lfFaceName, "System", 6);
    return new FontObject(lf, true);
}

PenObject* stockBlackPen() {
    static PenObject* const pen = new PenObject(PS_SOLID, 1, RGB(0, 0, 0), true);
    return pen;
}

BrushObject* stockBlackBrush() {
    static BrushObject* const brush = new BrushObject(RGB(0, 0, 0), true);
    return brush;
}

// The shared fonts, found by the bytes of their description: a face name's
// bytes after its end count too, since a saved font writes them back.
std::string_view descriptionKey(const LOGFONTA& lf) { return {reinterpret_cast<const char*>(&lf), sizeof lf}; }

// Fonts differ mostly in height, weight, italic and the face's first letters.
struct DescriptionHash {
    size_t operator()(std::string_view key) const {
        LOGFONTA lf;
        std::memcpy(&lf, key.data(), sizeof lf);
        std::uint64_t face;
        std::memcpy(&face, lf.lfFaceName, sizeof face);
        std::uint64_t h = std::uint64_t(std::uint32_t(lf.lfHeight)) * 0x9E3779B97F4A7C15ull;
        h ^= (std::uint64_t(std::uint32_t(lf.lfWeight)) << 8 | lf.lfItalic) * 0xC2B2AE3D27D4EB4Full;
        h ^= face * 0x165667B19E3779F9ull;
        return size_t(h ^ (h >> 29));
    }
};

std::unordered_map<std::string_view, FontObject*, DescriptionHash>& sharedFonts() {
    static auto* const fonts = new std::unordered_map<std::string_view, FontObject*, DescriptionHash>();
    return *fonts;
}

// The shared font asked for last: nodes read one after another mostly ask
// for the same one.
FontObject* lastShared = nullptr;

bool takeFromBudget() {
    int budget = fontBudget.load();
    while (budget >= 0) {
        if (budget == 0) return false;
        if (fontBudget.compare_exchange_weak(budget, budget - 1)) break;
    }
    return true;
}

}  // namespace

HFONT stockDefaultFont() {
    static FontObject* const font = makeStockFont();
    return font;
}

HGDIOBJ GetStockObject(int which) {
    switch (which) {
        case DEVICE_DEFAULT_FONT:
            return stockDefaultFont();
        case BLACK_PEN:
            return stockBlackPen();
        case BLACK_BRUSH:
            return stockBlackBrush();
        default:
            return nullptr;
    }
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
    if (!lf || !takeFromBudget()) return nullptr;
    LOGFONTA made = *lf;
    made.lfHeight = std::clamp(made.lfHeight, -kMaxFontHeight, kMaxFontHeight);
    auto* font = new FontObject(made);
    ++liveFonts;
    return font;
}

HPEN CreatePen(int style, int width, COLORREF color) { return new PenObject(style, width, color); }

HBRUSH CreateSolidBrush(COLORREF color) { return new BrushObject(color); }

bool DeleteObject(HGDIOBJ object) {
    if (!object) return false;
    if (object->isStock()) return true;
    if (object->kind() == GdiKind::Font) {
        auto* font = static_cast<FontObject*>(object);
        if (font->holds_ > 0) {
            if (--font->holds_ > 0) return true;
            sharedFonts().erase(descriptionKey(font->logfont_));
            if (lastShared == font) lastShared = nullptr;
        }
        --liveFonts;
    }
    delete object;
    return true;
}

HFONT shareFont(HFONT f) {
    if (!f || f->isStock() || f->holds_ > 0) return f;
    auto [at, made] = sharedFonts().try_emplace(descriptionKey(f->logfont_), f);
    if (made) {
        f->holds_ = 1;
        return f;
    }
    DeleteObject(f);
    ++at->second->holds_;
    return at->second;
}

HFONT shareFontIndirect(const LOGFONTA* lf) {
    if (!lf || !takeFromBudget()) return nullptr;
    LOGFONTA wanted = *lf;
    wanted.lfHeight = std::clamp(wanted.lfHeight, -kMaxFontHeight, kMaxFontHeight);
    if (lastShared && std::memcmp(&lastShared->logfont_, &wanted, sizeof wanted) == 0) {
        ++lastShared->holds_;
        return lastShared;
    }
    auto& fonts = sharedFonts();
    if (auto at = fonts.find(descriptionKey(wanted)); at != fonts.end()) {
        lastShared = at->second;
        ++lastShared->holds_;
        return lastShared;
    }
    auto* font = new FontObject(wanted);
    ++liveFonts;
    font->holds_ = 1;
    fonts.emplace(descriptionKey(font->logfont_), font);
    lastShared = font;
    return font;
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
    if (!object || !out || size <= 0 || object->kind() != GdiKind::Font) return 0;
    const LOGFONTA& lf = static_cast<FontObject*>(object)->logfont();
    int n = size < int(sizeof lf) ? size : int(sizeof lf);
    std::memcpy(out, &lf, size_t(n));
    return n;
}

void setFontCreationBudget(int remaining) { fontBudget = remaining < 0 ? -1 : remaining; }

long liveFontCount() { return liveFonts.load(); }

bool isSymbolFace(const char* face) {
    if (!face) return false;
    // ASCII letters in either case: the same letter with bit 5 set.
    static const char kSymbol[] = "symbol";
    for (int i = 0; i < 6; ++i) {
        if ((face[i] | 0x20) != kSymbol[i]) return false;
    }
    return face[6] == '\0';
}

// ---------------------------------------------------------------------------
// DeviceContext

// A fresh context behaves as if the stock font and the black pen were
// selected: the first selection answers them, so the usual "select, draw,
// select the previous one back" sequence never leaves a caller's object
// selected after the caller has deleted it.
HGDIOBJ DeviceContext::selectObject(HGDIOBJ object) {
    if (!object) return nullptr;
    switch (object->kind()) {
        case GdiKind::Font: {
            auto* font = static_cast<HFONT>(object);
            if (!acceptFont(font)) return nullptr;
            HGDIOBJ previous = font_ ? font_ : stockDefaultFont();
            font_ = font;
            return previous;
        }
        case GdiKind::Pen: {
            HGDIOBJ previous = pen_ ? pen_ : stockBlackPen();
            pen_ = static_cast<HPEN>(object);
            return previous;
        }
        case GdiKind::Brush: {
            HGDIOBJ previous = brush_ ? brush_ : stockBlackBrush();
            brush_ = static_cast<HBRUSH>(object);
            return previous;
        }
    }
    return nullptr;
}

COLORREF DeviceContext::setTextColor(COLORREF c) {
    COLORREF previous = textColor_;
    textColor_ = c;
    return previous;
}

int DeviceContext::setBkMode(int mode) {
    int previous = bkMode_;
    bkMode_ = mode;
    return previous;
}

void DeviceContext::moveTo(int x, int y) { penPos_ = POINT{x, y}; }

// ---------------------------------------------------------------------------
// Free functions

namespace {
constexpr COLORREF kInvalidColor = 0xFFFFFFFF;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) { return dc ? dc->selectObject(object) : nullptr; }

COLORREF SetTextColor(HDC dc, COLORREF color) { return dc ? dc->setTextColor(color) : kInvalidColor; }

int SetBkMode(HDC dc, int mode) { return dc ? dc->setBkMode(mode) : 0; }

bool GetTextExtentPoint32A(HDC dc, const char* text, int n, SIZE* size) {
    if (!dc || !size || n < 0 || (n > 0 && !text)) return false;
    *size = dc->textExtent(text, n);
    return true;
}

// n = -1 draws a NUL-terminated string. Answers the height of the text.
int DrawTextA(HDC dc, const char* text, int n, RECT* box, UINT /*format*/) {
    if (!dc || !box || (n != 0 && !text)) return 0;
    if (n < 0) n = int(std::strlen(text));
    dc->drawText(text, n, *box);
    return dc->textExtent(text, n).cy;
}

int FrameRect(HDC dc, const RECT* r, HBRUSH brush) {
    if (!dc || !r || !brush) return 0;
    dc->frameRect(*r, brush->color());
    return 1;
}

bool MoveToEx(HDC dc, int x, int y, POINT* previous) {
    if (!dc) return false;
    if (previous) *previous = dc->penPosition();
    dc->moveTo(x, y);
    return true;
}

bool LineTo(HDC dc, int x, int y) {
    if (!dc) return false;
    dc->lineTo(x, y);
    // Backends are expected to move the pen themselves; make sure of it.
    POINT p = dc->penPosition();
    if (p.x != x || p.y != y) dc->moveTo(x, y);
    return true;
}

bool PtInRect(const RECT* r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

}  // namespace tovimat
