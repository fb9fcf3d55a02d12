// Fonts: fontconfig finds the file, FreeType loads and renders it, and every face is kept for
// the life of the process (a phone program uses a handful of sizes).
#include "platform/graphics/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "platform/graphics/font_face.h"
#include "platform/os/text.h"

namespace plat {
namespace {

// The face the system asks for by name; it stands for the phone's own sans face.
constexpr const char* kSystemFaceName = "Nina";
constexpr const char* kSansFamily = "DejaVu Sans";
constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) {
            return static_cast<FT_Library>(nullptr);
        }
        return lib;
    }();
    return library;
}

struct FaceFileDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FaceHandle = std::unique_ptr<FT_FaceRec_, FaceFileDeleter>;

FaceHandle OpenFace(const std::string& file) {
    FT_Library library = Library();
    FT_Face face = nullptr;
    if (library == nullptr || FT_New_Face(library, file.c_str(), 0, &face) != 0) {
        return nullptr;
    }
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return nullptr;
    }
    return FaceHandle(face);
}

// Vertical metrics in font units, read once per file. The cell is the Windows ascent and
// descent of the OS/2 table, which is what logical font heights are measured against.
// The defaults are the built-in box face's, in tenths of an em.
struct DesignMetrics {
    int unitsPerEm = 10;
    int cellAscent = 9;
    int cellDescent = 3;
    int lineSpacing = 12;  // hhea ascender - descender + line gap
    int averageWidth = 0;
    int maxAdvance = 6;
};

DesignMetrics ReadDesignMetrics(FT_Face face) {
    DesignMetrics m;
    m.unitsPerEm = std::max<int>(1, face->units_per_EM);
    m.cellAscent = face->ascender;
    m.cellDescent = -face->descender;
    m.lineSpacing = face->height;
    m.maxAdvance = face->max_advance_width;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            m.cellAscent = os2->usWinAscent;
            m.cellDescent = os2->usWinDescent;
        }
        m.averageWidth = os2->xAvgCharWidth;
    }
    if (m.cellAscent + m.cellDescent <= 0) {
        m.cellAscent = m.unitsPerEm * 4 / 5;
        m.cellDescent = m.unitsPerEm - m.cellAscent;
    }
    return m;
}

int RoundScaled(int units, int ppem, int unitsPerEm) {
    return static_cast<int>(std::lround(static_cast<double>(units) * ppem / unitsPerEm));
}

// Pixels per em for a logical height: positive heights give the cell, negative the em.
int PixelSizeFor(const FontSpec& request, const DesignMetrics& d) {
    int ppem;
    if (request.height < 0) {
        ppem = -request.height;
    } else {
        const int cell = request.height == 0 ? 12 : request.height;
        ppem = static_cast<int>(
            std::lround(static_cast<double>(cell) * d.unitsPerEm / (d.cellAscent + d.cellDescent)));
    }
    return std::clamp(ppem, 1, 512);
}

TextMetrics CellMetrics(const FontSpec& request, const DesignMetrics& d, int ppem) {
    TextMetrics m;
    const int ascent = RoundScaled(d.cellAscent, ppem, d.unitsPerEm);
    if (request.height > 0) {
        m.height = request.height;
        m.ascent = std::min(ascent, m.height);
    } else {
        m.height = std::max(1, RoundScaled(d.cellAscent + d.cellDescent, ppem, d.unitsPerEm));
        m.ascent = std::min(ascent, m.height);
    }
    m.descent = m.height - m.ascent;
    m.internalLeading = std::max(0, m.height - ppem);
    m.externalLeading =
        std::max(0, RoundScaled(d.lineSpacing - d.cellAscent - d.cellDescent, ppem, d.unitsPerEm));
    m.maxCharWidth = std::max(1, RoundScaled(d.maxAdvance, ppem, d.unitsPerEm));
    return m;
}

class FreeTypeFace : public FontFace {
  public:
    FreeTypeFace(FaceHandle face, std::string file, const DesignMetrics& design, int ppem,
                 bool oblique, bool embolden, bool monochrome)
        : face_(std::move(face)),
          file_(std::move(file)),
          design_(design),
          ppem_(ppem),
          oblique_(oblique),
          embolden_(embolden),
          monochrome_(monochrome) {}

    bool SetSize() { return FT_Set_Pixel_Sizes(face_.get(), 0, ppem_) == 0; }

    const GlyphImage& Glyph(char32_t cp) override {
        auto it = glyphs_.find(cp);
        if (it != glyphs_.end()) {
            return it->second;
        }
        return glyphs_.emplace(cp, Render(cp)).first->second;
    }

    TextMetrics MetricsFor(const FontSpec& request) override {
        TextMetrics m = CellMetrics(request, design_, ppem_);
        m.averageCharWidth = design_.averageWidth > 0
                                 ? RoundScaled(design_.averageWidth, ppem_, design_.unitsPerEm)
                                 : 0;
        if (m.averageCharWidth <= 0) {
            m.averageCharWidth = std::max(1, Glyph('x').advance);
        }
        return m;
    }

    bool IsBuiltin() const override { return false; }
    const std::string& File() const override { return file_; }
    int PixelSize() const override { return ppem_; }

  private:
    GlyphImage Render(char32_t cp) {
        GlyphImage image;
        FT_Face face = face_.get();
        const FT_UInt index = FT_Get_Char_Index(face, cp);
        const FT_Int32 target = monochrome_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT;
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | target) != 0) {
            return image;
        }
        if (oblique_) {
            FT_GlyphSlot_Oblique(face->glyph);
        }
        if (embolden_) {
            FT_GlyphSlot_Embolden(face->glyph);
        }
        image.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
        const FT_Render_Mode mode = monochrome_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
        if (FT_Render_Glyph(face->glyph, mode) != 0) {
            return image;
        }
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
        if ((!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) || bitmap.buffer == nullptr) {
            return image;
        }
        image.left = face->glyph->bitmap_left;
        image.top = face->glyph->bitmap_top;
        image.width = static_cast<int>(bitmap.width);
        image.rows = static_cast<int>(bitmap.rows);
        image.coverage.resize(static_cast<size_t>(image.width) * image.rows);
        for (int y = 0; y < image.rows; ++y) {
            const unsigned char* src = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
            uint8_t* out = image.coverage.data() + static_cast<size_t>(y) * image.width;
            for (int x = 0; x < image.width; ++x) {
                // One bit per pixel, the leftmost in the high bit, in monochrome mode.
                out[x] = gray ? src[x] : ((src[x >> 3] >> (7 - (x & 7))) & 1) * 255;
            }
        }
        return image;
    }

    FaceHandle face_;
    std::string file_;
    DesignMetrics design_;
    int ppem_;
    bool oblique_;
    bool embolden_;
    bool monochrome_;
    std::unordered_map<char32_t, GlyphImage> glyphs_;
};

// Used when no font file can be loaded: every visible character is a hollow box, so text
// still takes room, can be measured and shows where it is.
class BuiltinFace : public FontFace {
  public:
    explicit BuiltinFace(int ppem) : ppem_(ppem) {}

    const GlyphImage& Glyph(char32_t cp) override {
        auto it = glyphs_.find(cp);
        if (it != glyphs_.end()) {
            return it->second;
        }
        GlyphImage image;
        image.advance = std::max(2, ppem_ / 2 + 1);
        if (cp != U' ' && cp != 0xA0) {
            image.width = image.advance - 1;
            image.rows = std::max(2, ppem_ * 7 / 10);
            image.top = image.rows;
            image.coverage.assign(static_cast<size_t>(image.width) * image.rows, 0);
            for (int y = 0; y < image.rows; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    const bool edge =
                        x == 0 || y == 0 || x == image.width - 1 || y == image.rows - 1;
                    image.coverage[y * image.width + x] = edge ? 255 : 0;
                }
            }
        }
        return glyphs_.emplace(cp, std::move(image)).first->second;
    }

    TextMetrics MetricsFor(const FontSpec& request) override {
        TextMetrics m = CellMetrics(request, DesignMetrics{}, ppem_);
        m.averageCharWidth = std::max(2, ppem_ / 2 + 1);
        m.maxCharWidth = m.averageCharWidth;
        return m;
    }

    bool IsBuiltin() const override { return true; }
    const std::string& File() const override { return file_; }
    int PixelSize() const override { return ppem_; }

  private:
    int ppem_;
    std::string file_;
    std::unordered_map<char32_t, GlyphImage> glyphs_;
};

// Where the file of a face lives and what FreeType has to add to it.
struct ResolvedFile {
    std::string path;
    bool oblique = false;   // italic asked for, the file is upright
    bool embolden = false;  // bold asked for, the file is regular
};

bool LowerEquals(const std::string& a, const std::string& b) {
    return EqualsNoCase(a, b);
}

// Asks fontconfig for a family; "" when fontconfig has nothing or matched another family
// while `exactFamily` is set.
ResolvedFile MatchWithFontconfig(const std::string& family, bool bold, bool italic,
                                 bool exactFamily) {
    ResolvedFile result;
    static FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return result;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return result;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult status = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &status);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return result;
    }
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    const bool haveFile = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    const bool familyOk =
        !exactFamily || (matchedFamily != nullptr &&
                         LowerEquals(reinterpret_cast<const char*>(matchedFamily), family));
    if (haveFile && familyOk) {
        result.path = reinterpret_cast<const char*>(file);
        result.oblique = italic && slant == FC_SLANT_ROMAN;
        result.embolden = bold && weight < FC_WEIGHT_DEMIBOLD;
    }
    FcPatternDestroy(match);
    return result;
}

ResolvedFile FixedSansFile(bool bold, bool italic) {
    std::string name = "DejaVuSans";
    if (bold || italic) {
        name += "-";
        name += bold ? "Bold" : "";
        name += italic ? "Oblique" : "";
    }
    return ResolvedFile{std::string(kFontDir) + name + ".ttf", false, false};
}

struct LoadedFile {
    ResolvedFile resolved;
    DesignMetrics design;
    bool ok = false;
};

// Resolves and opens the file for a face name and style once; later calls reuse the answer.
const LoadedFile& ResolveFile(const std::string& faceName, bool bold, bool italic) {
    static std::map<std::tuple<std::string, bool, bool>, LoadedFile> cache;
    const auto key = std::make_tuple(faceName, bold, italic);
    auto it = cache.find(key);
    if (it != cache.end()) {
        return it->second;
    }
    std::vector<ResolvedFile> candidates;
    if (!faceName.empty() && !LowerEquals(faceName, kSystemFaceName) &&
        !LowerEquals(faceName, kSansFamily)) {
        candidates.push_back(MatchWithFontconfig(faceName, bold, italic, true));
    }
    candidates.push_back(MatchWithFontconfig(kSansFamily, bold, italic, false));
    candidates.push_back(FixedSansFile(bold, italic));
    ResolvedFile regular = FixedSansFile(false, false);
    regular.oblique = italic;
    regular.embolden = bold;
    candidates.push_back(regular);

    LoadedFile loaded;
    for (const ResolvedFile& candidate : candidates) {
        if (candidate.path.empty()) {
            continue;
        }
        if (FaceHandle face = OpenFace(candidate.path)) {
            loaded.resolved = candidate;
            loaded.design = ReadDesignMetrics(face.get());
            loaded.ok = true;
            break;
        }
    }
    return cache.emplace(key, loaded).first->second;
}

}  // namespace

std::shared_ptr<FontFace> AcquireFontFace(const FontSpec& request) {
    static std::map<std::tuple<std::string, int, bool, bool, bool>, std::shared_ptr<FontFace>>
        faces;
    const bool bold = request.weight >= 700;
    const LoadedFile& file = ResolveFile(request.face, bold, request.italic);
    const int ppem = PixelSizeFor(request, file.design);
    const auto key = std::make_tuple(file.ok ? file.resolved.path : std::string(), ppem,
                                     file.resolved.oblique, file.resolved.embolden, request.draft);
    auto it = faces.find(key);
    if (it != faces.end()) {
        return it->second;
    }
    std::shared_ptr<FontFace> face;
    if (file.ok) {
        if (FaceHandle handle = OpenFace(file.resolved.path)) {
            auto ft = std::make_shared<FreeTypeFace>(std::move(handle), file.resolved.path,
                                                     file.design, ppem, file.resolved.oblique,
                                                     file.resolved.embolden, request.draft);
            if (ft->SetSize()) {
                face = std::move(ft);
            }
        }
    }
    if (!face) {
        face = std::make_shared<BuiltinFace>(ppem);
    }
    faces.emplace(key, face);
    return face;
}

int GlyphAdvance(FontFace* face, char32_t cp) {
    if (cp == U'\t') {
        cp = U' ';
    } else if (cp < 0x20 || cp == 0x7F) {
        return 0;
    }
    return face->Glyph(cp).advance;
}

std::shared_ptr<Font> Font::Create(const FontSpec& request) {
    std::shared_ptr<FontFace> face = AcquireFontFace(request);
    const TextMetrics metrics = face->MetricsFor(request);
    return std::make_shared<Font>(request, std::move(face), metrics);
}

int Font::TextWidth(std::string_view utf8) const {
    int width = 0;
    for (char32_t cp : DecodeUtf8(utf8)) {
        width += GlyphAdvance(face_.get(), cp);
    }
    return width;
}

}  // namespace plat

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps a few blocks from parsing its configuration that it never frees, even
// though the configuration itself stays reachable; without this every sanitizer run that
// draws text would report them as ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
