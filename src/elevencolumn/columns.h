// The eleven columns of the second bet system (単勝1, 複勝1, 単勝2, 複勝2, 馬連F,
// 馬連B, 馬単F, 3連複B, 3連単12, 3連単23, 3連単13) as predicted ranks. One table,
// by the registered runner count and the race's SD value, gives the last rank
// of every variable leg; the ticket lines, the points and the hit check all
// read it.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kv::eleven {

struct ElevenBand {
    int uf2Last;     // 馬連F second horse R(1)..R(e), the UF2 line
    int ubxLast;     // 馬連B box R(1)..R(g), the UBX line
    int umatanLast;  // 馬単F second horse R(1)..R(o)
    int sbxLast;     // 3連複B box R(1)..R(u), the SBX line
    int s12Last;     // 3連単12 third horse R(3)..R(w), the S1A line
    int s23Last;     // 3連単23 and 3連単13 third horse R(4)..R(w), the S2A and S3A lines

    // Tickets of the seven ticket columns.
    int umarenF() const { return 3 + 3 * (uf2Last - 3); }
    int umarenB() const { return ubxLast * (ubxLast - 1) / 2; }
    int umatanF() const { return 3 * (umatanLast - 1); }
    int sanrenpukuB() const { return sbxLast * (sbxLast - 1) * (sbxLast - 2) / 6; }
    int sanrentan12() const { return 6 * (s12Last - 2); }
    int sanrentan23() const { return 6 * (s23Last - 3); }
    int sanrentan13() const { return sanrentan23(); }

    bool operator==(const ElevenBand&) const = default;
};

// The band of a race: n is the number value of the registered runner count
// (blank 0): 1-4, 5, 6 and 7 have rows of their own; 8 and every other value
// take the row of their SD value (30 or less, above 30), which is read only
// then and throws ConversionError when it is not a whole number.
ElevenBand elevenBandFor(std::string_view torokuTosu, std::string_view sdText);

// The fifteen ticket lines TF1 .. SBX, appended line by line. Each item is the
// horse of a predicted rank (YosoJunUmaban entry k) in two-place form. A line
// naming a rank beyond horseCount throws std::out_of_range; the lines before
// it stay in out.
void WriteKaimePcLines(const std::vector<std::string>& YosoJunUmaban, int horseCount, const ElevenBand& band,
                       std::string& out);

}  // namespace kv::eleven
