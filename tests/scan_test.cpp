// The saved-state reader must read what the C library's fscanf reads, and go on
// from the same place after a mismatch; it is checked against fscanf itself
// wherever fscanf is defined, and by hand where it is not.
#include "platform/Scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using gyrelle::platform::ScannedInt;
using gyrelle::platform::scanText;

struct Stream {
    explicit Stream(const std::string& text)
        : data(text), file(fmemopen(data.data(), data.size(), "r")) {}
    ~Stream() { std::fclose(file); }
    std::string rest() {
        std::string r;
        for (int c; (c = std::fgetc(file)) != EOF;) {
            r.push_back(static_cast<char>(c));
        }
        return r;
    }
    std::string data;
    FILE* file;
};

TEST(Scan, RealsAndIntegersReadAsFscanfReadsThem) {
    const char* inputs[] = {
        "1.5 x",     "-2e3 y",     "1e x",
        "1e+ x",     ".5 a",       "+.e1 b",
        "- 3",       "inf z",      "-infinity w",
        "infx",      "nan(1) q",   "NAN",
        "0x1.8p1 r", "0x r",       "0x.8 r",
        "1.e2 s",    " \n\t7 t",   ".",
        "e5",        "3.",         "0x1p",
        "1e-3e4",    "00012.50 k", "",
        "+",         "-0.0",       "2.067444 2.067444",
    };
    // Both read the same, stop at the same place, and agree on what they stored.
    auto same = [](const char* text, const char* format, auto& ours, auto& theirs, auto agree) {
        Stream a(text), b(text);
        int n = scanText(a.file, format, {&ours});
        int m = std::fscanf(b.file, format, &theirs);
        EXPECT_EQ(n, m == EOF ? 0 : m) << "[" << text << "]";
        EXPECT_TRUE(n == 0 || agree()) << "[" << text << "]";
        EXPECT_EQ(a.rest(), b.rest()) << "[" << text << "]";
    };
    for (const char* text : inputs) {
        float a = -99, b = -99;
        same(text, "%f", a, b, [&] {
            return (a == b || (std::isnan(a) && std::isnan(b))) &&
                   std::signbit(a) == std::signbit(b);
        });
    }
    for (const char* text :
         {"-1 a", "256", "+x", "-", "12abc", "  -0 ", "+2147483647", "4.5", "-2147483648 z"}) {
        ScannedInt a;
        int b = -99;
        same(text, "%d", a, b,
             [&] { return a.fitsInt && a.value == b && a.low8 == static_cast<unsigned char>(b); });
    }
}

TEST(Scan, KeywordsMustComeNextAndWhiteSpaceMatchesAnyRun) {
    Stream glued("version4\ncrot  1\n2 3\t4\n");
    ScannedInt v;
    EXPECT_EQ(scanText(glued.file, "version %d\n", {&v}), 1);
    EXPECT_EQ(v.value, 4);
    float f[4];
    EXPECT_EQ(scanText(glued.file, "crot %f %f %f %f\n", {&f[0], &f[1], &f[2], &f[3]}), 4);
    EXPECT_EQ(f[3], 4.0f);

    Stream leading(" version 4\n");
    EXPECT_EQ(scanText(leading.file, "version %d\n", {&v}), 0);

    Stream wrong("drot 1 2 3 4\n");
    EXPECT_EQ(scanText(wrong.file, "crot %f %f %f %f\n", {&f[0], &f[1], &f[2], &f[3]}), 0);
    EXPECT_EQ(wrong.rest(), "drot 1 2 3 4\n");  // the mismatch is put back

    Stream shortRecord("1 2\nprem 0");
    ScannedInt a, b, c;
    EXPECT_EQ(scanText(shortRecord.file, "%d %d %d", {&a, &b, &c}), 2);
    EXPECT_EQ(shortRecord.rest(), "prem 0");
}

// The longest number read has 256 digits (an integer) or characters (a real); one more
// is refused, and consumed whole.
TEST(Scan, NumbersOfExactlyTheLongestLengthAreReadAndOneMoreIsNot) {
    // 10^255 + 7: its low 8 bits are 7, 10^255 being a multiple of 256.
    const std::string longest = "1" + std::string(254, '0') + "7";
    ASSERT_EQ(longest.size(), 256u);
    Stream s(longest + " 1" + std::string(255, '0') + "7 5");
    ScannedInt a, b, c;
    EXPECT_EQ(scanText(s.file, "%d", {&a}), 1);
    EXPECT_EQ(a.low8, 7);
    EXPECT_FALSE(a.fitsInt);
    EXPECT_EQ(scanText(s.file, " %d", {&b}), 0);
    EXPECT_EQ(scanText(s.file, " %d", {&c}), 1);
    EXPECT_EQ(c.value, 5);

    const std::string real = "0." + std::string(254, '5');  // 256 characters
    Stream r(real + " 0." + std::string(255, '5') + " 8");
    float x = -1, y = -1, z = -1;
    EXPECT_EQ(scanText(r.file, "%f", {&x}), 1);
    EXPECT_FLOAT_EQ(x, 0.5555556f);
    EXPECT_EQ(scanText(r.file, " %f", {&y}), 0);
    EXPECT_EQ(scanText(r.file, " %f", {&z}), 1);
    EXPECT_EQ(z, 8.0f);
}

// A number longer than any file holds is not read, however long: a hostile file costs
// neither memory nor time.
TEST(Scan, NumbersLongerThanAnyFileHoldsAreRefused) {
    Stream s("1" + std::string(300, '0') + " 7 0." + std::string(300, '5') + " 8");
    ScannedInt big, seven;
    EXPECT_EQ(scanText(s.file, "%d", {&big}), 0);
    EXPECT_EQ(scanText(s.file, " %d", {&seven}), 1);
    EXPECT_EQ(seven.value, 7);
    float real = -1;
    EXPECT_EQ(scanText(s.file, "%f", {&real}), 0);
    EXPECT_EQ(s.rest(), " 8");
}

}  // namespace
