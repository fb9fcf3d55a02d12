// Fonts: the face "Nina" resolved to an installed TrueType face (DejaVu Sans), rendered with
// FreeType as greyscale antialiased text (draft fonts: hinted monochrome).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace plat {

struct FontSpec {
    // Positive: cell height (ascent + descent) in pixels; negative: character height
    // (cell height less internal leading), as logical fonts define it.
    int height = 12;
    int weight = 400;  // 700 and above is bold
    bool italic = false;
    std::string face = "Nina";
    // Draft quality: glyphs hinted and drawn in one colour, without smoothing, so every
    // stroke is a whole pixel wide (text that becomes a mask keeps all its strokes).
    bool draft = false;
};

struct TextMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;  // height less the em size
    int externalLeading = 0;
    int averageCharWidth = 0;
    int maxCharWidth = 0;
};

class FontFace;  // one loaded FreeType face at one size (private to the platform)

class Font {
  public:
    // Never null: a face that cannot be found falls back to any installed sans face; if no
    // font file exists at all, a built-in box renderer keeps text measurable.
    static std::shared_ptr<Font> Create(const FontSpec& request);

    const FontSpec& Request() const { return request_; }
    const TextMetrics& Metrics() const { return metrics_; }
    // Advance width of the text in pixels.
    int TextWidth(std::string_view utf8) const;
    FontFace* Face() const { return face_.get(); }

    Font(const FontSpec& request, std::shared_ptr<FontFace> face, const TextMetrics& metrics)
        : request_(request), face_(std::move(face)), metrics_(metrics) {}

  private:
    FontSpec request_;
    std::shared_ptr<FontFace> face_;
    TextMetrics metrics_;
};

}  // namespace plat
