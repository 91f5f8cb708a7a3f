#include "elevencolumn/columns.h"

#include <stdexcept>

#include "betlines/combo_text.h"
#include "betlines/line_helpers.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "prediction/writer.h"

namespace kv::eleven {

ElevenBand elevenBandFor(std::string_view torokuTosu, std::string_view sdText) {
    //                          e  g  o  u  w12 w23
    static const ElevenBand k1to4{4, 4, 4, 4, 4, 4};
    static const ElevenBand k5{5, 5, 5, 5, 5, 5};
    // 馬単F takes its second horse from the whole UF2 line here too.
    static const ElevenBand k6{6, 5, 6, 5, 6, 6};
    static const ElevenBand k7{6, 5, 6, 5, 7, 7};
    static const ElevenBand k8Low{7, 6, 7, 6, 8, 8};
    static const ElevenBand kRestLow{7, 6, 7, 6, 9, 9};
    static const ElevenBand kHigh{6, 5, 6, 5, 8, 8};  // 8 and the rest, SD above 30

    const long long n = vbInt(val(torokuTosu));
    if (n >= 1 && n <= 4) return k1to4;
    if (n == 5) return k5;
    if (n == 6) return k6;
    if (n == 7) return k7;
    const long long sd = wholeNumber(sdText);
    if (sd > 30) return kHigh;
    return n == 8 ? k8Low : kRestLow;
}

void WriteKaimePcLines(const std::vector<std::string>& YosoJunUmaban, int horseCount, const ElevenBand& band,
                       std::string& out) {
    auto line = [&](const char* tag, int first, int last) {
        QuotedLine q;
        q.textRaw(tag);
        for (int k = first; k <= last; ++k) {
            if (k > horseCount || static_cast<std::size_t>(k) >= YosoJunUmaban.size())
                throw pred::RaceDataError<std::out_of_range>(
                    std::string(tag) + ": no horse of predicted rank " + std::to_string(k),
                    "予想順位 " + std::to_string(k) + " 位の馬が有りません（出走頭数を超える順位です）。");
            q.textRaw(ShortText().twoPlace(wholeNumber(YosoJunUmaban[static_cast<std::size_t>(k)])).view());
        }
        q.appendTo(out);
    };
    line("TF1", 1, 1);
    line("TF2", 2, 2);
    line("UF1", 1, 3);
    line("UF2", 1, band.uf2Last);
    line("UBX", 1, band.ubxLast);
    line("S11", 1, 1);
    line("S12", 2, 2);
    line("S1A", 3, band.s12Last);
    line("S21", 2, 2);
    line("S22", 3, 3);
    line("S2A", 4, band.s23Last);
    line("S31", 1, 1);
    line("S32", 3, 3);
    line("S3A", 4, band.s23Last);
    line("SBX", 1, band.sbxLast);
}

}  // namespace kv::eleven
