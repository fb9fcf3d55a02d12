// Builds small GIF files with giflib's encoder for the decoder's tests.
#pragma once

#include <gif_lib.h>

#include <string>
#include <vector>

namespace imaging::testing {

struct GifFrameLayout {
    int left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    std::vector<uint8_t> pixels;  // width x height indexes, top row first
    int transparent = -1;         // graphic control block's transparent index, -1 for none
    int delay = 0;                // graphic control block's delay (hundredths of a second)
    std::vector<GifColorType> localColours;  // a palette of the frame's own, when not empty
};

struct GifLayout {
    int screenWidth = 1, screenHeight = 1;
    int background = 0;
    std::vector<GifColorType> colours;  // a power of two entries
    GifFrameLayout frame;
    std::vector<GifFrameLayout> moreFrames;  // images after the first, in file order
};

inline int AppendGifBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    return count;
}

inline void PutGifFrame(GifFileType* gif, const GifFrameLayout& f) {
    if (f.transparent >= 0 || f.delay > 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = f.transparent >= 0 ? f.transparent : NO_TRANSPARENT_COLOR;
        control.DelayTime = f.delay;
        GifByteType ext[4];
        EGifGCBToExtension(&control, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    ColorMapObject* local =
        f.localColours.empty()
            ? nullptr
            : GifMakeMapObject(static_cast<int>(f.localColours.size()), f.localColours.data());
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
    if (local) {
        GifFreeMapObject(local);
    }
    std::vector<int> order;
    if (f.interlaced) {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = start[pass]; y < f.height; y += step[pass]) {
                order.push_back(y);
            }
        }
    } else {
        for (int y = 0; y < f.height; ++y) {
            order.push_back(y);
        }
    }
    for (int y : order) {
        std::vector<GifPixelType> line(f.pixels.begin() + y * f.width,
                                       f.pixels.begin() + (y + 1) * f.width);
        EGifPutLine(gif, line.data(), f.width);
    }
}

inline std::string BuildGif(const GifLayout& s) {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGifBytes, &error);
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(s.colours.size()), s.colours.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, s.screenWidth, s.screenHeight, 8, s.background, map);
    PutGifFrame(gif, s.frame);
    for (const GifFrameLayout& f : s.moreFrames) {
        PutGifFrame(gif, f);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

}  // namespace imaging::testing
