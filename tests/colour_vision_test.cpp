// The colour schemes' six colours stay apart for the common colour blindnesses: each
// colour simulated as a dichromat sees it (Machado, Oliveira and Fernandes 2009, severity
// 1.0, applied in linear RGB) and compared by CIEDE2000 (Sharma, Wu and Dalal 2005).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "game/Settings.h"

namespace gyrelle {
namespace {

using Matrix = double[3][3];

// Machado et al.'s matrices for complete protanopia, deuteranopia and tritanopia.
const Matrix kProtan = {{0.152286, 1.052583, -0.204868},
                        {0.114503, 0.786281, 0.099216},
                        {-0.003882, -0.048116, 1.051998}};
const Matrix kDeutan = {{0.367322, 0.860646, -0.227968},
                        {0.280085, 0.672501, 0.047413},
                        {-0.011820, 0.042940, 0.968881}};
const Matrix kTritan = {{1.255528, -0.076749, -0.178779},
                        {-0.078411, 0.930809, 0.147602},
                        {0.004733, 0.691367, 0.303900}};
const Matrix kNormal = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

struct Lab {
    double L, a, b;
};

double linear(unsigned char c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// sRGB seen through `m`, in CIELAB under D65.
Lab seen(Rgb c, const Matrix& m) {
    const double in[3] = {linear(c.r), linear(c.g), linear(c.b)};
    double rgb[3];
    for (int i = 0; i < 3; ++i) {
        rgb[i] =
            std::fmin(1.0, std::fmax(0.0, m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2]));
    }
    const double X = 0.4124564 * rgb[0] + 0.3575761 * rgb[1] + 0.1804375 * rgb[2];
    const double Y = 0.2126729 * rgb[0] + 0.7151522 * rgb[1] + 0.0721750 * rgb[2];
    const double Z = 0.0193339 * rgb[0] + 0.1191920 * rgb[1] + 0.9503041 * rgb[2];
    auto f = [](double t) {
        const double d = 6.0 / 29.0;
        return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
    };
    const double fx = f(X / 0.95047), fy = f(Y), fz = f(Z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double degrees(double radians) {
    return radians * 180.0 / M_PI;
}
double radians(double degrees) {
    return degrees * M_PI / 180.0;
}

double ciede2000(Lab p, Lab q) {
    const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b);
    const double cBar7 = std::pow((c1 + c2) / 2, 7);
    const double g = 0.5 * (1 - std::sqrt(cBar7 / (cBar7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double C1 = std::hypot(a1, p.b), C2 = std::hypot(a2, q.b);
    auto hue = [](double b, double a) {
        if (a == 0 && b == 0) {
            return 0.0;
        }
        const double h = degrees(std::atan2(b, a));
        return h < 0 ? h + 360 : h;
    };
    const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);
    const double dL = q.L - p.L, dC = C2 - C1;
    double dh = 0;
    if (C1 * C2 != 0) {
        dh = h2 - h1;
        dh = dh > 180 ? dh - 360 : dh < -180 ? dh + 360 : dh;
    }
    const double dH = 2 * std::sqrt(C1 * C2) * std::sin(radians(dh / 2));
    const double LBar = (p.L + q.L) / 2, CBar = (C1 + C2) / 2;
    double hBar = h1 + h2;
    if (C1 * C2 != 0) {
        hBar = std::fabs(h1 - h2) <= 180 ? (h1 + h2) / 2
               : h1 + h2 < 360           ? (h1 + h2 + 360) / 2
                                         : (h1 + h2 - 360) / 2;
    }
    const double T = 1 - 0.17 * std::cos(radians(hBar - 30)) + 0.24 * std::cos(radians(2 * hBar)) +
                     0.32 * std::cos(radians(3 * hBar + 6)) -
                     0.20 * std::cos(radians(4 * hBar - 63));
    const double dTheta = 30 * std::exp(-std::pow((hBar - 275) / 25, 2));
    const double CBar7 = std::pow(CBar, 7);
    const double RC = 2 * std::sqrt(CBar7 / (CBar7 + std::pow(25.0, 7)));
    const double SL =
        1 + 0.015 * (LBar - 50) * (LBar - 50) / std::sqrt(20 + (LBar - 50) * (LBar - 50));
    const double SC = 1 + 0.045 * CBar, SH = 1 + 0.015 * CBar * T;
    const double RT = -std::sin(radians(2 * dTheta)) * RC;
    const double l = dL / SL, c = dC / SC, h = dH / SH;
    return std::sqrt(l * l + c * c + h * h + RT * c * h);
}

TEST(ColourVision, TheDifferenceIsCIEDE2000AsPublished) {
    // Pairs 1, 7 and 17 of Sharma, Wu and Dalal's test data.
    EXPECT_NEAR(ciede2000({50, 2.6772, -79.7751}, {50, 0, -82.7485}), 2.0425, 1e-4);
    EXPECT_NEAR(ciede2000({50, 0, 0}, {50, -1, 2}), 2.3669, 1e-4);
    EXPECT_NEAR(ciede2000({50, 2.5, 0}, {73, 25, -18}), 27.1492, 1e-4);
}

TEST(ColourVision, TheSimulationKeepsGreysAndLosesWhatEachDeficiencyLoses) {
    for (const Matrix* m : {&kProtan, &kDeutan, &kTritan}) {
        const Lab white = seen({255, 255, 255}, *m), grey = seen({50, 50, 50}, *m);
        EXPECT_NEAR(white.L, 100, 0.01);
        EXPECT_NEAR(ciede2000(grey, seen({50, 50, 50}, kNormal)), 0, 0.01);
    }
    // A red and a green of one lightness, far apart to the eye, close to the red-blind and
    // green-blind; a blue and a green that tritanopes confuse, to them alone.
    const Rgb red{200, 90, 0}, green{110, 130, 0};
    EXPECT_GT(ciede2000(seen(red, kNormal), seen(green, kNormal)), 20);
    EXPECT_LT(ciede2000(seen(red, kDeutan), seen(green, kDeutan)), 8);
    EXPECT_LT(ciede2000(seen(red, kProtan), seen(green, kProtan)), 10);
}

// The least difference between two of a scheme's faces, or between a face and the dark
// body around the stickers, seen through `m`.
double leastDifference(const std::array<Rgb, 6>& colours, const Matrix& m, bool body) {
    double least = HUGE_VAL;
    for (int i = 0; i < 6; ++i) {
        for (int j = i + 1; j < 6; ++j) {
            least = std::fmin(least, ciede2000(seen(colours[i], m), seen(colours[j], m)));
        }
        if (body) {
            least = std::fmin(least, ciede2000(seen(colours[i], m), seen({50, 50, 50}, m)));
        }
    }
    return least;
}

// Apart by 12 at least: about five times a just noticeable difference, the difference
// between two colours named differently at a glance.
constexpr double kLeastApart = 12;

TEST(ColourVision, TheSafeSchemesAreToldApartInEveryKindOfSight) {
    const std::array<Rgb, 6> none{};
    const char* const kSights[] = {"normal", "protanopia", "deuteranopia", "tritanopia"};
    const Matrix* const kMatrices[] = {&kNormal, &kProtan, &kDeutan, &kTritan};
    for (ColourScheme scheme : {ColourScheme::HighContrast, ColourScheme::ColourBlind}) {
        for (int s = 0; s < 4; ++s) {
            const double least = leastDifference(schemeColours(scheme, none), *kMatrices[s], true);
            std::printf("%-14s %-13s %5.1f\n", schemeKey(scheme), kSights[s], least);
            EXPECT_GE(least, kLeastApart) << schemeKey(scheme) << " in " << kSights[s];
        }
    }
    // The hint's mark stands apart from every face and from the black it lies on.
    for (ColourScheme scheme :
         {ColourScheme::Classic, ColourScheme::HighContrast, ColourScheme::ColourBlind}) {
        for (int s = 0; s < 4; ++s) {
            const Lab mark = seen(hintMarkColour(scheme), *kMatrices[s]);
            double least = ciede2000(mark, seen({0, 0, 0}, *kMatrices[s]));
            for (Rgb face : schemeColours(scheme, none)) {
                least = std::fmin(least, ciede2000(mark, seen(face, *kMatrices[s])));
            }
            EXPECT_GE(least, kLeastApart)
                << "the mark of " << schemeKey(scheme) << " in " << kSights[s];
        }
    }
    // The classic colours are not: green and orange come within 5 for deuteranopes and 8
    // for protanopes, red and green within 10. This is why the other schemes exist.
    for (const Matrix* m : {&kProtan, &kDeutan}) {
        EXPECT_LT(leastDifference(schemeColours(ColourScheme::Classic, none), *m, false),
                  kLeastApart);
    }
}

// The colour-blind scheme is Okabe and Ito's palette, as they published it (Color
// Universal Design, 2008: vermillion 213,94,0; bluish green 0,158,115; reddish purple
// 204,121,167; blue 0,114,178; yellow 240,228,66), each on the face of the classic colour
// it stands for (faces 0..5: F red, U green, B orange, D blue, L white, R yellow), white
// kept. A mistyped value could stay apart from the others and pass every test above.
TEST(ColourVision, TheColourBlindSchemeIsOkabeAndItosPaletteAsPublished) {
    const std::array<Rgb, 6> want = {Rgb{213, 94, 0},  Rgb{0, 158, 115},   Rgb{204, 121, 167},
                                     Rgb{0, 114, 178}, Rgb{255, 255, 255}, Rgb{240, 228, 66}};
    const std::array<Rgb, 6> none{};
    const std::array<Rgb, 6> have = schemeColours(ColourScheme::ColourBlind, none);
    for (int face = 0; face < 6; ++face) {
        EXPECT_TRUE(have[face] == want[face]) << "face " << face;
    }
}

}  // namespace
}  // namespace gyrelle
