#include "display/kakoso.h"

#include <cctype>
#include <vector>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "display/race_display.h"
#include "display/texts.h"

namespace kv::display {

const char* const kKakosoCaption = "全過去走詳細  Ver.2024.6.29Z";
const char* const kKakosoCommand1Caption =
    "別の競走馬の全過去走を表示させたい場合、一旦終了（ここをクリック）させて下さい。";

namespace {

constexpr std::size_t kExLength = 2603;

// A piece of a cell: a member of the record (len > 0) or a literal text.
struct Part {
    std::size_t off = 0, len = 0;
    const char* lit = nullptr;
};
Part f(std::size_t off, std::size_t len) { return Part{off, len, nullptr}; }
Part lit(const char* s) { return Part{0, 0, s}; }

enum class Kind { Joined, Racecourse, Weekday, Laps, Floored };

struct RowSpec {
    std::string label;
    Kind kind = Kind::Joined;
    std::vector<Part> parts;  // Joined; Racecourse: the code then the rest; Weekday: the code; Floored: the value
};

const char* const kFactorLabel[31] = {
    "",
    " 年度", " 開催場所距離", " 前走走行情報", " 負担重量", " 本賞金", " 馬競走記号", " 騎手の複勝率",
    " 競走馬の複勝率", " 経験レース数", " 性別馬体重斤量％", " 馬体重", " 月齢", " 騎手アーニング", " 競走間隔",
    " 推定支持率（前前走）", " 天候馬場状態", " 調教師アーニング", " 騎手年齢見習い", " 調教師の複勝率",
    " 種牡馬アーニング", " 第何R", " タイム着差（前前走）", " 種牡馬距離複勝率", " 馬番", " 生れ月",
    " 前走タイム差", " 日次", " 登録数", " 前後ラップ比", " 馬主アーニング"};

const int kFactorWidths[30] = {9, 11, 9, 4, 5, 6, 5, 4, 3, 3, 4, 3, 6, 6, 6,
                               4, 4, 6, 5, 10, 10, 5, 10, 6, 4, 4, 8, 6, 6, 4};

std::vector<RowSpec> buildRows() {
    std::vector<RowSpec> rows(1);  // row 0 is the caption row
    auto add = [&rows](std::string label, std::vector<Part> parts, Kind kind = Kind::Joined) {
        rows.push_back(RowSpec{std::move(label), kind, std::move(parts)});
    };
    add("レコードスペック", {f(0, 2)});
    add("データ区分", {f(2, 1)});
    add("作成年月日", {f(3, 4), f(7, 2), f(9, 2)});
    add("レース年月日", {f(11, 4), f(15, 4)});
    add("レース開催場所回日R", {f(19, 2), f(21, 2), f(23, 2), f(25, 2)}, Kind::Racecourse);
    add("枠馬番血統番号", {f(27, 1), f(28, 2), f(30, 10)});
    add("馬名", {f(788, 36)});
    add("生年月日", {f(206, 4), f(210, 2), f(212, 2)});
    add("馬招待地区", {f(214, 20)});
    add("生産者コード", {f(234, 8)});
    add("生産地", {f(314, 20)});
    add("父馬繁殖番号", {f(334, 10)});
    add("父馬生年", {f(380, 4)});
    add("父馬生産地", {f(384, 20)});
    add("母馬繁殖番号", {f(404, 10)});
    add("母馬生年", {f(414, 4)});
    add("母馬生産地", {f(418, 20)});
    add("母父馬繁殖番号", {f(508, 10)});
    add("母父馬生年", {f(554, 4)});
    add("母父馬生産地", {f(558, 20)});
    add("馬記号", {f(825, 2)});
    add("馬性別", {f(827, 1)});
    add("馬品種", {f(828, 1)});
    add("馬毛色", {f(829, 2)});
    add("東西所属", {f(831, 1)});
    add("調教師コード", {f(832, 5)});
    add("馬主コード", {f(845, 6)});
    add("服色表示", {f(915, 60)});
    add("負担重量", {f(975, 3)});
    add("変更前負担重量", {f(978, 3)});
    add("ブリンカー使用区分", {f(981, 1)});
    add("曜日", {f(42, 1)}, Kind::Weekday);
    add("騎手コード", {f(983, 5)});
    add("騎手略称", {f(1023, 8)});
    add("騎手生年月日", {f(988, 4), f(992, 2), f(994, 2)});
    add("騎手性別", {f(996, 1)});
    add("騎乗資格区分", {f(1017, 1)});
    add("騎手招待地区", {f(997, 20)});
    add("変更前騎手コード", {f(1018, 5)});
    add("変更前騎手略称", {f(1031, 8)});
    add("見習い区分", {f(1039, 1)});
    add("変更前見習い区分", {f(1040, 1)});
    add("馬体重", {f(1041, 3)});
    add("前走増減符号", {f(1044, 1)});
    add("前走増減差", {f(1045, 3)});
    add("異常区分", {f(1048, 1)});
    add("入線順位　1着との秒差", {f(1049, 2), lit(" "), f(1110, 4)});
    add("確定順位", {f(1051, 2)});
    add("同着区分", {f(1053, 1)});
    add("同着頭数", {f(1054, 1)});
    add("走破タイム", {f(1055, 4)});
    add("着差コード", {f(1059, 3)});
    add("着差コード+", {f(1062, 3)});
    add("着差コード++", {f(1065, 3)});
    add("第1コーナー順位", {f(1068, 2)});
    add("第2コーナー順位", {f(1070, 2)});
    add("第3コーナー順位", {f(1072, 2)});
    add("第4コーナー順位", {f(1074, 2)});
    add("単勝オッズ", {f(1076, 4)});
    add("単勝人気", {f(1080, 2)});
    add("本賞金", {f(1082, 8)});
    add("付加賞金", {f(1090, 8)});
    add("予備", {f(1098, 3)});
    add("予備", {f(1101, 3)});
    add("後半4Fタイム", {f(1104, 3)});
    add("後半3Fタイム", {f(1107, 3)});
    add("レースグレイド", {f(1114, 1)});
    add("変更前レースグレイド", {f(1115, 1)});
    add("競走条件種別", {f(1116, 2)});
    add("競走条件記号", {f(1118, 3)});
    add("競走重量種別", {f(1121, 1)});
    add("競走2歳条件", {f(1122, 3)});
    add("競走3歳条件", {f(1125, 3)});
    add("競走4歳条件", {f(1128, 3)});
    add("競走5歳以上条件", {f(1131, 3)});
    add("競走最若年条件", {f(1134, 3)});
    add("距離(m)", {f(1137, 4)});
    add("変更前距離(m)", {f(1141, 4)});
    add("トラックコード", {f(1145, 2)});
    add("変更前トラックコード", {f(1147, 2)});
    add("コース区分", {f(1149, 2)});
    add("変更前コース区分", {f(1151, 2)});
    const char* honsyo[7] = {"本賞金1着", "本賞金2着", "本賞金3着", "本賞金4着", "本賞金5着", "同着本賞金5着",
                             "同着本賞金5着"};
    for (std::size_t k = 0; k < 7; ++k) add(honsyo[k], {f(1153 + 8 * k, 8)});
    const char* fuka[5] = {"付加賞金1着", "付加賞金2着", "付加賞金3着", "同着付加賞金3着", "同着付加賞金3着"};
    for (std::size_t k = 0; k < 5; ++k) add(fuka[k], {f(1209 + 8 * k, 8)});
    for (std::size_t k = 0; k < 5; ++k) add("同着変更前" + std::to_string(k + 1) + "着本賞金", {f(1249 + 8 * k, 8)});
    for (std::size_t k = 0; k < 3; ++k) add("同着変更前" + std::to_string(k + 1) + "着付加賞金", {f(1289 + 8 * k, 8)});
    add("発走時刻", {f(1313, 4)});
    add("変更前発走時刻", {f(1317, 4)});
    add("登録頭数", {f(1321, 2)});
    add("出走頭数", {f(1323, 2)});
    add("入線頭数", {f(1325, 2)});
    add("天候コード", {f(1327, 1)});
    add("芝馬場状態", {f(1328, 1)});
    add("ダート馬場状態", {f(1329, 1)});
    add("ハロン毎先頭馬タイム",
        {f(1330, 3), lit("-"), f(1333, 3), lit("-"), f(1336, 3), lit("-"), f(1339, 3), lit("-")}, Kind::Laps);
    add("障害マイルタイム", {f(1405, 4)});
    add("前半4Fラップタイム計", {f(1412, 3)});
    add("前半3Fラップタイム計", {f(1409, 3)});
    add("後半4Fラップタイム計", {f(1418, 3)});
    add("後半3Fラップタイム計", {f(1415, 3)});
    for (std::size_t g = 0; g < 4; ++g)
        add("コ周回各馬通過順位" + std::to_string(g), {f(1421 + 72 * g, 1), f(1422 + 72 * g, 1), f(1423 + 72 * g, 70)});
    add("累計本賞金対数", {f(40, 2)});
    const char* speedTexts[11] = {"上がり時速",     "ペース時速",     "走破時速",       "予想上がり時速",
                                  "予想ペース時速", "予想走破時速",   "騎手サンプル数", "生産者サンプル数",
                                  "調教師サンプル数", "父父馬サンプル数", "母父馬サンプル数"};
    for (std::size_t k = 0; k < 11; ++k) add(speedTexts[k], {f(1709 + 7 * k, 7)});
    add("生産者名", {f(242, 72)});
    add("調教師名", {f(837, 8)});
    add("父馬名", {f(344, 36)});
    add("母父馬名", {f(518, 36)});
    add("市場コード", {f(53, 6)});
    add("市場主催者", {f(59, 40)});
    add("市場名", {f(99, 80)});
    add("取引馬齢開終", {f(195, 1), lit(" "), f(179, 8), f(187, 8)});
    add("市場取引価格", {f(196, 10)});
    const char* speedValues[13] = {"上がり時速（単）",         "ペース時速（単）",
                                   "走破時速（単）",           "予想上がり時速（単）",
                                   "予想ペース時速（単）",     "予想走破時速（単）",
                                   "合成予想走破時速（単）",   "実測走破時速-合成走破（単）",
                                   "予想走破時速-合成走破（単）", "実測上がり-予想上がり（単）",
                                   "実測ペース-予想ペース（単）", "実測走破-予想走破（単）",
                                   "100*(sps-spa)/(spp-spa)"};
    for (std::size_t k = 0; k < 20; ++k) add(k < 13 ? speedValues[k] : "", {f(2521 + 4 * k, 4)}, Kind::Floored);
    std::size_t off = 1849;
    for (int i = 1; i <= 30; ++i) {
        const auto w = static_cast<std::size_t>(kFactorWidths[i - 1]);
        add("F" + std::to_string(i) + kFactorLabel[i], {f(off, w)});
        off += w;
    }
    for (std::size_t i = 1; i <= 30; ++i) add("FC" + std::to_string(i) + kFactorLabel[i], {f(2025 + 4 * i, 4)});
    struct Weights {
        const char* prefix;
        std::size_t base;
    };
    for (const Weights& wt : {Weights{"AgariFW", 2149}, Weights{"PaceFW", 2273}, Weights{"SohaFW", 2397}})
        for (std::size_t i = 1; i <= 30; ++i)
            add(wt.prefix + std::to_string(i) + kFactorLabel[i], {f(wt.base + 4 * i, 4)}, Kind::Floored);
    return rows;
}

const std::vector<RowSpec>& rowSpecs() {
    static const std::vector<RowSpec> rows = buildRows();
    return rows;
}

// A text that names an expanded run file: ten digits and "EX.dat".
bool namesExFile(const std::string& name) {
    if (name.size() != 16 || name.compare(10, 6, "EX.dat") != 0) return false;
    for (int i = 0; i < 10; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[static_cast<std::size_t>(i)]))) return false;
    return true;
}

}  // namespace

std::string kakosoRowLabel(int row) {
    const auto& rows = rowSpecs();
    return row >= 1 && static_cast<std::size_t>(row) < rows.size() ? rows[static_cast<std::size_t>(row)].label
                                                                    : std::string();
}

std::string kakosoCell(const kv::CodeTable& codes, const std::string& rec, int row) {
    const auto& rows = rowSpecs();
    if (row < 1 || static_cast<std::size_t>(row) >= rows.size()) return std::string();
    const RowSpec& spec = rows[static_cast<std::size_t>(row)];
    auto text = [&rec](const Part& p) { return p.lit ? std::string(p.lit) : fromCp932(getField(rec, p.off, p.len)); };
    switch (spec.kind) {
        case Kind::Floored: return floorDecimals(getSingle(rec, spec.parts[0].off), 4);
        case Kind::Weekday: return codes.lookupText("2002", text(spec.parts[0]), 4);
        case Kind::Racecourse: {
            std::string s = codes.lookupText("2001", text(spec.parts[0]), 4);
            for (std::size_t i = 1; i < spec.parts.size(); ++i) s += text(spec.parts[i]);
            return s;
        }
        case Kind::Joined:
        case Kind::Laps: {
            std::string s;
            for (const Part& p : spec.parts) s += text(p);
            return s;
        }
    }
    return std::string();
}

void Kakoso::Form_Load() {
    CodeTable = kv::CodeTable{};
    CodeTable.load(appFile(files::CODE_TABLE));
    const std::string name = lastChars(SelectedHorseText, 16);
    if (name.empty()) return;

    // Only a file name of the folder is opened, read-only.
    std::string bytes;
    fileName.clear();
    if (namesExFile(name)) {
        fileName = name;
        bytes = readFileBytes(appFile(std::string(dirs::UMAGOTOEX) + "/" + name)).value_or(std::string());
    }
    const std::size_t nearest = (bytes.size() + kExLength / 2) / kExLength;
    ExRecCount = static_cast<std::int16_t>(nearest > 32767 ? 32767 : nearest);
    const int count = ExRecCount;

    EXFG1.setCols(count + 1);
    for (int n = count; n >= 1; --n) {
        // A record the file holds only in part reads its missing bytes as zero.
        const std::size_t at = static_cast<std::size_t>(n - 1) * kExLength;
        std::string rec = at < bytes.size() ? bytes.substr(at, kExLength) : std::string();
        rec.resize(kExLength, '\0');
        const int c = count - n + 1;
        EXFG1.setText(0, c, "前 " + std::to_string(c - 1) + "走");
        for (int r = 1; r < kRows; ++r) EXFG1.setText(r, c, kakosoCell(CodeTable, rec, r));
    }
    EXFG1.setColWidth(0, 2000);
    for (int c = 1; c <= count; ++c) {
        EXFG1.setColWidth(c, 1500);
        EXFG1.setColAlignment(c, controls::CellAlign::LeftTop);
    }
    for (int r = 1; r < kRows; ++r) EXFG1.setText(r, 0, kakosoRowLabel(r));
}

void Kakoso::Command1_Click() {
    // The callback may delete this window: nothing is touched afterwards.
    auto unload = unload_;
    if (unload) unload();
}

Kakoso& KakosoHost::show() {
    if (!w_) {
        w_ = std::make_unique<Kakoso>([this] { close(); });
        w_->Form_Load();
    }
    return *w_;
}

}  // namespace kv::display
