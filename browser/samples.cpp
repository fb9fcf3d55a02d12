// Sample pictures are painted by small scene functions: each gives the colour at a point
// (u across, v down, both 0..1, with the picture's aspect at hand so that discs stay round).
// Camera-sized pictures are painted at a reduced size and enlarged smoothly, with fine grain
// added per pixel, so that two 12-megapixel files take well under a second each.
#include "browser/samples.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/paths.h"
#include "imaging/image_buffer.h"
#include "imaging/picture_writers.h"
#include "platform/os/device_fs.h"
#include "resources/artwork.h"
#include "resources/resource_ids.h"

namespace {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb Mix(Rgb a, Rgb b, float t) {
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, float k) {
    return Rgb{a.r * k, a.g * k, a.b * k};
}
Rgb Add(Rgb a, Rgb b) {
    return Rgb{a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb Hex(uint32_t rgb) {
    return Rgb{((rgb >> 16) & 0xFF) / 255.f, ((rgb >> 8) & 0xFF) / 255.f, (rgb & 0xFF) / 255.f};
}
float Clamp01(float x) {
    return x < 0 ? 0 : (x > 1 ? 1 : x);
}
float Smooth(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
float Rand(int x, int y, uint32_t seed) {
    return (Hash(x, y, seed) & 0xFFFFFF) / 16777215.f;
}

float Noise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = Rand(ix, iy, seed), b = Rand(ix + 1, iy, seed);
    const float c = Rand(ix, iy + 1, seed), d = Rand(ix + 1, iy + 1, seed);
    return a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += Noise(x, y, seed + static_cast<uint32_t>(i) * 101u) * amp;
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

// A ridge line: 0..1 height of a mountain range at x, sharper than plain noise.
float Ridge(float x, uint32_t seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        const float n =
            1 - std::fabs(Noise(x, 0.5f, seed + static_cast<uint32_t>(i) * 57u) * 2 - 1);
        sum += n * n * amp;
        norm += amp;
        x *= 2.1f;
        amp *= 0.48f;
    }
    return sum / norm;
}

struct Scene {
    float aspect = 1;  // width / height
    uint32_t seed = 1;
    int kind = 0;
};

// --- Landscapes: sky, sun, clouds, mountain ranges, a lake with the scene mirrored in it.

struct LandscapeLook {
    Rgb skyTop, skyHorizon, sun, farMountain, nearMountain, shore, water;
    float sunX, sunY, horizon;
    bool snow;
};

LandscapeLook LookFor(int kind) {
    switch (kind) {
        case 1:  // winter peaks
            return {Hex(0x2F5C9E), Hex(0xD8E6F2), Hex(0xFFFFFF), Hex(0x8FA6C4),
                    Hex(0x3E4E66), Hex(0xE8EEF5), Hex(0x30507A), 0.78f,
                    0.16f,         0.66f,         true};
        case 2:  // evening panorama
            return {Hex(0x24305E), Hex(0xF2A65A), Hex(0xFFE2A0), Hex(0x7A5A78),
                    Hex(0x2E2A40), Hex(0x1C2A1E), Hex(0x3A3A60), 0.62f,
                    0.52f,         0.7f,          false};
        default:  // summer lake
            return {Hex(0x1E5AA8), Hex(0xBFE0F5), Hex(0xFFF6D8), Hex(0x7F93B5),
                    Hex(0x35506A), Hex(0x2F5A2A), Hex(0x1F4E78), 0.28f,
                    0.18f,         0.62f,         true};
    }
}

Rgb Sky(const Scene& s, const LandscapeLook& look, float x, float v) {
    const float t = Clamp01(v / look.horizon);
    Rgb c = Mix(look.skyTop, look.skyHorizon, std::pow(t, 1.6f));
    const float dx = x - look.sunX * s.aspect, dy = v - look.sunY;
    const float d = std::sqrt(dx * dx + dy * dy);
    c = Add(c, Scale(look.sun, 0.35f * std::exp(-d * 7)));
    if (d < 0.045f)
        c = Mix(c, look.sun, Smooth(0.045f, 0.04f, d));
    const float cloud = Smooth(0.55f, 0.8f, Fbm(x * 3, v * 9, s.seed + 7, 5));
    return Mix(c, Mix(Hex(0xFFFFFF), look.skyHorizon, t * 0.5f), cloud * 0.8f * (1 - t * 0.6f));
}

Rgb LandscapeAbove(const Scene& s, const LandscapeLook& look, float x, float v) {
    Rgb c = Sky(s, look, x, v);
    // Far range, then near range; the far one fades into the haze of the horizon.
    const float far = look.horizon - 0.06f - 0.26f * Ridge(x * 1.3f, s.seed + 11, 7);
    if (v > far) {
        const float depth = Clamp01((v - far) / 0.3f);
        Rgb m = Mix(look.farMountain, look.skyHorizon, 0.35f * (1 - depth));
        if (look.snow && v < far + 0.05f + 0.03f * Noise(x * 40, v * 40, s.seed)) {
            m = Mix(m, Hex(0xF4F8FF), 0.85f);
        }
        const float shade = 0.85f + 0.3f * (Fbm(x * 18, v * 18, s.seed + 3, 4) - 0.5f);
        c = Scale(m, shade);
    }
    const float near = look.horizon - 0.015f - 0.13f * Ridge(x * 2.4f + 5, s.seed + 23, 6);
    if (v > near) {
        const float shade = 0.8f + 0.4f * (Fbm(x * 30, v * 30, s.seed + 5, 4) - 0.5f);
        c = Scale(Mix(look.nearMountain, look.shore, Clamp01((v - near) / 0.15f)), shade);
    }
    return c;
}

Rgb Landscape(const Scene& s, float u, float v) {
    const LandscapeLook look = LookFor(s.kind);
    const float x = u * s.aspect;
    if (v < look.horizon)
        return LandscapeAbove(s, look, x, v);
    // The lake: the scene mirrored at the horizon, rippled and tinted by the water.
    const float depth = v - look.horizon;
    const float ripple =
        (Noise(x * 60, depth * 400, s.seed + 31) - 0.5f) * 0.012f * (0.3f + depth * 4);
    const float mirrored = look.horizon - depth * 1.1f;
    Rgb c = LandscapeAbove(s, look, x + ripple, std::max(mirrored, 0.0f));
    c = Mix(c, look.water, 0.35f + depth * 0.9f);
    // Glints on the water under the sun.
    const float glint = Smooth(0.82f, 0.95f, Noise(x * 90, depth * 600, s.seed + 41));
    const float underSun = std::exp(-std::fabs(x - look.sunX * s.aspect) * 6);
    return Add(c, Scale(look.sun, glint * underSun * 0.5f));
}

// --- Sunset over the sea, with the sun's path on the water and a sandy beach.

Rgb Sunset(const Scene& s, float u, float v) {
    const float x = u * s.aspect;
    const float horizon = 0.58f;
    const float sunX = 0.5f * s.aspect, sunY = 0.5f;
    if (v < horizon) {
        const float t = v / horizon;
        Rgb c = t < 0.5f ? Mix(Hex(0x2B1E4F), Hex(0xB4466A), t * 2)
                         : Mix(Hex(0xB4466A), Hex(0xFFB25A), (t - 0.5f) * 2);
        const float d = std::hypot(x - sunX, (v - sunY) * 1.0f);
        c = Add(c, Scale(Hex(0xFFD27A), 0.5f * std::exp(-d * 5)));
        if (d < 0.07f)
            c = Mix(c, Hex(0xFFF0C0), Smooth(0.07f, 0.062f, d));
        const float band = Fbm(x * 2, v * 22, s.seed + 3, 5);
        c = Mix(c, Hex(0x5A2A4A), Smooth(0.55f, 0.75f, band) * 0.7f * t);
        return c;
    }
    const float shoreLine = 0.82f + 0.03f * std::sin(x * 7 + 1) + 0.02f * Noise(x * 9, 0, s.seed);
    if (v > shoreLine) {
        const float grain = Rand(static_cast<int>(x * 900), static_cast<int>(v * 900), s.seed);
        return Scale(Mix(Hex(0xD9A36A), Hex(0x8A5A3A), Clamp01((v - shoreLine) * 3)),
                     0.9f + 0.12f * grain);
    }
    const float depth = (v - horizon) / (shoreLine - horizon);
    Rgb c = Mix(Hex(0x6A3A5E), Hex(0x2A1E3A), depth);
    const float path = std::exp(-std::fabs(x - sunX) * (9 - depth * 5));
    const float wave = Smooth(0.5f, 0.9f, Noise(x * 30 / (0.2f + depth), v * 240, s.seed + 9));
    c = Add(c, Scale(Hex(0xFFC870), path * (0.3f + 0.9f * wave)));
    const float foam = Smooth(0.012f, 0.0f, std::fabs(v - shoreLine + 0.015f));
    return Mix(c, Hex(0xF6E6D6), foam * 0.8f);
}

// --- A city at night: stars, moon, lit windows, and their reflection in the river.

Rgb CityAbove(const Scene& s, float x, float v, float water) {
    Rgb c = Mix(Hex(0x050A24), Hex(0x3A2A5E), std::pow(Clamp01(v / water), 2.2f));
    const int sx = static_cast<int>(x * 700), sy = static_cast<int>(v * 700);
    if (Rand(sx, sy, s.seed) > 0.997f)
        c = Add(c, Scale(Hex(0xFFFFFF), 0.6f));
    const float md = std::hypot(x - 0.8f * s.aspect, v - 0.18f);
    if (md < 0.05f)
        c = Mix(c, Hex(0xF2F0D8), Smooth(0.05f, 0.045f, md));
    c = Add(c, Scale(Hex(0x6A6AA0), 0.25f * std::exp(-md * 12)));
    // Buildings: columns of random width and height.
    const float col = x * 14;
    const int b = static_cast<int>(std::floor(col));
    const float top = water - 0.12f - 0.45f * Rand(b, 0, s.seed + 5) * Rand(b, 1, s.seed + 5);
    if (v > top) {
        const float fx = col - b;
        Rgb wall = Scale(Hex(0x141828), 0.7f + 0.6f * Rand(b, 2, s.seed));
        const int wx = static_cast<int>(fx * 6), wy = static_cast<int>((v - top) * 90);
        const float inx = fx * 6 - wx, iny = (v - top) * 90 - wy;
        if (fx > 0.08f && fx < 0.92f && inx > 0.25f && iny > 0.3f &&
            Rand(b * 16 + wx, wy, s.seed + 9) > 0.45f) {
            const float warm = Rand(b, wy, s.seed + 13);
            wall = Mix(Hex(0xFFD27A), Hex(0xBFE4FF), warm > 0.8f ? 1.0f : 0.0f);
        }
        c = wall;
    }
    return c;
}

Rgb City(const Scene& s, float u, float v) {
    const float x = u * s.aspect, water = 0.74f;
    if (v < water)
        return CityAbove(s, x, v, water);
    const float depth = v - water;
    const float ripple = (Noise(x * 3, depth * 300, s.seed + 17) - 0.5f) * 0.03f;
    Rgb c = CityAbove(s, x + ripple, water - depth * 1.3f, water);
    return Mix(Scale(c, 0.8f), Hex(0x050818), Clamp01(0.25f + depth * 2));
}

// --- Northern lights over snowy hills.

Rgb Aurora(const Scene& s, float u, float v) {
    const float x = u * s.aspect;
    Rgb c = Mix(Hex(0x02060F), Hex(0x0B2434), Clamp01(v * 1.3f));
    const int sx = static_cast<int>(x * 600), sy = static_cast<int>(v * 600);
    const float star = Rand(sx, sy, s.seed);
    if (star > 0.996f)
        c = Add(c, Scale(Hex(0xFFFFFF), (star - 0.996f) * 200));
    for (int band = 0; band < 2; ++band) {
        const uint32_t bs = s.seed + 100u * static_cast<uint32_t>(band);
        const float curve = 0.32f + band * 0.14f + 0.12f * std::sin(x * (2.2f + band) + band) +
                            0.08f * (Fbm(x * 1.5f, 0, bs, 3) - 0.5f);
        const float below = v - curve;
        const float curtain = below > 0 ? std::exp(-below * 9) : std::exp(below * 60);
        const float rays = 0.5f + 0.5f * Fbm(x * 40, v * 2, bs + 3, 3);
        const float k = curtain * rays * (band == 0 ? 0.9f : 0.6f);
        c = Add(c, Scale(Mix(Hex(0x3CFF9A), Hex(0xB45AFF), Clamp01(-below * 6)), k));
    }
    const float hill = 0.78f - 0.1f * Fbm(x * 2, 0, s.seed + 7, 5);
    if (v > hill) {
        const float shade = 0.75f + 0.25f * Fbm(x * 25, v * 25, s.seed + 8, 3);
        c = Scale(Mix(Hex(0x9CB8CC), Hex(0x4A6274), Clamp01((v - hill) * 4)), shade);
    }
    return c;
}

// --- A flower mandala: rings of petals around a golden heart.

Rgb Mandala(const Scene& s, float u, float v) {
    const float x = (u - 0.5f) * s.aspect, y = v - 0.5f;
    const float r = std::sqrt(x * x + y * y) * 2.2f;
    const float a = std::atan2(y, x);
    Rgb c = Mix(Hex(0x1B2A4A), Hex(0x060A16), Clamp01(r * 0.8f));
    const struct {
        float radius;
        int petals;
        uint32_t inner, outer;
    } rings[] = {{1.0f, 12, 0xE04A7A, 0x7A1A4A},
                 {0.78f, 10, 0xFF8A3C, 0xC03A20},
                 {0.56f, 8, 0xFFD24A, 0xE07A1A},
                 {0.36f, 16, 0x8AD0FF, 0x3A6ACF}};
    for (const auto& ring : rings) {
        const float edge =
            ring.radius * (0.78f + 0.22f * std::fabs(std::cos(a * ring.petals * 0.5f)));
        if (r < edge) {
            const float t = r / edge;
            c = Mix(Hex(ring.inner), Hex(ring.outer), t * t);
            c = Scale(c, 0.8f + 0.2f * std::cos(a * ring.petals * 2));
        }
    }
    if (r < 0.16f) {
        const float dots = 0.5f + 0.5f * std::sin(r * 120) * std::sin(a * 14);
        c = Mix(Hex(0xFFE08A), Hex(0xB8701A), dots * 0.6f + r * 2);
    }
    return c;
}

// --- A colour chart: 24 patches, a hue bar and a grey ramp.

Rgb Chart(const Scene&, float u, float v) {
    static const uint32_t patches[24] = {
        0x735244, 0xC29682, 0x627A9D, 0x576C43, 0x8580B1, 0x67BDAA, 0xD67E2C, 0x505BA6,
        0xC15A63, 0x5E3C6C, 0x9DBC40, 0xE0A32E, 0x383D96, 0x469449, 0xAF363C, 0xE7C71F,
        0xBB5695, 0x0885A1, 0xF3F3F2, 0xC8C8C8, 0xA0A0A0, 0x7A7A79, 0x555555, 0x343434};
    if (v < 0.68f) {
        const float gx = u * 6, gy = v / 0.68f * 4;
        const int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
        const float fx = gx - ix, fy = gy - iy;
        if (fx < 0.08f || fx > 0.92f || fy < 0.08f || fy > 0.92f)
            return Hex(0x202020);
        return Hex(patches[std::min(iy, 3) * 6 + std::min(ix, 5)]);
    }
    if (v < 0.84f) {
        const float h = u * 6;
        const int i = static_cast<int>(h) % 6;
        const float f = h - std::floor(h);
        const Rgb hues[7] = {Hex(0xFF0000), Hex(0xFFFF00), Hex(0x00FF00), Hex(0x00FFFF),
                             Hex(0x0000FF), Hex(0xFF00FF), Hex(0xFF0000)};
        return Mix(hues[i], hues[i + 1], f);
    }
    const float g = std::floor(u * 16) / 15;
    return Rgb{g, g, g};
}

// --- Desert dunes under a pale sky.

Rgb Dunes(const Scene& s, float u, float v) {
    const float x = u * s.aspect;
    Rgb c = Mix(Hex(0x5E9ED6), Hex(0xF2E2C4), Clamp01(v / 0.45f));
    for (int layer = 0; layer < 3; ++layer) {
        const float base = 0.42f + layer * 0.17f;
        const float crest = base + 0.06f * std::sin(x * (3 + layer * 2) + layer * 1.7f) +
                            0.04f * (Fbm(x * 2, layer, s.seed + layer, 4) - 0.5f);
        if (v > crest) {
            // The lee side of a crest is in shade; ripples run across the lit side.
            const float slope = std::cos(x * (3 + layer * 2) + layer * 1.7f);
            const Rgb lit = Mix(Hex(0xF0B060), Hex(0xD08840), layer * 0.4f);
            const Rgb shade = Mix(Hex(0xA0582E), Hex(0x7A3E22), layer * 0.4f);
            c = slope > 0 ? lit : shade;
            const float ripples = 0.93f + 0.07f * std::sin((v - crest) * 400 + x * 30);
            c = Scale(c, ripples);
        }
    }
    return c;
}

// --- A lighthouse on a rock at dusk (a tall picture).

Rgb Lighthouse(const Scene& s, float u, float v) {
    const float x = u * s.aspect;
    const float horizon = 0.7f;
    Rgb c = Mix(Hex(0x1A2450), Hex(0xE88A5A), std::pow(Clamp01(v / horizon), 1.5f));
    const float cloud = Smooth(0.55f, 0.8f, Fbm(x * 3, v * 10, s.seed, 5));
    c = Mix(c, Hex(0x3A2A4A), cloud * 0.6f);
    // The beam from the lamp, sweeping to the left.
    const float lampX = 0.55f * s.aspect, lampY = 0.3f;
    const float angle = std::atan2(v - lampY, lampX - x);
    if (x < lampX)
        c = Add(c, Scale(Hex(0xFFF2B0), 0.5f * std::exp(-std::fabs(angle - 0.1f) * 18)));
    if (v > horizon) {
        const float depth = v - horizon;
        c = Mix(Hex(0x5A4060), Hex(0x101830), Clamp01(depth * 3));
        c = Add(
            c, Scale(Hex(0xE88A5A), 0.3f * Smooth(0.6f, 0.9f, Noise(x * 20, v * 200, s.seed + 4))));
    }
    const float rock = 0.74f - 0.08f * std::exp(-std::pow((x - lampX) * 5, 2)) -
                       0.03f * Fbm(x * 8, 0, s.seed + 5, 4);
    if (v > rock && std::fabs(x - lampX) < 0.35f)
        c = Scale(Hex(0x2A2230), 0.8f + 0.4f * Noise(x * 40, v * 40, s.seed));
    const float halfWidth = 0.035f + (v - 0.3f) * 0.06f;
    if (v > 0.33f && v < rock + 0.01f && std::fabs(x - lampX) < halfWidth) {
        const bool red = static_cast<int>((v - 0.33f) * 22) % 2 == 0;
        const float side = 0.7f + 0.3f * (1 - (x - lampX + halfWidth) / (2 * halfWidth));
        c = Scale(red ? Hex(0xC8303A) : Hex(0xF0EEE8), side);
    }
    if (v > 0.27f && v <= 0.33f && std::fabs(x - lampX) < 0.045f)
        c = Hex(0xFFF6C8);
    if (v > 0.25f && v <= 0.27f && std::fabs(x - lampX) < 0.05f)
        c = Hex(0x202028);
    return c;
}

// --- A tropical island.

Rgb Island(const Scene& s, float u, float v) {
    const float x = u * s.aspect;
    const float horizon = 0.5f;
    if (v < horizon) {
        Rgb c = Mix(Hex(0x3A8AE0), Hex(0xCDEBFA), v / horizon);
        const float cloud = Smooth(0.5f, 0.8f, Fbm(x * 4, v * 8, s.seed, 5));
        c = Mix(c, Hex(0xFFFFFF), cloud * 0.9f);
        const float hill = horizon - 0.22f * std::exp(-std::pow((x - 0.45f * s.aspect) * 3, 2)) *
                                         (0.8f + 0.4f * Fbm(x * 6, 0, s.seed + 2, 4));
        if (v > hill)
            c = Scale(Hex(0x2E7A3A), 0.75f + 0.4f * Fbm(x * 40, v * 40, s.seed + 3, 3));
        return c;
    }
    const float depth = v - horizon;
    const float beach = horizon + 0.035f * std::exp(-std::pow((x - 0.45f * s.aspect) * 2.2f, 2));
    if (v < beach)
        return Hex(0xF2DDA8);
    Rgb c = Mix(Hex(0x19A7B8), Hex(0x0A4E86), Clamp01(depth * 2.5f));
    const float sparkle = Smooth(0.75f, 0.95f, Noise(x * 50, depth * 500, s.seed + 5));
    return Add(c, Scale(Hex(0xFFFFFF), sparkle * 0.35f));
}

Rgb Shade(const Scene& s, float u, float v) {
    switch (s.kind) {
        case 0:
        case 1:
        case 2:
            return Landscape(s, u, v);
        case 3:
            return Sunset(s, u, v);
        case 4:
            return City(s, u, v);
        case 5:
            return Aurora(s, u, v);
        case 6:
            return Mandala(s, u, v);
        case 7:
            return Chart(s, u, v);
        case 8:
            return Dunes(s, u, v);
        case 9:
            return Lighthouse(s, u, v);
        default:
            return Island(s, u, v);
    }
}

uint8_t Byte(float x) {
    return static_cast<uint8_t>(Clamp01(x) * 255.f + 0.5f);
}

bool MakePicture(imaging::ImageBuffer* image, int width, int height) {
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, width, height, 24, 72, 72);
    return image->Create(header) == 1;
}

// Paints the scene into a new picture of the given size, pixel by pixel.
bool Paint(const Scene& scene, int width, int height, imaging::ImageBuffer* image) {
    if (!MakePicture(image, width, height))
        return false;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->RowPtr(y);
        const float v = (y + 0.5f) / height;
        for (int x = 0; x < width; ++x) {
            const Rgb c = Shade(scene, (x + 0.5f) / width, v);
            row[x * 3] = Byte(c.b);
            row[x * 3 + 1] = Byte(c.g);
            row[x * 3 + 2] = Byte(c.r);
        }
    }
    return true;
}

// A camera-sized picture: the scene painted at 1/4 of the size, enlarged by bilinear
// interpolation in fixed point, with film grain so that the enlarged picture has detail of
// its own at 100%.
bool PaintLarge(const Scene& scene, int width, int height, imaging::ImageBuffer* image) {
    imaging::ImageBuffer small;
    const int sw = width / 4, sh = height / 4;
    if (!Paint(scene, sw, sh, &small) || !MakePicture(image, width, height))
        return false;
    std::vector<int> x0(static_cast<size_t>(width)), wx(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const int fx = std::max(((2 * x + 1) * sw * 128) / width - 128, 0);  // 1/256 units
        x0[static_cast<size_t>(x)] = std::min(fx >> 8, sw - 2);
        wx[static_cast<size_t>(x)] = std::min(fx - (x0[static_cast<size_t>(x)] << 8), 256);
    }
    for (int y = 0; y < height; ++y) {
        const int fy = std::max(((2 * y + 1) * sh * 128) / height - 128, 0);
        const int y0 = std::min(fy >> 8, sh - 2);
        const int wy = std::min(fy - (y0 << 8), 256);
        const uint8_t* a = small.RowPtr(y0);
        const uint8_t* b = small.RowPtr(y0 + 1);
        uint8_t* out = image->RowPtr(y);
        for (int x = 0; x < width; ++x) {
            const int i = x0[static_cast<size_t>(x)] * 3, w = wx[static_cast<size_t>(x)];
            const int grain = static_cast<int>(Hash(x, y, scene.seed) & 7) - 3;
            for (int ch = 0; ch < 3; ++ch) {
                const int top = a[i + ch] * (256 - w) + a[i + 3 + ch] * w;
                const int bottom = b[i + ch] * (256 - w) + b[i + 3 + ch] * w;
                const int value = ((top * (256 - wy) + bottom * wy) >> 16) + grain;
                out[x * 3 + ch] = static_cast<uint8_t>(std::clamp(value, 0, 255));
            }
        }
    }
    return true;
}

// The 8-bit formats keep 6 x 7 x 6 levels: an ordered dither turns the bands that smooth skies
// would show into an even fine pattern.
void DitherForPalette(imaging::ImageBuffer* image) {
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const float steps[3] = {255.f / 5, 255.f / 6, 255.f / 5};  // blue, green, red
    for (int y = 0; y < image->Height(); ++y) {
        uint8_t* row = image->RowPtr(y);
        for (int x = 0; x < image->Width(); ++x) {
            const float t = (bayer[y & 3][x & 3] + 0.5f) / 16.f - 0.5f;
            for (int c = 0; c < 3; ++c) {
                const float v = row[x * 3 + c] + t * steps[c];
                row[x * 3 + c] = static_cast<uint8_t>(std::clamp(v + 0.5f, 0.f, 255.f));
            }
        }
    }
}

enum class Format { kJpeg, kBmp24, kBmp8, kGif };

struct Sample {
    const char* name;
    int kind;
    uint32_t seed;
    int width, height;
    Format format;
    bool camera;
};

bool WriteSample(const std::string& folder, const Sample& sample) {
    const Scene scene{static_cast<float>(sample.width) / sample.height, sample.seed, sample.kind};
    imaging::ImageBuffer image;
    const bool painted = sample.camera ? PaintLarge(scene, sample.width, sample.height, &image)
                                       : Paint(scene, sample.width, sample.height, &image);
    if (!painted)
        return false;
    const std::string path = JoinPath(folder, sample.name);
    switch (sample.format) {
        case Format::kJpeg: {
            imaging::JpegWriteOptions options;
            options.quality = sample.camera ? 85 : 90;
            return imaging::WriteJpegFile(path, image, options) == 1;
        }
        case Format::kBmp24:
            return imaging::WriteBmp24(path, image) == 1;
        case Format::kBmp8:
            DitherForPalette(&image);
            return imaging::WriteBmp8(path, image) == 1;
        case Format::kGif:
            DitherForPalette(&image);
            return imaging::WriteGif(path, image) == 1;
    }
    return false;
}

const Sample kSamples[] = {
    {"IMG_0001.jpg", 0, 11, 4000, 3000, Format::kJpeg, true},
    {"IMG_0002.jpg", 3, 12, 4000, 3000, Format::kJpeg, true},
    {"Aurora.jpg", 5, 13, 640, 480, Format::kJpeg, false},
    {"City at Night.jpg", 4, 14, 800, 600, Format::kJpeg, false},
    {"Lighthouse.jpg", 9, 15, 480, 800, Format::kJpeg, false},
    {"Panorama.jpg", 2, 16, 1200, 400, Format::kJpeg, false},
    {"Sunset.jpg", 3, 17, 352, 440, Format::kJpeg, false},
    {"Mandala.gif", 6, 18, 240, 240, Format::kGif, false},
    {"Colour Chart.bmp", 7, 19, 360, 240, Format::kBmp24, false},
    {"Dunes.bmp", 8, 20, 400, 300, Format::kBmp8, false},
};

const Sample kTravel[] = {
    {"Island.jpg", 10, 21, 640, 480, Format::kJpeg, false},
    {"Lake.bmp", 0, 22, 320, 240, Format::kBmp24, false},
    {"Winter Peaks.gif", 1, 23, 320, 240, Format::kGif, false},
};

// A short two-note chime as a 16-bit mono WAVE file, for when the program's own is missing.
std::string ToneWave() {
    const int rate = 8000, samples = rate;
    std::string data;
    for (int i = 0; i < samples; ++i) {
        const float t = static_cast<float>(i) / rate;
        const float f = t < 0.5f ? 660.f : 880.f;
        const float env = std::exp(-(t < 0.5f ? t : t - 0.5f) * 6);
        const auto s = static_cast<int16_t>(std::sin(6.2831853f * f * t) * env * 9000);
        data.push_back(static_cast<char>(s & 0xFF));
        data.push_back(static_cast<char>((s >> 8) & 0xFF));
    }
    auto u32 = [](std::string* out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [](std::string* out, uint16_t v) {
        out->push_back(static_cast<char>(v & 0xFF));
        out->push_back(static_cast<char>(v >> 8));
    };
    std::string wav = "RIFF";
    u32(&wav, static_cast<uint32_t>(36 + data.size()));
    wav += "WAVEfmt ";
    u32(&wav, 16);
    u16(&wav, 1);
    u16(&wav, 1);
    u32(&wav, rate);
    u32(&wav, rate * 2);
    u16(&wav, 2);
    u16(&wav, 16);
    wav += "data";
    u32(&wav, static_cast<uint32_t>(data.size()));
    return wav + data;
}

}  // namespace

bool WriteSamplePictures(const std::string& samplesFolder) {
    const std::string travel = JoinPath(samplesFolder, "Travel");
    if (!plat::DeviceFs::CreateFolders(travel))
        return false;
    bool ok = true;
    for (const Sample& sample : kSamples)
        ok = WriteSample(samplesFolder, sample) && ok;
    for (const Sample& sample : kTravel)
        ok = WriteSample(travel, sample) && ok;
    std::string wave = res::LoadWaveResource(kWaveNotify);
    if (wave.empty())
        wave = ToneWave();
    ok = plat::DeviceFs::WriteAtomic(VoiceNoteName(JoinPath(samplesFolder, "Sunset.jpg")), wave) &&
         ok;
    return ok;
}

bool InstallProgramFolder() {
    std::string program;
    ProgramFolder(&program);
    bool ok = true;
    const std::string samples = JoinPath(program, "Samples");
    if (!plat::DeviceFs::IsFolder(samples)) {
        // Filled beside its place and renamed into it when complete, so a start killed at
        // any moment leaves either no Samples folder (the next start installs again) or a
        // whole one, never a partial one that would stay for good.
        const std::string partial = samples + ".xxx";
        if (plat::DeviceFs::Present(partial))
            plat::DeviceFs::RemoveTree(partial);
        ok = WriteSamplePictures(partial) && plat::DeviceFs::Rename(partial, samples);
        if (!ok)
            plat::DeviceFs::RemoveTree(partial);
    }
    const std::string help = JoinPath(JoinPath(program, "Help"), "index.htm");
    if (!plat::DeviceFs::Exists(help))
        ok = WriteHelpPage(help) && ok;
    return ok;
}
