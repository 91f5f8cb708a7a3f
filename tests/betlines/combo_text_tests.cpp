#include <gtest/gtest.h>

#include "betlines/combo_text.h"

using namespace kv;

TEST(ComboText, TableOfFieldsAndTexts) {
    using F = std::string (*)(std::string_view);
    struct C { F f; const char* in; const char* out; } cases[] = {
        {FormatUmaban, "07", " 7"},          {FormatUmaban, "  ", ""},
        {FormatUmaban, "12", "12"},          {FormatUmaban, "00", " 0"},
        {FormatWakurenKumi, "36", "3-6"},    {FormatWakurenKumi, "18", "1-8"},
        {FormatWakurenKumi, "  ", ""},       {FormatUmarenKumi, "0312", " 3-12"},
        {FormatUmarenKumi, "    ", ""},      {FormatUmarenKumi, "0000", " 0- 0"},
        {FormatUmarenKumi, "1018", "10-18"}, {FormatUmarenKumi, "0101", " 1- 1"},
        {FormatUmatanKumi, "1203", "12→ 3"}, {FormatSanrenpukuKumi, "010203", " 1- 2- 3"},
        {FormatSanrenpukuKumi, "000000", " 0- 0- 0"}, {FormatSanrenpukuKumi, "180102", "18- 1- 2"},
        {FormatSanrentanKumi, "051203", " 5→12→ 3"},  {FormatSanrentanKumi, "180102", "18→ 1→ 2"},
        {FormatHaito, "000012340", "12340"}, {FormatHaito, "000000000", "0"},
        {FormatHaito, "         ", ""},     {FormatUmaban, " 7", " 7"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.f(c.in), c.out) << c.in;
}

TEST(ComboText, PartsWithoutANumberFailTheCaller) {
    using F = std::string (*)(std::string_view);
    for (F f : {FormatUmaban, FormatWakurenKumi, FormatUmarenKumi, FormatUmatanKumi, FormatSanrenpukuKumi,
                FormatSanrentanKumi, FormatHaito})
        EXPECT_THROW(f(""), ConversionError);
    EXPECT_THROW(FormatUmarenKumi("03  "), ConversionError);  // blank in one part only
    EXPECT_THROW(FormatUmaban(" "), ConversionError);         // a shorter run of blanks
    EXPECT_THROW(FormatHaito("00001234x"), ConversionError);
}
