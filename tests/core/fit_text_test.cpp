// Captions under thumbnails: shortened with dots to the width of the cell.
#include <gtest/gtest.h>

#include "browser/thumbnail_view.h"
#include "platform/graphics/canvas.h"

namespace {

struct CaptionCanvas {
    plat::Surface surface{176, 40};
    plat::Canvas canvas{&surface};
    CaptionCanvas() { canvas.SetFont(plat::Font::Create(plat::FontSpec{12, 400, false, "Nina"})); }
};

}  // namespace

TEST(FitTextWithEllipsis, KeepsWhatFitsAndShortensWhatDoesNot) {
    CaptionCanvas c;
    const std::string name = "a_very_long_holiday_picture_01";  // 30 characters
    const int full = c.canvas.TextWidth(name);
    EXPECT_EQ(FitTextWithEllipsis(c.canvas, full, name), name);

    const int minimum = c.canvas.TextWidth(name.substr(0, 4)) + c.canvas.TextWidth("...");
    for (int width : {80, 60, 40, 30}) {
        if (width <= minimum) {
            continue;  // narrower cells take the other path, tested below
        }
        const std::string fitted = FitTextWithEllipsis(c.canvas, width, name);
        ASSERT_GE(fitted.size(), 3u) << width;
        EXPECT_EQ(fitted.substr(fitted.size() - 3), "...") << width;
        EXPECT_LE(c.canvas.TextWidth(fitted), width) << fitted;
        // As many characters as fit: one more would not.
        const std::string kept = fitted.substr(0, fitted.size() - 3);
        EXPECT_EQ(name.rfind(kept, 0), 0u);
        EXPECT_GT(c.canvas.TextWidth(name.substr(0, kept.size() + 1) + "..."), width) << fitted;
    }
    // A box exactly as wide as a prefix and the dots takes that prefix whole.
    const int dots = c.canvas.TextWidth("...");
    EXPECT_EQ(FitTextWithEllipsis(c.canvas, c.canvas.TextWidth("a_very_long") + dots, name),
              "a_very_long...");
    EXPECT_EQ(FitTextWithEllipsis(c.canvas, c.canvas.TextWidth("a_ve") + dots, name), "a_ve...");
}

TEST(FitTextWithEllipsis, NarrowCellsFallBackToFewerDots) {
    CaptionCanvas c;
    // In this face "W" is 10 pixels wide, "..." 9, ".." 6 and "." 3.
    ASSERT_EQ(c.canvas.TextWidth("WWWW"), 40);
    ASSERT_EQ(c.canvas.TextWidth("..."), 9);
    ASSERT_EQ(c.canvas.TextWidth("."), 3);
    // Four letters do not fit: letters are dropped until they and a third of the dots' width
    // fit, then the longest of "...", "..", "." or nothing that fits is added.
    const struct {
        int width;
        const char* fitted;
    } cases[] = {{40, "WWW..."}, {36, "WWW.."}, {35, "WWW."}, {32, "WW..."}, {2, ""}};
    for (const auto& k : cases) {
        EXPECT_EQ(FitTextWithEllipsis(c.canvas, k.width, "WWWWWWWW"), k.fitted) << k.width;
    }
    // Names of non-ASCII letters are cut between letters, never inside one.
    const std::string greek =
        "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8\xCE\xB9\xCE\xBA";
    const std::string cut = FitTextWithEllipsis(c.canvas, 40, greek);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_EQ((cut.size() - 3) % 2, 0u);
}
