// Fonts, colour and zoom. A node holds a shared font handle (one font object
// for all the nodes of one description); a handle given to setFont changes
// owner and may be gone once the node holds its description, copyFont never
// takes its argument over.
#include <cstring>

#include "model/document.h"
#include "platform/messages.h"

namespace tovimat {

namespace {

LOGFONTA describe(HFONT f) {
    LOGFONTA lf{};
    GetObjectA(f, sizeof lf, &lf);
    return lf;
}

void setFace(LOGFONTA& lf, const char* face) {
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
}

// A font of this description to give n through setFont: the shared one, or,
// when n holds that one already, a new one, since setFont takes the node's
// own handle for no change at all and the class's rules must still apply.
HFONT fontFor(const nucleo* n, const LOGFONTA& lf) {
    HFONT f = shareFontIndirect(&lf);
    if (f && f == n->getFont()) {
        DeleteObject(f);
        f = CreateFontIndirectA(&lf);
    }
    return f;
}

// A font for n from base with the height, weight and italic setting of f:
// the face and everything else stay base's.
HFONT restyle(const nucleo* n, HFONT base, HFONT f) {
    LOGFONTA lf = describe(base);
    LOGFONTA style = describe(f);
    lf.lfHeight = style.lfHeight;
    lf.lfItalic = style.lfItalic;
    lf.lfWeight = style.lfWeight;
    lf.lfWidth = 0;
    return fontFor(n, lf);
}

}  // namespace

// The node's own font given back changes nothing. Any other handle carries
// a hold on a font: a new font is exchanged for the shared one of its
// description, a shared one is held as it is.
void nucleo::replaceFont(HFONT f) {
    if (f == font) return;
    f = shareFont(f);
    if (f == font) {
        DeleteObject(f);  // the node held this description already
        return;
    }
    DeleteObject(font);
    font = f;
}

void nucleo::setFont(HFONT f) {
    if (!f) return;
    replaceFont(f);
    if (!rootDoc) return;
    nucleo::measure();
    if (rootDoc->focused() == this) refocus();
}

void nucleo::setStaticFont(HFONT f) {
    if (!f) return;
    HFONT g = restyle(this, font, f);
    if (g) nucleo::setFont(g);
    DeleteObject(f);
}

void nucleo::copyFont(HFONT f) {
    if (!f) return;
    LOGFONTA lf = describe(f);
    HFONT g = fontFor(this, lf);
    if (!g) {
        nodeMessage(this, "Font allocation problem!", "Error", MB_ICONERROR);
        return;
    }
    setFont(g);
}

void nucleo::defineFont(const char* face) {
    LOGFONTA lf = describe(font);
    lf.lfWidth = 0;
    lf.lfPitchAndFamily = FF_DECORATIVE_DEFAULT_PITCH;
    setFace(lf, face);
    HFONT g = fontFor(this, lf);
    if (g) nucleo::setFont(g);
}

void nucleo::calcFont(int height) {
    LOGFONTA lf = describe(font);
    // Brackets are given their height at every layout of their container;
    // a font that already has it stays, and so does the box measured with it.
    if (lf.lfHeight == height && lf.lfWidth == 0) return;
    lf.lfHeight = height;
    lf.lfWidth = 0;
    if (HFONT g = fontFor(this, lf))
        replaceFont(g);
    else
        MessageBoxA(nullptr, "Font resource allocation problem!", "Error", MB_ICONERROR);
    nucleo::measure();
}

// The percentage is scaled by the single-precision value nearest to 0.01,
// which lies just below it: 60 % of 25 is 14, 100 % of 20 is 19. A zoomed
// font is never smaller than 4 units in magnitude.
void nucleo::zoom(int percent) {
    const double factor = percent * double(0.01f);
    int h = int(double(rect.bottom - rect.top) * factor);
    if (h < 0 && h > -4) h = -4;
    if (h >= 0 && h < 4) h = 4;
    calcFont(h);
}

// Face preservation: the container and its delimiters take their face from
// the separator (the operator glyph), and only height, weight and italic from
// f; the members receive f whole.
void container::setFont(HFONT f) {
    if (!f) return;
    if (f == font) {
        // Our own font is released below: work from a copy of it.
        LOGFONTA lf = describe(f);
        if (!(f = CreateFontIndirectA(&lf))) return;
    }
    if (HFONT g = restyle(this, separatorNode.getFont(), f)) {
        nucleo::setFont(g);
        headNode.copyFont(font);
        separatorNode.copyFont(font);
        tailNode.copyFont(font);
    }
    for (nucleo* m = first(); m && m->chained(); m = m->next()) m->copyFont(f);
    DeleteObject(f);
    nucleo::measure();
}

void container::zoom(int percent) {
    for (nucleo* m = first(); m && m->chained(); m = m->next()) m->nucleo::zoom(percent);
}

void container::fixedFont(const char* face) {
    LOGFONTA lf = describe(font);
    lf.lfWidth = 0;
    lf.lfPitchAndFamily = FF_DECORATIVE_DEFAULT_PITCH;
    setFace(lf, face);
    if (HFONT g = fontFor(&separatorNode, lf)) {
        separatorNode.setFont(g);
        headNode.copyFont(&separatorNode);
    }
}

namespace {

// An exponent or a logarithm's argument is drawn at 60 % of its full size.
void scriptFonts(container* c, HFONT f) {
    if (c->members() >= 1) c->first()->copyFont(f);
    if (c->members() == 2) {
        nucleo* script = c->first()->next();
        script->copyFont(f);
        script->nucleo::zoom(60);
    }
}

}  // namespace

void power::setFont(HFONT f) {
    if (!f) return;
    nucleo::setFont(f);
    scriptFonts(this, font);
    nucleo::measure();
}

void logaritm::setFont(HFONT f) {
    if (!f) return;
    nucleo::setFont(f);
    scriptFonts(this, font);
    nucleo::measure();
}

}  // namespace tovimat
