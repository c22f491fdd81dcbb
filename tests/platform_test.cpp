// Platform layer: drawing objects, the nominal device context, message sinks,
// key codes and code pages.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/codepages.h"
#include "platform/escape.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/nominal_dc.h"
#include "platform/vkeys.h"

namespace tovimat {
namespace {

LOGFONTA makeLogfont(LONG height, const char* face) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

// Resets the creation budget even when a test fails half-way.
struct BudgetGuard {
    ~BudgetGuard() { setFontCreationBudget(-1); }
};

TEST(GdiObjects, StockDefaultFontRecordAndSurvivesDelete) {
    HFONT stock = stockDefaultFont();
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(GetStockObject(DEVICE_DEFAULT_FONT), stock);
    EXPECT_TRUE(stock->isStock());

    LOGFONTA expected;
    std::memset(&expected, 0, sizeof expected);
    expected.lfHeight = 16;
    expected.lfWeight = 400;
    std::memcpy(expected.lfFaceName, "System", 6);
    LOGFONTA got;
    std::memset(&got, 0xAB, sizeof got);
    ASSERT_EQ(GetObjectA(stock, sizeof got, &got), 60);
    EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
        << "every other byte, face padding included, is zero";

    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(stockDefaultFont()->logfont().lfHeight, 16);  // still alive (ASan would object otherwise)

    auto* pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    auto* brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    ASSERT_TRUE(pen && brush);
    EXPECT_EQ(pen->color(), RGB(0, 0, 0));
    EXPECT_EQ(brush->color(), RGB(0, 0, 0));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetStockObject(BLACK_PEN), pen);
    EXPECT_EQ(GetStockObject(12345), nullptr);
}

TEST(GdiObjects, CreateDeleteCountingAndGetObject) {
    long before = liveFontCount();
    LOGFONTA lf = makeLogfont(-12, "Times New Roman");
    HFONT a = CreateFontIndirectA(&lf);
    HFONT b = CreateFontIndirectA(&lf);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_FALSE(a->isStock());
    EXPECT_EQ(liveFontCount(), before + 2);

    LOGFONTA out;
    EXPECT_EQ(GetObjectA(a, 60, &out), 60);
    EXPECT_EQ(std::memcmp(&out, &lf, 60), 0);
    EXPECT_EQ(GetObjectA(nullptr, 60, &out), 0);
    EXPECT_EQ(GetObjectA(a, 60, nullptr), 0);
    EXPECT_EQ(GetObjectA(a, 0, &out), 0);

    EXPECT_TRUE(DeleteObject(a));
    EXPECT_EQ(liveFontCount(), before + 1);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(liveFontCount(), before);
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);

    // Pens and brushes are not counted as fonts.
    EXPECT_TRUE(DeleteObject(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))));
    EXPECT_TRUE(DeleteObject(CreateSolidBrush(RGB(1, 2, 3))));
    EXPECT_EQ(liveFontCount(), before);
}

// Nodes hold shared fonts: one object per description, freed with its last
// holder. A new font given up for sharing goes when its description is
// shared already; creations stay separate objects.
TEST(GdiObjects, SharedFontsAreOnePerDescriptionAndFreedWithTheLastHold) {
    const long before = liveFontCount();
    LOGFONTA lf = makeLogfont(-12, "Times New Roman");
    HFONT a = shareFontIndirect(&lf);
    HFONT b = shareFont(CreateFontIndirectA(&lf));
    ASSERT_TRUE(a && a->isShared());
    EXPECT_EQ(b, a);
    EXPECT_EQ(shareFont(a), a) << "a shared font is answered as it is";
    EXPECT_EQ(liveFontCount(), before + 1);

    // Every byte of the description counts, those after the face's end too.
    LOGFONTA other = lf;
    other.lfFaceName[LF_FACESIZE - 1] = 'x';
    HFONT c = shareFontIndirect(&other);
    EXPECT_NE(c, a);
    HFONT fresh = CreateFontIndirectA(&lf);
    EXPECT_NE(fresh, a);
    EXPECT_FALSE(fresh->isShared());
    EXPECT_EQ(liveFontCount(), before + 3);

    EXPECT_TRUE(DeleteObject(b));
    LOGFONTA out;
    EXPECT_EQ(GetObjectA(a, sizeof out, &out), int(sizeof out)) << "one hold is left";
    EXPECT_EQ(liveFontCount(), before + 3);
    for (HFONT f : {a, c, fresh}) EXPECT_TRUE(DeleteObject(f));
    EXPECT_EQ(liveFontCount(), before);
    HFONT again = shareFontIndirect(&lf);
    EXPECT_EQ(liveFontCount(), before + 1) << "the freed description is made anew";
    DeleteObject(again);

    EXPECT_EQ(shareFont(stockDefaultFont()), stockDefaultFont());
    EXPECT_EQ(shareFont(nullptr), nullptr);
    EXPECT_EQ(shareFontIndirect(nullptr), nullptr);
    BudgetGuard guard;
    setFontCreationBudget(0);
    EXPECT_EQ(shareFontIndirect(&lf), nullptr) << "every request counts against the budget";
}

// Layout adds font heights in 32-bit integers; a font is never made taller
// than the platform's limit, whoever asks for it.
TEST(GdiObjects, FontHeightBeyondTheLimitGivesTheLargestFont) {
    struct Case {
        LONG asked, made;
    } cases[] = {{INT32_MAX, kMaxFontHeight},
                 {INT32_MIN, -kMaxFontHeight},
                 {kMaxFontHeight + 1, kMaxFontHeight},
                 {-kMaxFontHeight - 1, -kMaxFontHeight},
                 {kMaxFontHeight, kMaxFontHeight},
                 {-12, -12},
                 {0, 0}};
    for (const Case& c : cases) {
        LOGFONTA lf = makeLogfont(c.asked, "Arial");
        HFONT f = CreateFontIndirectA(&lf);
        ASSERT_TRUE(f);
        LOGFONTA out;
        GetObjectA(f, sizeof out, &out);
        EXPECT_EQ(out.lfHeight, c.made) << c.asked;
        lf.lfHeight = c.made;
        EXPECT_EQ(std::memcmp(&out, &lf, sizeof lf), 0) << "only the height changes";
        DeleteObject(f);
    }
}

TEST(GdiObjects, CreationBudgetFailsAfterRemainingCreations) {
    BudgetGuard guard;
    LOGFONTA lf = makeLogfont(10, "Arial");
    long before = liveFontCount();
    setFontCreationBudget(2);
    HFONT a = CreateFontIndirectA(&lf);
    HFONT b = CreateFontIndirectA(&lf);
    EXPECT_TRUE(a && b);
    EXPECT_EQ(CreateFontIndirectA(&lf), nullptr);
    EXPECT_EQ(CreateFontIndirectA(&lf), nullptr);
    EXPECT_EQ(liveFontCount(), before + 2);
    setFontCreationBudget(0);
    EXPECT_EQ(CreateFontIndirectA(&lf), nullptr);
    setFontCreationBudget(-1);
    HFONT c = CreateFontIndirectA(&lf);
    EXPECT_NE(c, nullptr);
    for (HFONT f : {a, b, c}) DeleteObject(f);
    EXPECT_EQ(liveFontCount(), before);
}

TEST(GdiObjects, SymbolFaceAndPtInRect) {
    EXPECT_TRUE(isSymbolFace("SYMBOL"));
    EXPECT_TRUE(isSymbolFace("sYmBoL"));
    EXPECT_FALSE(isSymbolFace("Symbols"));
    EXPECT_FALSE(isSymbolFace(""));
    EXPECT_FALSE(isSymbolFace(nullptr));

    RECT r{10, 20, 30, 40};
    EXPECT_TRUE(PtInRect(&r, POINT{10, 20}));
    EXPECT_TRUE(PtInRect(&r, POINT{29, 39}));
    EXPECT_FALSE(PtInRect(&r, POINT{30, 25}));
    EXPECT_FALSE(PtInRect(&r, POINT{15, 40}));
    EXPECT_FALSE(PtInRect(&r, POINT{9, 25}));
    EXPECT_FALSE(PtInRect(nullptr, POINT{15, 25}));
}

// A context whose backend refuses fonts whose face is "Refused".
class PickyDC : public NominalDC {
protected:
    bool acceptFont(HFONT f) override { return std::strcmp(f->logfont().lfFaceName, "Refused") != 0; }
};

TEST(DeviceContext, SelectObjectAnswersPreviousOfSameKind) {
    PickyDC dc;
    LOGFONTA lf1 = makeLogfont(12, "Arial"), lf2 = makeLogfont(14, "Refused");
    HFONT f1 = CreateFontIndirectA(&lf1);
    HFONT refused = CreateFontIndirectA(&lf2);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));

    // A fresh context answers the stock objects, so selecting them back is safe.
    EXPECT_EQ(SelectObject(&dc, f1), stockDefaultFont());
    EXPECT_EQ(dc.currentFont(), f1);
    EXPECT_EQ(SelectObject(&dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(dc.currentFont(), f1) << "selecting a pen leaves the font";

    EXPECT_EQ(SelectObject(&dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(&dc, refused), nullptr);
    EXPECT_EQ(dc.currentFont(), f1);
    EXPECT_EQ(SelectObject(nullptr, f1), nullptr);

    EXPECT_EQ(SelectObject(&dc, stockDefaultFont()), f1);
    EXPECT_EQ(SelectObject(&dc, GetStockObject(BLACK_PEN)), pen);

    EXPECT_EQ(SetTextColor(&dc, RGB(1, 2, 3)), 0u);
    EXPECT_EQ(SetTextColor(&dc, RGB(4, 5, 6)), RGB(1, 2, 3));
    EXPECT_EQ(SetBkMode(&dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(&dc, OPAQUE), TRANSPARENT);
    EXPECT_EQ(SetBkMode(nullptr, OPAQUE), 0);
    for (HGDIOBJ o : {HGDIOBJ(f1), HGDIOBJ(refused), HGDIOBJ(pen)}) DeleteObject(o);
}

TEST(NominalDC, ExtentsFollowFontHeight) {
    struct Case {
        LONG height;
        int perByte, cell;
    } cases[] = {{16, 8, 16}, {-10, 5, 10}, {0, 8, 16}, {1, 1, 1}, {-3, 1, 3}, {25, 12, 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        NominalDC dc;
        LOGFONTA lf = makeLogfont(c.height, "Arial");
        HFONT f = CreateFontIndirectA(&lf);
        SelectObject(&dc, f);
        SIZE s{-1, -1};
        ASSERT_TRUE(GetTextExtentPoint32A(&dc, "abc", 3, &s));
        EXPECT_EQ(s.cx, 3 * c.perByte);
        EXPECT_EQ(s.cy, c.cell);
        ASSERT_TRUE(GetTextExtentPoint32A(&dc, "", 0, &s));
        EXPECT_EQ(s.cx, 0);
        EXPECT_EQ(s.cy, c.cell);
        DeleteObject(f);
    }
    NominalDC dc;  // no font selected: the stock font's 16
    SIZE s;
    ASSERT_TRUE(GetTextExtentPoint32A(&dc, "xy", 2, &s));
    EXPECT_EQ(s.cx, 16);
    EXPECT_EQ(s.cy, 16);
    EXPECT_FALSE(GetTextExtentPoint32A(&dc, "xy", 2, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "xy", 2, &s));
    EXPECT_EQ(NominalDC::cellHeight(-2147483647 - 1), 2147483647);
}

TEST(NominalDC, RecordsDisplayList) {
    NominalDC dc;
    LOGFONTA lf = makeLogfont(-20, "Symbol");
    HFONT sym = CreateFontIndirectA(&lf);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));

    RECT box{5, 7, 100, 100};
    EXPECT_EQ(DrawTextA(&dc, "a\xB1", 2, &box, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX), 16);
    SelectObject(&dc, sym);
    SetTextColor(&dc, RGB(9, 8, 7));
    EXPECT_EQ(DrawTextA(&dc, "pq", -1, &box, 0), 20);

    LineTo(&dc, 10, 0);  // default pen: black, from the origin
    SelectObject(&dc, red);
    POINT prev{-1, -1};
    MoveToEx(&dc, 1, 2, &prev);
    EXPECT_EQ(prev.x, 10);
    EXPECT_EQ(prev.y, 0);
    LineTo(&dc, 3, 4);
    LineTo(&dc, 5, 6);
    EXPECT_EQ(dc.penPosition().x, 5);
    EXPECT_EQ(dc.penPosition().y, 6);
    RECT fr{1, 1, 4, 4};
    EXPECT_NE(FrameRect(&dc, &fr, blue), 0);
    EXPECT_EQ(FrameRect(&dc, &fr, nullptr), 0);

    std::vector<DrawnText> texts{{5, 7, "a\xB1", "System", 16, 0}, {5, 7, "pq", "Symbol", -20, RGB(9, 8, 7)}};
    std::vector<DrawnLine> lines{
        {0, 0, 10, 0, RGB(0, 0, 0)}, {1, 2, 3, 4, RGB(255, 0, 0)}, {3, 4, 5, 6, RGB(255, 0, 0)}};
    std::vector<DrawnFrame> frames{{RECT{1, 1, 4, 4}, RGB(0, 0, 255)}};
    EXPECT_EQ(dc.texts(), texts);
    EXPECT_EQ(dc.lines(), lines);
    EXPECT_EQ(dc.frames(), frames);

    dc.clearRecord();
    EXPECT_TRUE(dc.texts().empty() && dc.lines().empty() && dc.frames().empty());
    SelectObject(&dc, stockDefaultFont());
    SelectObject(&dc, GetStockObject(BLACK_PEN));
    for (HGDIOBJ o : {HGDIOBJ(sym), HGDIOBJ(red), HGDIOBJ(blue)}) DeleteObject(o);
}

TEST(Messages, RecorderLogsEscapedLinesAndRestoresPreviousSink) {
    MessageSink* outer = messageSink();
    {
        MessageRecorder rec;
        EXPECT_EQ(messageSink(), &rec);
        {
            MessageRecorder inner;
            MessageBeep(0);
            EXPECT_EQ(inner.beeps(), 1);
        }
        EXPECT_EQ(messageSink(), &rec) << "the inner recorder restores the outer one";
        EXPECT_EQ(rec.beeps(), 0);

        MessageBeep(16);
        EXPECT_EQ(MessageBoxA(nullptr, "Problem loading file\r\nLoader aborted!", "Velmor", MB_ICONERROR),
                  IDOK);
        MessageBoxA(nullptr, "say \"hi\" \\ \x7F\xE9", nullptr, MB_OK);
        SetMessageText("1 / 0 \xB1");
        EXPECT_EQ(rec.beeps(), 1);
        EXPECT_EQ(rec.boxes(), 2);
        EXPECT_EQ((rec.events()[1]), (MessageEvent{MessageEvent::Box, MB_ICONERROR,
                                                   "Problem loading file\r\nLoader aborted!", "Velmor"}));
        EXPECT_EQ(rec.log(),
                  "! beep 16\n"
                  "! message \"Velmor\" \"Problem loading file\\x0d\\x0aLoader aborted!\"\n"
                  "! message \"\" \"say \\\"hi\\\" \\\\ \\x7f\\xe9\"\n"
                  "! status \"1 / 0 \\xb1\"\n");
        rec.clear();
        EXPECT_EQ(rec.log(), "");
    }
    EXPECT_EQ(messageSink(), outer);
}

TEST(Messages, DefaultSinkWritesToStderr) {
    MessageSink* previous = setMessageSink(nullptr);
    testing::internal::CaptureStderr();
    MessageBeep(48);
    int answer = MessageBoxA(nullptr, "Line\n", "Cap", MB_OK);
    SetMessageText("Done");
    std::string err = testing::internal::GetCapturedStderr();
    setMessageSink(previous);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(err, "! beep 48\n! message \"Cap\" \"Line\\x0a\"\n! status \"Done\"\n");
}

TEST(Escape, BytesOutsidePrintableAsciiAreHex) {
    EXPECT_EQ(escapeBytes(std::string("a \"b\" \\c~")), "a \\\"b\\\" \\\\c~");
    EXPECT_EQ(escapeBytes(std::string("\0\x1f\x80\xff", 4)), "\\x00\\x1f\\x80\\xff");
    EXPECT_EQ(escapeBytes(nullptr, 3), "");
    EXPECT_EQ(escapeBytes("abc", 2), "ab");
}

TEST(VirtualKeys, UsLayout) {
    auto key = [](char c) {
        KeyStroke k = keyForChar(static_cast<unsigned char>(c));
        return std::make_pair(k.vk, k.shift);
    };
    using P = std::pair<int, bool>;
    EXPECT_EQ(key('x'), P('X', false));
    EXPECT_EQ(key('X'), P('X', true));
    EXPECT_EQ(key('('), P('9', true)) << "never VK_DOWN";
    EXPECT_EQ(key(')'), P('0', true));
    EXPECT_EQ(key('.'), P(VK_OEM_PERIOD, false));
    EXPECT_EQ(key('>'), P(VK_OEM_PERIOD, true));
    EXPECT_EQ(key('+'), P(VK_OEM_PLUS, true));
    EXPECT_EQ(key('"'), P(VK_OEM_7, true));
    EXPECT_EQ(key(' '), P(VK_SPACE, false));
    EXPECT_EQ(key('\b'), P(VK_BACK, false));
    EXPECT_EQ(key('\r'), P(VK_RETURN, false));
    EXPECT_EQ(key('\t'), P(0, false));
    // Every printable ASCII character has a key.
    for (int c = 0x20; c <= 0x7E; ++c) EXPECT_NE(keyForChar(static_cast<unsigned char>(c)).vk, 0) << c;
}

TEST(CodePages, KnownEntries) {
    EXPECT_EQ(symbolToUnicode(0xD7), U'\u22C5');
    EXPECT_EQ(symbolToUnicode(0xA5), U'\u221E');
    EXPECT_EQ(symbolToUnicode(0xB1), U'\u00B1');
    EXPECT_EQ(symbolToUnicode(0xD9), U'\u2227');
    EXPECT_EQ(symbolToUnicode(0xDA), U'\u2228');
    EXPECT_EQ(symbolToUnicode(0xCC), U'\u2282');
    EXPECT_EQ(symbolToUnicode(0x61), U'\u03B1');
    EXPECT_EQ(symbolToUnicode(0xF2), U'\u222B');
    EXPECT_EQ(symbolToUnicode(0x2B), U'+');
    EXPECT_EQ(symbolToUnicode(0x2D), U'\u2212');
    EXPECT_EQ(symbolToUnicode(0x80), U'\uFFFD');
    EXPECT_EQ(symbolToUnicode(0xFF), U'\uFFFD');

    EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(cp1252ToUnicode(0xE7), U'\u00E7');
    EXPECT_EQ(cp1252ToUnicode(0x9F), U'\u0178');
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(cp1252ToUnicode(b), U'\uFFFD') << int(b);
}

TEST(CodePages, Cp1252RoundTripAndUtf8) {
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
        char32_t cp = cp1252ToUnicode(static_cast<unsigned char>(b));
        if (cp == U'\uFFFD') continue;
        ++defined;
        EXPECT_EQ(unicodeToCp1252(cp), b);
    }
    EXPECT_EQ(defined, 251);
    EXPECT_EQ(unicodeToCp1252(U'\uFFFD'), -1);
    EXPECT_EQ(unicodeToCp1252(0x81), -1);
    EXPECT_EQ(unicodeToCp1252(U'\u22C5'), -1);

    EXPECT_EQ(cp1252ToUtf8("a\x80\xE7", 3), "a\xE2\x82\xAC\xC3\xA7");
    EXPECT_EQ(symbolToUtf8("\x61\xB1\xD7", 3), "\xCE\xB1\xC2\xB1\xE2\x8B\x85");
    EXPECT_EQ(cp1252ToUtf8(nullptr, 4), "");
}

}  // namespace
}  // namespace tovimat
