// One loaded face at one pixel size, with its rendered glyphs cached. Private to the platform:
// the canvas draws with it, everything else sees only Font.
//
// FreeType is used from the UI thread only, so the face cache and glyph caches are not locked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics/font.h"

namespace plat {

// A rendered glyph: 8-bit coverage, placed relative to the pen position on the baseline.
struct GlyphImage {
    int left = 0;  // x of the first column, from the pen position
    int top = 0;   // rows above the baseline of the first row
    int width = 0;
    int rows = 0;
    int advance = 0;                // pen advance in whole pixels
    std::vector<uint8_t> coverage;  // rows x width, 0 = empty, 255 = full
};

class FontFace {
  public:
    virtual ~FontFace() = default;

    // The glyph of a code point; never null (missing glyphs get the face's box).
    virtual const GlyphImage& Glyph(char32_t cp) = 0;
    // Metrics for a font of this face as `request` asks for it.
    virtual TextMetrics MetricsFor(const FontSpec& request) = 0;
    // True when no font file was found and glyphs are drawn as boxes.
    virtual bool IsBuiltin() const = 0;
    // Host path of the font file ("" for the built-in face).
    virtual const std::string& File() const = 0;
    // Pixels per em this face was sized to.
    virtual int PixelSize() const = 0;
};

// The face for a font request from the process-wide cache, loading it on first use. Never null.
std::shared_ptr<FontFace> AcquireFontFace(const FontSpec& request);

// Advance of one code point as text layout counts it: control characters take no room and a
// tab is as wide as a blank.
int GlyphAdvance(FontFace* face, char32_t cp);

}  // namespace plat
