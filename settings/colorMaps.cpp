// Colour-map presets, CIEDE2000 and the simulated colour vision of
// render/colorMaps.h.
#include "settings/colorMaps.h"

#include <algorithm>
#include <cmath>
#include <iterator>


namespace kelvra {
namespace {

// Twenty samples of each published map, at i / 19 of its range (entry
// round(i * 255 / 19) of a 256-entry table), bottom to top.
// - viridis, magma: Smith and van der Walt, the colour maps of matplotlib 2.0
//   (2015, CC0), the 256-entry tables as published with it;
// - cividis: Nunez, Anderton and Renslow, "Optimizing colormaps with
//   consideration for color vision deficiency to enable accurate
//   interpretation of scientific data", PLOS ONE 13(7), 2018, its
//   256-entry table;
// - diverging: Moreland, "Diverging Color Maps for Scientific
//   Visualization", ISVC 2009, the cool-to-warm map from (59, 76, 192) to
//   (180, 4, 38) through (221, 221, 221), interpolated in his Msh space
//   (the 256-entry table matplotlib publishes as "coolwarm"); readable with
//   deuteranopia and protanopia, which keep blue apart from red.
// - グレー: lightness L* evenly from 10 to 95 (CIE 1976), so that a grey
//   print keeps the bands apart as evenly as grey allows.
#include "settings/colorMapTables.inc"

ColorMap programDefault() {
    ColorMap m{"default", "標準", {}};
    const GraphSettings defaults;
    for (int i = 0; i < 20; ++i) m.colors[i] = defaults.legendColors[i + 1];
    return m;
}

// sRGB of a grey of lightness L*.
double greyOfLightness(double l) {
    const double y = l > 8.0 ? std::pow((l + 16.0) / 116.0, 3.0) : l / 903.3;
    return y <= 0.0031308 ? 12.92 * y : 1.055 * std::pow(y, 1.0 / 2.4) - 0.055;
}

ColorMap greyMap() {
    ColorMap m{"grey", "グレー", {}};
    for (int i = 0; i < 20; ++i) {
        const double g = greyOfLightness(10.0 + 85.0 * i / 19.0);
        m.colors[i] = {g, g, g};
    }
    return m;
}

const ColorMap kMaps[] = {
    programDefault(), kViridis, kCividis, kMagma, greyMap(), kDiverging,
};

double linear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double encoded(double c) {
    c = std::clamp(c, 0.0, 1.0);
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

constexpr double kPi = 3.14159265358979323846;
double degrees(double radians) { return radians * 180.0 / kPi; }
double radians(double degrees) { return degrees * kPi / 180.0; }

// Machado et al. 2009, table of severity 1.0, rows for R, G, B (linear RGB).
constexpr double kDeuteranopia[3][3] = {
    {0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}};
constexpr double kProtanopia[3][3] = {
    {0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}};

}  // namespace

std::span<const ColorMap> colorMaps() { return kMaps; }

const ColorMap* colorMapNamed(std::string_view name) {
    for (const ColorMap& m : kMaps) {
        const std::string_view own = m.name;
        if (own.size() == name.size() &&
            std::equal(own.begin(), own.end(), name.begin(), [](char a, char b) { return a == (b | 0x20); }))
            return &m;
    }
    return nullptr;
}

std::string colorMapNames() {
    std::string names;
    for (const ColorMap& m : kMaps) names += (names.empty() ? "" : ", ") + std::string(m.name);
    return names;
}

void applyColorMap(const ColorMap& map, GraphSettings& s) {
    for (int i = 0; i < 20; ++i) s.legendColors[i + 1] = map.colors[i];
    s.legendColors[0] = s.legendColors[1];
}

int colorMapOf(const GraphSettings& s) {
    for (std::size_t m = 0; m < std::size(kMaps); ++m) {
        bool same = true;
        for (int i = 0; i < 20 && same; ++i) {
            const Rgb &a = s.legendColors[i + 1], &b = kMaps[m].colors[i];
            same = std::abs(a.r - b.r) < 0.0006 && std::abs(a.g - b.g) < 0.0006 && std::abs(a.b - b.b) < 0.0006;
        }
        if (same) return int(m);
    }
    return -1;
}

Lab labOfSrgb(const Rgb& c) {
    const double r = linear(c.r), g = linear(c.g), b = linear(c.b);
    // sRGB to XYZ (IEC 61966-2-1), relative to the D65 white.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const auto f = [](double t) { return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0; };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

// Sharma, Wu and Dalal 2005, equations 1 to 22, with kL = kC = kH = 1.
double ciede2000(const Lab& p, const Lab& q) {
    const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b);
    const double cMean7 = std::pow((c1 + c2) / 2.0, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * p.a, a2 = (1.0 + g) * q.a;
    const double cp1 = std::hypot(a1, p.b), cp2 = std::hypot(a2, q.b);
    const auto hue = [](double b, double a) {
        if (a == 0.0 && b == 0.0) return 0.0;
        const double h = degrees(std::atan2(b, a));
        return h < 0.0 ? h + 360.0 : h;
    };
    const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);
    const double dL = q.l - p.l, dC = cp2 - cp1;
    double dh = 0.0;
    if (cp1 * cp2 != 0.0) {
        dh = h2 - h1;
        if (dh > 180.0) dh -= 360.0;
        else if (dh < -180.0) dh += 360.0;
    }
    const double dH = 2.0 * std::sqrt(cp1 * cp2) * std::sin(radians(dh / 2.0));
    const double lMean = (p.l + q.l) / 2.0, cpMean = (cp1 + cp2) / 2.0;
    double hMean = h1 + h2;
    if (cp1 * cp2 != 0.0) {
        if (std::abs(h1 - h2) <= 180.0) hMean /= 2.0;
        else hMean = h1 + h2 < 360.0 ? (h1 + h2 + 360.0) / 2.0 : (h1 + h2 - 360.0) / 2.0;
    }
    const double t = 1.0 - 0.17 * std::cos(radians(hMean - 30.0)) + 0.24 * std::cos(radians(2.0 * hMean)) +
                     0.32 * std::cos(radians(3.0 * hMean + 6.0)) - 0.20 * std::cos(radians(4.0 * hMean - 63.0));
    const double dTheta = 30.0 * std::exp(-std::pow((hMean - 275.0) / 25.0, 2.0));
    const double cpMean7 = std::pow(cpMean, 7.0);
    const double rc = 2.0 * std::sqrt(cpMean7 / (cpMean7 + std::pow(25.0, 7.0)));
    const double l50 = (lMean - 50.0) * (lMean - 50.0);
    const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sc = 1.0 + 0.045 * cpMean;
    const double sh = 1.0 + 0.015 * cpMean * t;
    const double rt = -std::sin(radians(2.0 * dTheta)) * rc;
    const double x = dL / sl, y = dC / sc, zz = dH / sh;
    return std::sqrt(x * x + y * y + zz * zz + rt * y * zz);
}

Rgb simulateVision(const Rgb& c, Vision v) {
    if (v == Vision::Normal) return c;
    const double(&m)[3][3] = v == Vision::Deuteranopia ? kDeuteranopia : kProtanopia;
    const double in[3] = {linear(c.r), linear(c.g), linear(c.b)};
    double out[3];
    for (int i = 0; i < 3; ++i) out[i] = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
    return {encoded(out[0]), encoded(out[1]), encoded(out[2])};
}

}  // namespace kelvra
