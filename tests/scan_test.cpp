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
    for (const char* text : inputs) {
        Stream ours(text), theirs(text);
        float a = -99, b = -99;
        int n = scanText(ours.file, "%f", {&a});
        int m = std::fscanf(theirs.file, "%f", &b);
        EXPECT_EQ(n, m == EOF ? 0 : m) << "[" << text << "]";
        if (n == 1) {
            EXPECT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << "[" << text << "]";
            EXPECT_EQ(std::signbit(a), std::signbit(b)) << "[" << text << "]";
        }
        EXPECT_EQ(ours.rest(), theirs.rest()) << "[" << text << "]";
    }
    const char* integers[] = {"-1 a",        "256", "+x",           "-", "12abc", "  -0 ",
                              "+2147483647", "4.5", "-2147483648 z"};
    for (const char* text : integers) {
        Stream ours(text), theirs(text);
        ScannedInt a;
        int b = -99;
        int n = scanText(ours.file, "%d", {&a});
        int m = std::fscanf(theirs.file, "%d", &b);
        EXPECT_EQ(n, m == EOF ? 0 : m) << "[" << text << "]";
        if (n == 1) {
            EXPECT_TRUE(a.fitsInt);
            EXPECT_EQ(a.value, b) << "[" << text << "]";
            EXPECT_EQ(a.low8, static_cast<unsigned char>(b)) << "[" << text << "]";
        }
        EXPECT_EQ(ours.rest(), theirs.rest()) << "[" << text << "]";
    }
}

TEST(Scan, IntegersOfAnyLengthKeepTheirLowBits) {
    Stream s("2147483648 -2147483649 99999999999999999999999999999999999999999999 -1 x");
    ScannedInt a, b, c, d;
    EXPECT_EQ(scanText(s.file, "%d %d %d %d", {&a, &b, &c, &d}), 4);
    EXPECT_FALSE(a.fitsInt);
    EXPECT_EQ(a.low8, 0);  // 2^31
    EXPECT_FALSE(b.fitsInt);
    EXPECT_EQ(b.low8, 255);  // -(2^31 + 1)
    EXPECT_FALSE(c.fitsInt);
    EXPECT_EQ(c.low8, 255);  // 10^44 - 1, and 10^44 is a multiple of 256
    EXPECT_TRUE(d.fitsInt);
    EXPECT_EQ(d.value, -1);
    EXPECT_EQ(d.low8, 255);
    EXPECT_EQ(s.rest(), " x");
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

TEST(Scan, HugeNumbersAreReadWhole) {
    std::string text = "1" + std::string(100000, '0') + " 7";
    Stream s(text);
    ScannedInt big, seven;
    EXPECT_EQ(scanText(s.file, "%d %d", {&big, &seven}), 2);
    EXPECT_EQ(big.low8, 0);
    EXPECT_EQ(seven.value, 7);

    Stream r("0." + std::string(100000, '0') + "1 " + "1" + std::string(50, '0'));
    float tiny = -1, large = -1;
    EXPECT_EQ(scanText(r.file, "%f %f", {&tiny, &large}), 2);
    EXPECT_EQ(tiny, 0.0f);
    EXPECT_TRUE(std::isinf(large));
}

}  // namespace
