#include "imaging/scaling.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

// One interpolation gap: `steps` - 1 in-between values from `from` towards `to`, each
// from + (to - from) x k / steps truncated towards zero. The quotient and remainder are taken
// once per gap, so each step is an addition and at most one carry.
struct Ramp {
    int value;
    int quotient;
    int remainder;
    int acc = 0;
    int steps;

    Ramp(int from, int to, int stepCount)
        : value(from),
          quotient((to - from) / stepCount),
          remainder((to - from) % stepCount),
          steps(stepCount) {}

    int Next() {
        value += quotient;
        acc += remainder;
        if (acc >= steps) {
            ++value;
            acc -= steps;
        } else if (acc <= -steps) {
            --value;
            acc += steps;
        }
        return value;
    }
};

void Enlarge(const uint8_t* src, uint8_t* dst, int w1, int w2) {
    const uint8_t* cur = src;
    int out = 0;
    int err = 0;
    auto put = [&](const uint8_t* p) {
        std::memcpy(dst + 3 * out, p, 3);
        ++out;
    };
    for (int i = 1; i < w1; ++i) {
        if (out == w2) {
            break;
        }
        put(cur);
        const uint8_t* nxt = src + 3 * i;
        int e = (w2 - w1) + err;
        int n = 0;
        while (e >= w1 - 1) {
            e -= w1 - 1;
            ++n;
        }
        if (n > 0) {
            Ramp b(cur[0], nxt[0], n + 1), g(cur[1], nxt[1], n + 1), r(cur[2], nxt[2], n + 1);
            for (int k = 0; k < n && out < w2; ++k) {
                uint8_t* o = dst + 3 * out;
                o[0] = static_cast<uint8_t>(b.Next());
                o[1] = static_cast<uint8_t>(g.Next());
                o[2] = static_cast<uint8_t>(r.Next());
                ++out;
            }
        }
        cur = nxt;
        err = e;
    }
    while (out < w2) {
        put(cur);
    }
}

void Reduce(const uint8_t* src, uint8_t* dst, int w1, int w2) {
    int err = 0;
    int out = 0;
    unsigned sums[3] = {0, 0, 0};
    unsigned count = 0;
    for (int i = 0; i < w1 && out < w2; ++i) {
        const uint8_t* p = src + 3 * i;
        err += w2;
        ++count;
        if (err < w1) {
            sums[0] += p[0];
            sums[1] += p[1];
            sums[2] += p[2];
            continue;
        }
        err -= w1;
        uint8_t* o = dst + 3 * out;
        for (int c = 0; c < 3; ++c) {
            o[c] = static_cast<uint8_t>((sums[c] + p[c]) / count);
            sums[c] = 0;
        }
        count = 0;
        ++out;
    }
}

// Adds `delta`-stepped values into a whole line: line[i] moves from cur[i] towards nxt[i].
struct LineRamp {
    std::vector<int> value, quotient, remainder, acc;
    int steps = 1;

    void Start(const uint8_t* cur, const uint8_t* nxt, size_t bytes, int stepCount) {
        value.resize(bytes);
        quotient.resize(bytes);
        remainder.resize(bytes);
        acc.assign(bytes, 0);
        steps = stepCount;
        for (size_t i = 0; i < bytes; ++i) {
            const int d = nxt[i] - cur[i];
            value[i] = cur[i];
            quotient[i] = d / steps;
            remainder[i] = d % steps;
        }
    }
    void Next(uint8_t* line) {
        for (size_t i = 0; i < value.size(); ++i) {
            value[i] += quotient[i];
            acc[i] += remainder[i];
            if (acc[i] >= steps) {
                ++value[i];
                acc[i] -= steps;
            } else if (acc[i] <= -steps) {
                --value[i];
                acc[i] += steps;
            }
            line[i] = static_cast<uint8_t>(value[i]);
        }
    }
};

}  // namespace

void ScaleRowPlain(const uint8_t* src, uint8_t* dst, int sourceWidth, int targetWidth) {
    if (sourceWidth <= 0 || targetWidth <= 0) {
        return;
    }
    if (sourceWidth == targetWidth) {
        std::memcpy(dst, src, static_cast<size_t>(sourceWidth) * 3);
    } else if (sourceWidth < targetWidth) {
        Enlarge(src, dst, sourceWidth, targetWidth);
    } else {
        Reduce(src, dst, sourceWidth, targetWidth);
    }
}

void Resampler::SetBackground(uint8_t blue, uint8_t green, uint8_t red) {
    backgroundBlue_ = blue;
    backgroundGreen_ = green;
    backgroundRed_ = red;
}

void Resampler::SetupRow(int w1, int w2, int /*depth*/) {
    sourceWidth_ = w1;
    targetWidth_ = w2;
    rowBytes_ = static_cast<uint32_t>(std::max(w1, 0)) * 3;
}

void Resampler::ScaleRow(const uint8_t* src, uint8_t* dst) const {
    ScaleRowPlain(src, dst, sourceWidth_, targetWidth_);
}

int Resampler::Resample(int width, int height, int x0, int y0, bool fullRows) {
    if (!source_ || !destination_ || source_->Empty() || destination_->Empty() ||
        source_->BitsPerPixel() != 24 || destination_->BitsPerPixel() != 24 || x0 < 0 || y0 < 0 ||
        width < 0 || height < 0) {
        return 0;
    }
    const ImageBuffer& src = *source_;
    ImageBuffer& dst = *destination_;
    const int heightArgument = height;
    const int w = width == 0 ? dst.Width() : width;
    const int h = height == 0 ? dst.Height() : height;
    const int dstWidth = dst.Width();
    const int dstHeight = dst.Height();

    // Working lines cover the destination row and the scaled pixels wherever they land; only
    // the part inside the destination is ever written to it.
    const size_t lineBytes =
        std::max<size_t>(dst.Stride(), 3 * (static_cast<size_t>(x0) + static_cast<size_t>(w)));
    std::vector<uint8_t> current(lineBytes, 0), next(lineBytes, 0), background(lineBytes, 0);
    if (x0 > 0 || heightArgument < dstHeight) {
        const uint32_t colour = static_cast<uint32_t>(backgroundRed_) |
                                (static_cast<uint32_t>(backgroundGreen_) << 8) |
                                (static_cast<uint32_t>(backgroundBlue_) << 16);
        const int pixels = static_cast<int>(lineBytes / 3);
        FillPixels(current.data(), colour, pixels);
        FillPixels(next.data(), colour, pixels);
        FillPixels(background.data(), colour, pixels);
    }
    SetupRow(src.Width(), w, 24);
    const size_t place = 3 * static_cast<size_t>(x0);
    const int visibleLast = std::min(x0 + w, dstWidth) - 1;

    int r = y0;
    const int end = y0 + h;
    auto writeLine = [&](const uint8_t* line) {
        if (r < dstHeight) {
            if (fullRows) {
                dst.SetRow(r, line);
            } else if (x0 <= visibleLast) {
                dst.SetPixels(x0, visibleLast, r, line + place, false, false, 0, 0, 0);
            }
        }
        ++r;
    };
    if (fullRows) {
        for (int y = 0; y < std::min(y0, dstHeight); ++y) {
            dst.SetRow(y, background.data());
        }
    }

    const int sh = src.Height();
    if (sh < h) {
        ScaleRow(src.RowPtr(0), current.data() + place);
        int e = 0;
        int pending = 0;
        LineRamp ramp;
        for (int j = 1; j < sh && r < end; ++j) {
            writeLine(current.data());
            e += h - sh;
            ScaleRow(src.RowPtr(j), next.data() + place);
            if (e >= sh - 1) {
                while (e >= sh - 1) {
                    e -= sh - 1;
                    ++pending;
                }
                ramp.Start(current.data(), next.data(), lineBytes, pending + 1);
                do {
                    ramp.Next(current.data());
                    writeLine(current.data());
                    --pending;
                } while (pending >= 1 && r < end);
            }
            current.swap(next);
        }
        while (r < end) {
            writeLine(current.data());
        }
    } else {
        std::vector<uint32_t> sums(lineBytes, 0);
        uint32_t count = 0;
        int e = 0;
        for (int j = 0; j < sh && r < end; ++j) {
            e += h;
            ScaleRow(src.RowPtr(j), current.data() + place);
            if (e < sh) {
                for (size_t i = 0; i < lineBytes; ++i) {
                    sums[i] += current[i];
                }
                ++count;
                continue;
            }
            e -= sh;
            for (size_t i = 0; i < lineBytes; ++i) {
                current[i] = static_cast<uint8_t>((sums[i] + current[i]) / (count + 1));
                sums[i] = 0;
            }
            count = 0;
            writeLine(current.data());
        }
    }

    if (fullRows) {
        for (int y = std::max(end, 0); y < dstHeight; ++y) {
            dst.SetRow(y, background.data());
        }
    }
    return 1;
}

}  // namespace imaging
