#include "factorview/surface_config.h"

namespace kv::factorview {

namespace {

// The explanation texts; several tabs share one.
constexpr const char* kTexts[] = {
    "数値の単位は時速(Km/hr)です。所謂定数です。時速55Kmから58Km辺りの数字を示します。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、X軸は馬番です。新潟直線1000ｍについてはトラックコードの代わりに馬番を使用しています。",
    "数値の単位は時速(Km/hr)です。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、X軸はハンデキャップ(kg)です。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。X軸は平均本賞金の対数(常用対数）です。なお、00は初出走から連続2回勝てなかった馬、03は3回、04は4回、05は5回連続で本賞金が無かった馬となります。",
    "数値の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど、能力、技量が高いと考えて下さい。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。全体としては前走のコーナー順位を表します。一桁目は3コーナー先行したか後方に控えたかを表し、2桁目は4コーナー（最終）を先行したか後方にいたかを表します。3桁目は入線順位が上位か中位か下位かを表します。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、雨が重複していますが、右端の雨は小雨を意味します。また雪なども有りますが例数が少ないため省略しました。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。X軸はレース経験数（累積レース数）です。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、X軸は馬体重と負担重量の合計に対して負担重量の占める割合(%)です。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、単位は月齢です。27は満2歳3ヶ月を意味します。43以上は3ヶ月を単位としています。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。上位2桁が実日数、下位二桁は季節です",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、連は連闘を意味します。02は中2週を、03は中3週を以下同様、27は中27週以上も含みます。スケールは天候馬場状態に合わせて有ります。また長期休養明けなども有りますが、例数が少ないため省略しました。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、ポイントは前走からの経過日数（レース間隔）で馬体重増減（Kg)を除したもので１日辺り333ｇが相当します。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、98はサンプルが一頭の為値の振れが大きくなっています。なお意味は９歳で第8子となります。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、X軸は出走頭数xブリンカーです。頭数が多くなれば全体としては速度が速くなりますが、ペース速度と上がり速度は逆になります。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。X軸は前走1着馬とのタイム差ですが、-（マイナス）の場合は2着馬とのタイム差となります。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。X軸は生まれた月です。",
    "縦軸の単位は時速(Km/hr)です。基本的な理解としては数値が大きいほど影響度が強いと考えて下さい。なお、中山ダート1200ｍが非常に特異なコースである事が分かると思います。",
};

constexpr std::array<TabConfig, 30> kTurfTabs = {{
    {"F1 開催年", "YearTurfFG", "Text11", 11775, 615, kTexts[0]},
    {"F2 場所TC距離仮柵回次", "KijunSpeedFG", "Text5", 11775, 735, kTexts[1]},
    {"F3 前走距離長短・格", "ZensoKyoriCornerTurfFG", "Text28", 11775, 615, kTexts[2]},
    {"F4 負担重量", "FutanjuryouTurfFG", "Text13", 12135, 615, kTexts[3]},
    {"F5 累計本賞金", "RuikeiHonshokinTurfFG", "Text12", 11295, 735, kTexts[4]},
    {"F6 馬競走記号", "KyosokigoTurfFG", "Text1", 11415, 855, kTexts[5]},
    {"F7 騎手複勝率", "KishuFukushoTurfFG", "Text24", 12375, 735, kTexts[6]},
    {"F8 競走馬複勝率", "KyosobaFukushorituTurfFG", "Text2", 11535, 735, kTexts[7]},
    {"F9 経験レース数", "RaceSuuTurfFG", "Text15", 11655, 615, kTexts[8]},
    {"F10 負担重量％", "FutanJuuryorituTurfFG", "Text14", 12135, 615, kTexts[9]},
    {"F11 馬体重", "BataijuuTurfFG", "Text29", 11775, 735, kTexts[10]},
    {"F12 馬齢（月齢）", "BareiTurfFG", "Text6", 11775, 735, kTexts[11]},
    {"F13 騎手アーニング", "KishuArningTurfFG", "Text30", 11895, 615, kTexts[12]},
    {"F14 移動競走間隔", "RaceKankakuTurfFG", "Text3", 11655, 735, kTexts[13]},
    {"F15 前前走オッズ", "ZenzenOzzTurfFG", "Text18", 12495, 615, kTexts[5]},
    {"F16 天候馬場状態", "TenkoBabaTurfFG", "Text19", 11655, 495, kTexts[14]},
    {"F17 調教師アーニング", "ChoArningTurfFG", "Text21", 12495, 615, kTexts[5]},
    {"F18 騎手年齢", "KishuNenreiTurfFG", "Text7", 11775, 735, kTexts[5]},
    {"F19 調教師複勝率", "TrainerTurfFG", "Text8", 11895, 615, kTexts[5]},
    {"F20 種牡馬アーニング", "FatherTurfFG", "Text9", 11655, 615, kTexts[5]},
    {"F21 レース番号", "RaceNoTurfFG", "Text10", 11535, 615, kTexts[5]},
    {"F22 前前走着差", "ZenzensoChakusaTurfFG", "Text23", 11895, 735, nullptr},
    {"F23 父馬(種牡馬・距離）", "FFatherTurfFG", "Text22", 12375, 855, kTexts[5]},
    {"F24　馬番土日", "UmabanTurfFG", "Text31", 12015, 735, kTexts[15]},
    {"F25 馬記号誕生月", "UmakigoTukiTurfFG", "Text32", 12015, 615, kTexts[10]},
    {"F26 前走タイム差", "ZensoTimediffTurfFG", "Text33", 12255, 615, kTexts[10]},
    {"F27 日次", "NichijiTurfFG", "Text4", 11655, 855, kTexts[5]},
    {"F28 出走頭数", "ShussoTosuTurfFG", "Text25", 12135, 495, kTexts[16]},
    {"F29 前走3Fラップ比", "LapTurfFG", "Text26", 12135, 615, kTexts[17]},
    {"F30 馬主アーニング", "BanusiArningTurfFG", "Text27", 11895, 615, kTexts[18]},
}};
constexpr std::array<TabConfig, 30> kDirtTabs = {{
    {"F1 開催年", "YearDirtFG", "Text11", 12135, 735, kTexts[0]},
    {"F2 場所TC距離回次", "KijunSpeedDFG", "Text5", 12015, 735, kTexts[19]},
    {"F3 前走距離長短・格", "ZensoKyoriCornerDirtFG", "Text28", 11895, 735, kTexts[2]},
    {"F4 負担重量", "FutanjuryouDirtFG", "Text13", 11775, 735, kTexts[3]},
    {"F5 累計本賞金", "RuikeiHonshokinDirtFG", "Text12", 11895, 735, kTexts[4]},
    {"F6 馬競走記号", "KyosokigoDirtFG", "Text1", 12135, 735, kTexts[5]},
    {"F7 騎手複勝率", "KishuFukushoDirtFG", "Text24", 12015, 615, kTexts[6]},
    {"F8 競走馬複勝率", "KyosobaFukushorituDirtFG", "Text2", 12135, 735, kTexts[7]},
    {"F9 経験レース数", "RaceSuuDirtFG", "Text15", 12135, 615, kTexts[8]},
    {"F10 負担重量%", "FutanjuuryorituDirtFG", "Text14", 11775, 855, kTexts[9]},
    {"F11 馬体重", "BataijuuDirtFG", "Text29", 12015, 855, kTexts[10]},
    {"F12 馬齢(月齢）", "BareiDirtFG", "Text6", 12015, 855, kTexts[11]},
    {"F13 騎手アーニング", "KishuArningDirtFG", "Text30", 11295, 855, kTexts[12]},
    {"F14 移動競走間隔", "RaceKankakuDirtFG", "Text3", 11415, 735, kTexts[13]},
    {"F15 前前走オッズ", "ZenzenOzzDirtFG", "Text18", 12375, 735, kTexts[5]},
    {"F16 天候馬場状態", "TenkoBabaDirtFG", "Text19", 11655, 495, kTexts[14]},
    {"F17　調教師アーニング", "ChoArningDirtFG", "Text21", 12135, 855, kTexts[5]},
    {"F18 騎手年齢", "KishuNenreiDirtFG", "Text7", 12135, 735, kTexts[5]},
    {"F19 調教師複勝率", "TrainerDirtFG", "Text8", 12135, 615, kTexts[5]},
    {"F20 種牡馬アーニング", "FatherArningDirtFG", "Text9", 12015, 735, kTexts[5]},
    {"F21 レース番号", "RaceNoDirtFG", "Text10", 12015, 975, kTexts[5]},
    {"F22 前前走着差", "ZenzensoChakusaDirtFG", "Text23", 11775, 735, nullptr},
    {"F23 種牡馬複勝率", "FatherFukushorituDirtFG", "Text22", 12135, 735, kTexts[5]},
    {"F24　馬番土日", "UmabanDirtFG", "Text31", 11295, 615, kTexts[15]},
    {"F25 馬記号誕生月", "UmakigoTukiDirtFG", "Text32", 11535, 735, kTexts[10]},
    {"F26 前走タイム差", "ZensoTimediffDirtFG", "Text33", 11415, 615, kTexts[10]},
    {"F27 日次", "NichijiDirtFG", "Text4", 11895, 735, kTexts[5]},
    {"F28 出走頭数", "ShussoTosuDirtFG", "Text27", 11775, 735, kTexts[16]},
    {"F29 前走3Fタイム比", "LapDirtFG", "Text26", 11655, 615, kTexts[17]},
    {"F30 馬主アーニング", "BanusiArningDirtFG", "Text25", 11535, 735, kTexts[18]},
}};
constexpr std::array<TabConfig, 30> kHurdleTabs = {{
    {"F1 開催年度", "YearHurdFG", "Text1", 11895, 615, kTexts[0]},
    {"F2 場所距離TC", "KijunSpeedHFG", "Text6", 11655, 615, kTexts[19]},
    {"F3 前走距離乖離・格", "ZensoKyoriCornerHurdFG", "Text7", 12255, 855, nullptr},
    {"F4　負担重量", "FutanjuryouHurdFG", "Text11", 11895, 615, kTexts[3]},
    {"F5 本賞金", "RuikeiHonshokinHurdFG", "Text3", 11535, 735, kTexts[4]},
    {"F6　馬競走記号", "KyosokigoHurdFG", "Text12", 11895, 495, kTexts[5]},
    {"F7　騎手複勝率", "KishuFukushoHurdFG", "Text13", 11775, 615, kTexts[6]},
    {"F8 競走馬複勝率", "KyosobaFukushorituHurdFG", "Text2", 11775, 615, kTexts[7]},
    {"F9 経験レース数", "RaceSuuHurdFG", "Text14", 11415, 615, kTexts[8]},
    {"F10 負担重量％", "FutanjuuryorituHurdFG", "Text15", 11535, 735, kTexts[9]},
    {"F11 馬体重", "BataijuuHurdFG", "Text17", 11895, 855, nullptr},
    {"F12 馬齢（月齢）", "BareiHurdFG", "Text16", 10935, 615, kTexts[11]},
    {"F13 騎手アーニング", "KishuArningHurdFG", "Text18", 11895, 495, nullptr},
    {"F14 移動競走間隔", "RaceKankakuHurdFG", "Text19", 11895, 495, kTexts[13]},
    {"F15 前前走オッズ", "ZenzenOzzHurdFG", nullptr, 0, 0, nullptr},
    {"F16 天候馬場状態", "TenkoBabaHurdFG", "Text20", 11655, 855, kTexts[14]},
    {"F17 調教師アーニング", "ChoArningHurdFG", "Text21", 11415, 855, kTexts[5]},
    {"F18 騎手年齢", "KishuNenreiHurdFG", "Text22", 12015, 375, kTexts[5]},
    {"F19 調教師複勝率", "TrainerHurdFG", "Text23", 12135, 495, kTexts[5]},
    {"F20　種牡馬アーニング", "FatherArningHurdFG", "Text10", 11655, 615, kTexts[5]},
    {"F21 レース番号", "RaceNoHurdFG", nullptr, 0, 0, nullptr},
    {"F22 前前走着差", "ZenzensoChakusaHurdFG", "Text24", 11295, 975, nullptr},
    {"F23　種牡馬複勝率", "FatherFukushorituHurdFG", "Text9", 12135, 735, kTexts[5]},
    {"F24 馬番", "UmabanHurdFG", "Text5", 11655, 495, nullptr},
    {"F25 馬記号誕生月", "UmakigoTukiHurdFG", "Text4", 11655, 615, nullptr},
    {"F26 前走タイム差", "ZensoTimediffHurdFG", "Text25", 11415, 855, nullptr},
    {"F27 回次日次", "NichijiHurdFG", nullptr, 0, 0, nullptr},
    {"F28　登録頭数", "ShussoTosuHurdFG", "Text26", 11775, 735, kTexts[16]},
    {"F29 前走Fタイム比", "LapHurdFG", "Text27", 11415, 855, kTexts[17]},
    {"F30 馬主アーニング", "BanusiArningHurdFG", "Text8", 11655, 615, kTexts[18]},
}};

constexpr std::array<const char*, 4> kFlatLegend{"上がり(ゴール前3F）影響速度", "ペース(スタートから3F地点）影響速度",
                                                 "走破(スタートからゴール）影響速度", "縦軸の単位はKm/hr(時速)"};
constexpr std::array<const char*, 4> kHurdleLegend{"走破（１F平均）影響速度", "走破（１F平均）影響速度",
                                                   "走破（１F平均）影響速度",
                                                   "単位はKm/hr(時速)、3つにしているのは計算精度チェックの為"};

const SurfaceConfig kTurf{
    kv::expansion::Surface::Turf, "FactorTURFQJ", "芝予想因子 Ver.2020.7.21  201901-202503", 13380, 12510,
    {120, 360, 14055, 11535}, 11, {360, 2160, 12255, 7455}, 360, 10080,
    "TurfBonreiFG", 1, 0, 0, {2500, 3000, 3000, 2500}, kFlatLegend, {360, 12000, 13335, 375},
    kTurfTabs, 6, 1,
    "SSTab3", {"牡馬", "牝馬", "馬齢（月齢）数値"}, 0, {360, 2040, 11775, 8295}, false,
    "MaleAgeChart", "FemaleAgeChart", 33, 27};

const SurfaceConfig kDirt{
    kv::expansion::Surface::Dirt, "FactorDIRTQJ", "ダート予想因子　Ver.2020.7.21 201901-202503", 13380, 12330,
    {240, 240, 13695, 11535}, 1, {360, 2160, 12255, 7455}, 360, 10080,
    "DirtBonreiFG", 1, 0, 0, {2500, 3000, 3000, 2500}, kFlatLegend, {240, 11880, 13815, 375},
    kDirtTabs, 7, 1,
    "SSTab3", {"牡馬", "牝馬", "馬齢（月齢）数値"}, 2, {360, 2040, 12255, 7815}, false,
    "MaleAgeChart", "FemaleAgeChart", 33, 27};

const SurfaceConfig kHurdle{
    kv::expansion::Surface::Hurdle, "FactorHURDQJ", "障害予想因子　Ver.2020.7.21 201901-202503", 13380, 12330,
    {120, 120, 13815, 11175}, 1, {360, 2280, 12255, 6615}, 360, 9240,
    "shogBonreiFG", 2, 1, 1, {2000, 2000, 2000, 6000}, kHurdleLegend, {120, 11760, 13575, 375},
    kHurdleTabs, 7, 0,
    "SSTab5", {"牡馬", "牝馬", "F12　馬齢（月齢）数値"}, 2, {360, 2280, 12255, 8295}, true,
    "MaleAgeShogChart", "FemaleAgeShogChart", 20, 40};

}  // namespace

const SurfaceConfig& turfConfig() { return kTurf; }
const SurfaceConfig& dirtConfig() { return kDirt; }
const SurfaceConfig& hurdleConfig() { return kHurdle; }

const SurfaceConfig& surfaceConfig(kv::expansion::Surface s) {
    switch (s) {
    case kv::expansion::Surface::Dirt: return kDirt;
    case kv::expansion::Surface::Hurdle: return kHurdle;
    default: return kTurf;
    }
}

}  // namespace kv::factorview
