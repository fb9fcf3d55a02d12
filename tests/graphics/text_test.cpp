// Fonts and text layout: metrics, where DrawText puts its lines, breaking, ellipsis, prefixes.
#include "platform/os/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/font_face.h"

namespace plat {
namespace {

constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kBlack = Rgb(0, 0, 0);

// Bounds of everything that is not white.
Rect InkBounds(const Surface& s) {
    Rect ink;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            if (s.Pixel(x, y) != kWhite) {
                ink = ink.Union(Rect{x, y, x + 1, y + 1});
            }
        }
    }
    return ink;
}

bool SamePixels(const Surface& a, const Surface& b) {
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                ADD_FAILURE() << "first difference at " << x << "," << y;
                return false;
            }
        }
    }
    return true;
}

constexpr Color kBlue = Rgb(0, 0, 255);

// A white surface with a canvas drawing black 12-pixel text, transparently or on blue.
struct Page {
    Surface surface;
    Canvas canvas;
    explicit Page(int w = 120, int h = 60, bool opaque = false) : surface(w, h), canvas(&surface) {
        canvas.FillRect(Rect{0, 0, w, h}, kWhite);
        canvas.SetFont(Font::Create(FontSpec{12}));
        canvas.SetTextColor(kBlack);
        canvas.SetBackColor(kBlue);
        canvas.SetBackgroundMode(opaque ? BackgroundMode::kOpaque : BackgroundMode::kTransparent);
    }
};

TEST(FontMetrics, PositiveHeightIsTheCellNegativeTheEm) {
    for (int h : {10, 12, 14, 20}) {
        const TextMetrics cell = Font::Create(FontSpec{h})->Metrics();
        EXPECT_EQ(cell.height, h);
        EXPECT_EQ(cell.ascent + cell.descent, h);
        EXPECT_GT(cell.ascent, cell.descent);
        EXPECT_GT(cell.internalLeading, 0);
        EXPECT_LT(cell.internalLeading, h / 3 + 1);

        const TextMetrics em = Font::Create(FontSpec{-h})->Metrics();
        EXPECT_EQ(em.height - em.internalLeading, h);
        EXPECT_GT(em.height, h);
        EXPECT_GT(em.averageCharWidth, 0);
        EXPECT_GE(em.maxCharWidth, em.averageCharWidth);
    }
}

TEST(FontMetrics, NinaAndUnknownNamesResolveToInstalledSans) {
    auto nina = Font::Create(FontSpec{12, 400, false, "Nina"});
    ASSERT_FALSE(nina->Face()->IsBuiltin());
    EXPECT_NE(nina->Face()->File().find("DejaVuSans"), std::string::npos);
    auto unknown = Font::Create(FontSpec{12, 400, false, "No Such Face 123"});
    EXPECT_EQ(unknown->Face()->File(), nina->Face()->File());
    auto bold = Font::Create(FontSpec{12, 700});
    EXPECT_NE(bold->Face()->File(), nina->Face()->File());
    EXPECT_GT(bold->TextWidth("Wide text"), nina->TextWidth("Wide text"));
    // Faces are shared, not loaded again.
    EXPECT_EQ(Font::Create(FontSpec{12})->Face(), nina->Face());
}

TEST(TextOut, InkStaysInTheLineCellAndIsAntialiased) {
    Page page;
    const std::string text = "Hg jW|";
    page.canvas.TextOut(10, 20, text);
    const Rect ink = InkBounds(page.surface);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 20 + page.canvas.LineHeight());
    EXPECT_GE(ink.left, 10 - 1);
    EXPECT_LE(ink.right, 10 + page.canvas.TextWidth(text) + 1);
    bool grey = false;
    for (int y = ink.top; y < ink.bottom; ++y) {
        for (int x = ink.left; x < ink.right; ++x) {
            const int r = RedOf(page.surface.Pixel(x, y));
            grey |= r > 0 && r < 255;
        }
    }
    EXPECT_TRUE(grey);
}

// DrawText of `text` in `r` puts exactly the pixels TextOut puts for `lines` (x, y, text).
struct Line {
    int x, y;
    std::string text;
};
void ExpectDrawnLike(const std::string& text, Rect r, unsigned flags,
                     const std::vector<Line>& lines) {
    Page drawn, reference;
    drawn.canvas.DrawText(text, &r, flags);
    for (const Line& line : lines) {
        reference.canvas.TextOut(line.x, line.y, line.text);
    }
    EXPECT_TRUE(SamePixels(drawn.surface, reference.surface)) << text << " flags " << flags;
}

TEST(DrawText, AlignsHorizontallyAndVertically) {
    Page page;
    const int w = page.canvas.TextWidth("Zoom");
    const int h = page.canvas.LineHeight();
    const Rect r{0, 0, 100, 30};
    ExpectDrawnLike("Zoom", r, kTextSingleLine, {{0, 0, "Zoom"}});
    ExpectDrawnLike("Zoom", r, kTextSingleLine | kTextCenter, {{(100 - w) / 2, 0, "Zoom"}});
    ExpectDrawnLike("Zoom", r, kTextSingleLine | kTextRight, {{100 - w, 0, "Zoom"}});
    ExpectDrawnLike("Zoom", r, kTextSingleLine | kTextCenter | kTextVCenter,
                    {{(100 - w) / 2, (30 - h) / 2, "Zoom"}});
    ExpectDrawnLike("Zoom", r, kTextSingleLine | kTextBottom, {{0, 30 - h, "Zoom"}});
    // Vertical placement belongs to single lines only.
    ExpectDrawnLike("Zoom", r, kTextVCenter, {{0, 0, "Zoom"}});
}

TEST(DrawText, WordBreakBreaksAtBlanksAndInsideLongWords) {
    Page page;
    const int h = page.canvas.LineHeight();
    Rect r{0, 0, page.canvas.TextWidth("aaa bbb"), 0};
    EXPECT_EQ(page.canvas.DrawText("aaa bbb ccc ddd", &r, kTextWordBreak | kTextCalcRect), 2 * h);
    EXPECT_EQ(r.Height(), 2 * h);
    EXPECT_EQ(r.Width(), page.canvas.TextWidth("aaa bbb"));  // width kept

    Rect narrow{0, 0, 3 * page.canvas.TextWidth("m"), 0};
    EXPECT_EQ(page.canvas.DrawText("mmmmmmmmmm", &narrow, kTextWordBreak | kTextCalcRect), 4 * h);

    // The break goes at the blank, not at the last character that fits.
    ExpectDrawnLike("aaa bbb", Rect{0, 0, page.canvas.TextWidth("aaa bb"), 40}, kTextWordBreak,
                    {{0, 0, "aaa"}, {0, h, "bbb"}});

    // Broken lines are drawn inside the rectangle even when clipping is off.
    Rect box{10, 0, 10 + 3 * page.canvas.TextWidth("m"), 60};
    page.canvas.DrawText("mmmmmmmmmm", &box, kTextWordBreak | kTextNoClip);
    const Rect ink = InkBounds(page.surface);
    EXPECT_LE(ink.right, box.right + 1);
    EXPECT_GE(ink.bottom, 3 * h + 1);
}

TEST(DrawText, CalcRectMeasuresLinesAndNewlines) {
    Page page;
    const int h = page.canvas.LineHeight();
    Rect r{5, 7, 6, 8};
    EXPECT_EQ(page.canvas.DrawText("Slide show", &r, kTextSingleLine | kTextCalcRect), h);
    EXPECT_EQ(r, (Rect{5, 7, 5 + page.canvas.TextWidth("Slide show"), 7 + h}));
    Rect lines{0, 0, 0, 0};
    page.canvas.DrawText("ab\r\nlonger line\nc", &lines, kTextCalcRect);
    EXPECT_EQ(lines.Height(), 3 * h);
    EXPECT_EQ(lines.Width(), page.canvas.TextWidth("longer line"));
    EXPECT_EQ(InkBounds(page.surface), Rect{});  // measuring draws nothing
}

TEST(DrawText, TextIsClippedToTheRectUnlessNoClip) {
    Page clipped, loose;
    Rect r{0, 0, 20, 30};
    clipped.canvas.DrawText("Wide wide wide", &r, kTextSingleLine);
    EXPECT_LE(InkBounds(clipped.surface).right, 20);
    loose.canvas.DrawText("Wide wide wide", &r, kTextSingleLine | kTextNoClip);
    EXPECT_GT(InkBounds(loose.surface).right, 30);
}

// A single line keeps the longest start of the text that fits with the ellipsis; broken
// lines end with the last line that fits.
TEST(DrawText, EndEllipsisShortensAndMarksTheLine) {
    Page page;
    const std::string text = "Holiday pictures from the coast";
    std::string kept = text;
    while (!kept.empty() && page.canvas.TextWidth(kept + "\u2026") > 60) {
        kept.pop_back();
    }
    while (!kept.empty() && kept.back() == ' ') {
        kept.pop_back();
    }
    ASSERT_LT(kept.size(), text.size());
    ExpectDrawnLike(text, Rect{0, 0, 60, 20}, kTextSingleLine | kTextEndEllipsis | kTextNoClip,
                    {{0, 0, kept + "\u2026"}});

    const int h = page.canvas.LineHeight();
    Rect r{0, 0, page.canvas.TextWidth("aaa bbb"), 2 * h};
    EXPECT_EQ(page.canvas.DrawText("aaa bbb ccc ddd eee", &r, kTextWordBreak | kTextEndEllipsis),
              2 * h);
    EXPECT_LE(InkBounds(page.surface).bottom, 2 * h);
}

TEST(DrawText, PrefixesDropTheAmpersandAndUnderlineTheKey) {
    Page drawn;
    Rect r{0, 0, 100, 20};
    drawn.canvas.DrawText("&File", &r, kTextSingleLine);
    Page plain;
    plain.canvas.TextOut(0, 0, "File");
    const int baseline = plain.canvas.GetFont()->Metrics().ascent;
    const int keyWidth = plain.canvas.TextWidth("F");
    // Same glyphs; the only extra ink is a bar under the 'F' just below the baseline.
    int extra = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (drawn.surface.Pixel(x, y) != plain.surface.Pixel(x, y)) {
                EXPECT_EQ(y, baseline + 1);
                EXPECT_LT(x, keyWidth);
                ++extra;
            }
        }
    }
    EXPECT_GT(extra, 0);
    ExpectDrawnLike("R&&D", r, kTextSingleLine, {{0, 0, "R&D"}});
    ExpectDrawnLike("&File", r, kTextSingleLine | kTextNoPrefix, {{0, 0, "&File"}});
    Rect calc{0, 0, 0, 0};
    plain.canvas.DrawText("&&a&b", &calc, kTextSingleLine | kTextCalcRect);
    EXPECT_EQ(calc.Width(), plain.canvas.TextWidth("&ab"));
}

// Opaque text fills its box: TextOut's, each line's strip across the rectangle, or the whole
// rectangle when the line is centred in it.
TEST(DrawText, OpaqueFillsTheTextBoxEachLineStripOrTheWholeCentredRect) {
    Page out(120, 60, true);
    out.canvas.TextOut(5, 5, "ab");
    const int w = out.canvas.TextWidth("ab"), h = out.canvas.LineHeight();
    EXPECT_EQ(InkBounds(out.surface), (Rect{5, 5, 5 + w, 5 + h}));

    Page strip(60, 60, true), centred(60, 60, true);
    Rect r{2, 2, 50, 50};
    strip.canvas.DrawText("x", &r, kTextSingleLine);
    EXPECT_EQ(strip.surface.Pixel(49, 2), kBlue);
    EXPECT_EQ(strip.surface.Pixel(49, 2 + h - 1), kBlue);
    EXPECT_EQ(strip.surface.Pixel(49, 2 + h), kWhite);
    centred.canvas.DrawText("x", &r, kTextSingleLine | kTextVCenter);
    EXPECT_EQ(centred.surface.Pixel(2, 2), kBlue);
    EXPECT_EQ(centred.surface.Pixel(49, 49), kBlue);
    EXPECT_EQ(centred.surface.Pixel(50, 49), kWhite);
}

}  // namespace
}  // namespace plat

// Host names need not be UTF-8: decoding is strict, so no byte sequence passes for a
// character it does not encode in the shortest form ("\xc0\xaf" is not "/").
TEST(Utf8, InvalidOverlongSurrogateAndCutSequencesDecodeAsReplacements) {
    const struct {
        const char* bytes;
        std::vector<char32_t> decoded;
    } cases[] = {
        {"a\xc3\xa9", {U'a', 0xE9}},
        {"\xf0\x9f\x98\x80", {0x1F600}},
        {"\xc0\xaf", {0xFFFD, 0xFFFD}},                          // overlong "/"
        {"\xe0\x80\xaf", {0xFFFD, 0xFFFD, 0xFFFD}},              // overlong "/", three bytes
        {"\xed\xa0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},              // a UTF-16 surrogate
        {"\xf4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},  // past U+10FFFF
        {"caf\xe9", {U'c', U'a', U'f', 0xFFFD}},                 // Latin-1
        {"\xe2\x82", {0xFFFD, 0xFFFD}},                          // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plat::DecodeUtf8(c.bytes), c.decoded) << c.bytes;
    }
    EXPECT_EQ(plat::ValidUtf8("caf\xe9 \xc0\xaf ok \xc3\xa9"),
              "caf\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD ok \xc3\xa9");
    // Different invalid bytes stay different for case-insensitive matching.
    EXPECT_FALSE(plat::EqualsNoCase("caf\xe9", "caf\xe8"));
    EXPECT_TRUE(plat::EqualsNoCase("CAF\xc3\x89.JPG", "caf\xc3\xa9.jpg"));
}
