// Drawing objects and device contexts.
//
// A handle names an immutable object: a font holds its LOGFONT, a pen its
// colour and width, a brush its colour. Stock objects are shared and survive
// DeleteObject. A shared font (see shareFont) is one object for every holder
// of the same description; each DeleteObject gives back one hold, and the
// last one frees it. A device context is an abstract class; each backend (nominal
// metrics for headless hosts and tests, Qt for the desktop) derives from it.
// The free functions keep the platform's names so that engine code reads like
// the operations it performs.
#pragma once

#include "platform/wintypes.h"

namespace tovimat {

enum class GdiKind { Font, Pen, Brush };

class GdiObject {
public:
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() = default;

    GdiKind kind() const { return kind_; }
    bool isStock() const { return stock_; }

protected:
    GdiObject(GdiKind kind, bool stock) : kind_(kind), stock_(stock) {}

private:
    GdiKind kind_;
    bool stock_;
};

class FontObject final : public GdiObject {
public:
    FontObject(const LOGFONTA& lf, bool stock = false) : GdiObject(GdiKind::Font, stock), logfont_(lf) {}
    const LOGFONTA& logfont() const { return logfont_; }
    bool isShared() const { return holds_ > 0; }

private:
    friend FontObject* shareFont(FontObject* f);
    friend FontObject* shareFontIndirect(const LOGFONTA* lf);
    friend bool DeleteObject(GdiObject* object);
    LOGFONTA logfont_;
    // How many holders a shared font has; 0 for a font of one owner.
    int holds_ = 0;
};

class PenObject final : public GdiObject {
public:
    PenObject(int style, int width, COLORREF color, bool stock = false)
        : GdiObject(GdiKind::Pen, stock), style_(style), width_(width), color_(color) {}
    int style() const { return style_; }
    int width() const { return width_; }
    COLORREF color() const { return color_; }

private:
    int style_;
    int width_;
    COLORREF color_;
};

class BrushObject final : public GdiObject {
public:
    explicit BrushObject(COLORREF color, bool stock = false) : GdiObject(GdiKind::Brush, stock), color_(color) {}
    COLORREF color() const { return color_; }

private:
    COLORREF color_;
};

using HGDIOBJ = GdiObject*;
using HFONT = FontObject*;
using HPEN = PenObject*;
using HBRUSH = BrushObject*;

// A drawing surface. Texts are Windows-1252 bytes, or Adobe Symbol bytes when
// the selected font's face is "SYMBOL" (any letter case).
class DeviceContext {
public:
    DeviceContext() = default;
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    virtual ~DeviceContext() = default;

    // Selection answers the previously selected object of that kind, or null
    // when the object cannot be selected.
    virtual HGDIOBJ selectObject(HGDIOBJ object);
    HFONT currentFont() const { return font_; }
    HPEN currentPen() const { return pen_; }
    COLORREF textColor() const { return textColor_; }
    int bkMode() const { return bkMode_; }

    COLORREF setTextColor(COLORREF c);
    int setBkMode(int mode);

    // Advance width and cell height of the first n bytes of text in the
    // selected font.
    virtual SIZE textExtent(const char* text, int n) = 0;
    virtual void drawText(const char* text, int n, const RECT& box) = 0;
    virtual void moveTo(int x, int y);
    virtual void lineTo(int x, int y) = 0;
    virtual void frameRect(const RECT& r, COLORREF color) = 0;

    POINT penPosition() const { return penPos_; }

protected:
    // Called when a font is selected, so backends can resolve faces once.
    virtual bool acceptFont(HFONT) { return true; }
    void setPenPosition(POINT p) { penPos_ = p; }

private:
    HFONT font_ = nullptr;
    HPEN pen_ = nullptr;
    HBRUSH brush_ = nullptr;
    COLORREF textColor_ = 0;
    int bkMode_ = 2;  // OPAQUE
    POINT penPos_{0, 0};
};

using HDC = DeviceContext*;

// Stock objects.
constexpr int BLACK_BRUSH = 4;
constexpr int BLACK_PEN = 7;
constexpr int DEVICE_DEFAULT_FONT = 14;
// Background modes and pen styles.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int PS_SOLID = 0;
// DrawText flags the engine passes.
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_NOPREFIX = 0x800;

// The largest font height, in magnitude, that a font can have. No screen or
// page needs more, and layout adds heights and widths of texts in 32-bit
// integers: a larger font would overflow them.
constexpr LONG kMaxFontHeight = 16384;

HGDIOBJ GetStockObject(int which);
// A font from its description. As a font mapper answers the nearest size it
// has, a height beyond kMaxFontHeight in magnitude gives a font of that
// height, with the sign kept; GetObjectA then reads back the height the font
// really has.
HFONT CreateFontIndirectA(const LOGFONTA* lf);
bool DeleteObject(HGDIOBJ object);
// The shared font with f's description, held once more for the caller, who
// gives f up: f is deleted when an equal shared font exists already, and
// becomes the shared one otherwise. A shared or stock f is answered as it is,
// and the caller's hold on it carries over. Null for a null f. Fonts are
// shared within one thread: documents and their nodes live on one.
HFONT shareFont(HFONT f);
// The shared font with this description (height limited as by
// CreateFontIndirectA), held once more for the caller; made when there is
// none yet. Null when lf is null or, under the test budget, when a creation
// would fail there: every request counts against the budget.
HFONT shareFontIndirect(const LOGFONTA* lf);
int GetObjectA(HGDIOBJ object, int size, void* out);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
bool GetTextExtentPoint32A(HDC dc, const char* text, int n, SIZE* size);
int DrawTextA(HDC dc, const char* text, int n, RECT* box, UINT format);
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
int FrameRect(HDC dc, const RECT* r, HBRUSH brush);
bool MoveToEx(HDC dc, int x, int y, POINT* previous);
bool LineTo(HDC dc, int x, int y);
bool PtInRect(const RECT* r, POINT p);

// The stock device-default font: lfHeight 16, lfWeight 400, face "System",
// every other number 0.
HFONT stockDefaultFont();

// True when the face names the Symbol font ("SYMBOL" in any letter case).
bool isSymbolFace(const char* face);

// Test hook: while set, CreateFontIndirectA answers null after `remaining`
// more successful creations (-1 never fails). Lets tests reach the engine's
// font-allocation failure paths.
void setFontCreationBudget(int remaining);

// Number of font objects created and not yet deleted (stock fonts excluded;
// a shared font counts once, however many hold it).
long liveFontCount();

}  // namespace tovimat
