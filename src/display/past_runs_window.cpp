#include "display/past_runs_window.h"

#include <cctype>
#include <vector>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/exrecord.h"
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

namespace ex = kv::exrec;

// A piece of a cell: a member of the record (len > 0) or a literal text.
struct Part {
    Field field{0, 0};
    const char* lit = nullptr;
};
Part f(Field member) { return Part{member, nullptr}; }
// Entry k (from 0) of an array member whose entries are `width` bytes wide.
Part entry(Field array, std::size_t width, std::size_t k) { return Part{Field{array.off + width * k, width}, nullptr}; }
// `len` bytes of a member from byte `from` of it.
Part slice(Field member, std::size_t from, std::size_t len) { return Part{Field{member.off + from, len}, nullptr}; }
// Entry k (from 0) of a Single array starting at byte `base`.
Part single(std::size_t base) { return Part{Field{base, 4}, nullptr}; }
Part lit(const char* s) { return Part{Field{0, 0}, s}; }

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

// Each corner group of CornerInfo: the corner (1), laps (1), the order of passing (70).
constexpr std::size_t kCornerGroup = 72;

// The rows of the table under construction (row 0 is the caption row).
struct RowTable {
    std::vector<RowSpec> rows = std::vector<RowSpec>(1);
    void add(std::string label, std::vector<Part> parts, Kind kind = Kind::Joined) {
        rows.push_back(RowSpec{std::move(label), kind, std::move(parts)});
    }
};

// The record, the horse, its pedigree and connections.
void addHorseRows(RowTable& t) {
    t.add("レコードスペック", {f(ex::RecordSpec)});
    t.add("データ区分", {f(ex::DataKubun)});
    t.add("作成年月日", {f(ex::MakeYear), f(ex::MakeMonth), f(ex::MakeDay)});
    t.add("レース年月日", {f(ex::Year), f(ex::MonthDay)});
    t.add("レース開催場所回日R", {f(ex::JyoCD), f(ex::Kaiji), f(ex::Nichiji), f(ex::RaceNum)}, Kind::Racecourse);
    t.add("枠馬番血統番号", {f(ex::Wakuban), f(ex::Umaban), f(ex::KettoNum)});
    t.add("馬名", {f(ex::Bamei)});
    t.add("生年月日", {f(ex::BirthYear), f(ex::BirthMonth), f(ex::BirthDay)});
    t.add("馬招待地区", {f(ex::Syotai)});
    t.add("生産者コード", {f(ex::BreederCode)});
    t.add("生産地", {f(ex::SanchiName)});
    t.add("父馬繁殖番号", {f(ex::SireHansyokuNum)});
    t.add("父馬生年", {f(ex::SireBirthYear)});
    t.add("父馬生産地", {f(ex::SireSanchiName)});
    t.add("母馬繁殖番号", {f(ex::DamHansyokuNum)});
    t.add("母馬生年", {f(ex::DamBirthYear)});
    t.add("母馬生産地", {f(ex::DamSanchiName)});
    t.add("母父馬繁殖番号", {f(ex::DamSireHansyokuNum)});
    t.add("母父馬生年", {f(ex::DamSireBirthYear)});
    t.add("母父馬生産地", {f(ex::DamSireSanchiName)});
    t.add("馬記号", {f(ex::UmaKigoCD)});
    t.add("馬性別", {f(ex::SexCD)});
    t.add("馬品種", {f(ex::HinsyuCD)});
    t.add("馬毛色", {f(ex::KeiroCD)});
    t.add("東西所属", {f(ex::TozaiCD)});
    t.add("調教師コード", {f(ex::ChokyosiCode)});
    t.add("馬主コード", {f(ex::BanusiCode)});
    t.add("服色表示", {f(ex::Fukusyoku)});
}

// The run: weights, jockey, finish, times, odds and prizes.
void addRunRows(RowTable& t) {
    t.add("負担重量", {f(ex::Futan)});
    t.add("変更前負担重量", {f(ex::FutanBefore)});
    t.add("ブリンカー使用区分", {f(ex::Blinker)});
    t.add("曜日", {f(ex::YoubiCD)}, Kind::Weekday);
    t.add("騎手コード", {f(ex::KisyuCode)});
    t.add("騎手略称", {f(ex::KisyuRyakusyo)});
    t.add("騎手生年月日", {slice(ex::KisyuBirthDate, 0, 4), slice(ex::KisyuBirthDate, 4, 2), slice(ex::KisyuBirthDate, 6, 2)});
    t.add("騎手性別", {f(ex::KisyuSexCD)});
    t.add("騎乗資格区分", {f(ex::SikakuCD)});
    t.add("騎手招待地区", {f(ex::KisyuSyotai)});
    t.add("変更前騎手コード", {f(ex::KisyuCodeBefore)});
    t.add("変更前騎手略称", {f(ex::KisyuRyakusyoBefore)});
    t.add("見習い区分", {f(ex::MinaraiCD)});
    t.add("変更前見習い区分", {f(ex::MinaraiCDBefore)});
    t.add("馬体重", {f(ex::BaTaijyu)});
    t.add("前走増減符号", {f(ex::ZogenFugo)});
    t.add("前走増減差", {f(ex::ZogenSa)});
    t.add("異常区分", {f(ex::IJyoCD)});
    t.add("入線順位　1着との秒差", {f(ex::NyusenJyuni), lit(" "), f(ex::TimeDiff)});
    t.add("確定順位", {f(ex::KakuteiJyuni)});
    t.add("同着区分", {f(ex::DochakuKubun)});
    t.add("同着頭数", {f(ex::DochakuTosu)});
    t.add("走破タイム", {f(ex::Time)});
    t.add("着差コード", {f(ex::ChakusaCD)});
    t.add("着差コード+", {f(ex::ChakusaCDP)});
    t.add("着差コード++", {f(ex::ChakusaCDPP)});
    t.add("第1コーナー順位", {f(ex::Jyuni1c)});
    t.add("第2コーナー順位", {f(ex::Jyuni2c)});
    t.add("第3コーナー順位", {f(ex::Jyuni3c)});
    t.add("第4コーナー順位", {f(ex::Jyuni4c)});
    t.add("単勝オッズ", {f(ex::Odds)});
    t.add("単勝人気", {f(ex::Ninki)});
    t.add("本賞金", {f(ex::Honsyokin)});
    t.add("付加賞金", {f(ex::Fukasyokin)});
    t.add("予備", {f(ex::Reserved4)});
    t.add("予備", {f(ex::Reserved5)});
    t.add("後半4Fタイム", {f(ex::HaronTimeL4)});
    t.add("後半3Fタイム", {f(ex::HaronTimeL3)});
}

// The race: grade, conditions, prizes, post time, going, laps and corners.
void addRaceRows(RowTable& t) {
    t.add("レースグレイド", {f(ex::GradeCD)});
    t.add("変更前レースグレイド", {f(ex::GradeCDBefore)});
    t.add("競走条件種別", {f(ex::SyubetuCD)});
    t.add("競走条件記号", {f(ex::KigoCD)});
    t.add("競走重量種別", {f(ex::JyuryoCD)});
    const char* jyoken[5] = {"競走2歳条件", "競走3歳条件", "競走4歳条件", "競走5歳以上条件", "競走最若年条件"};
    for (std::size_t k = 0; k < 5; ++k) t.add(jyoken[k], {entry(ex::JyokenCD, 3, k)});
    t.add("距離(m)", {f(ex::Kyori)});
    t.add("変更前距離(m)", {f(ex::KyoriBefore)});
    t.add("トラックコード", {f(ex::TrackCD)});
    t.add("変更前トラックコード", {f(ex::TrackCDBefore)});
    t.add("コース区分", {f(ex::CourseKubunCD)});
    t.add("変更前コース区分", {f(ex::CourseKubunCDBefore)});
    const char* honsyo[7] = {"本賞金1着", "本賞金2着", "本賞金3着", "本賞金4着", "本賞金5着", "同着本賞金5着",
                             "同着本賞金5着"};
    for (std::size_t k = 0; k < 7; ++k) t.add(honsyo[k], {entry(ex::RaceHonsyokin, 8, k)});
    // The captions below follow the order prize, added prize, prize before the change, added prize before
    // the change; the record keeps the prizes before the change second.
    const char* fuka[5] = {"付加賞金1着", "付加賞金2着", "付加賞金3着", "同着付加賞金3着", "同着付加賞金3着"};
    for (std::size_t k = 0; k < 5; ++k) t.add(fuka[k], {entry(ex::RaceHonsyokinBefore, 8, k)});
    for (std::size_t k = 0; k < 5; ++k)
        t.add("同着変更前" + std::to_string(k + 1) + "着本賞金", {entry(ex::RaceFukasyokin, 8, k)});
    for (std::size_t k = 0; k < 3; ++k)
        t.add("同着変更前" + std::to_string(k + 1) + "着付加賞金", {entry(ex::RaceFukasyokinBefore, 8, k)});
    t.add("発走時刻", {f(ex::HassoTime)});
    t.add("変更前発走時刻", {f(ex::HassoTimeBefore)});
    t.add("登録頭数", {f(ex::TorokuTosu)});
    t.add("出走頭数", {f(ex::SyussoTosu)});
    t.add("入線頭数", {f(ex::NyusenTosu)});
    t.add("天候コード", {f(ex::TenkoCD)});
    t.add("芝馬場状態", {f(ex::SibaBabaCD)});
    t.add("ダート馬場状態", {f(ex::DirtBabaCD)});
    t.add("ハロン毎先頭馬タイム",
        {entry(ex::LapTime, 3, 0), lit("-"), entry(ex::LapTime, 3, 1), lit("-"), entry(ex::LapTime, 3, 2), lit("-"),
         entry(ex::LapTime, 3, 3), lit("-")},
        Kind::Laps);
    t.add("障害マイルタイム", {f(ex::SyogaiMileTime)});
    t.add("前半4Fラップタイム計", {f(ex::RaceHaronTimeS4)});
    t.add("前半3Fラップタイム計", {f(ex::RaceHaronTimeS3)});
    t.add("後半4Fラップタイム計", {f(ex::RaceHaronTimeL4)});
    t.add("後半3Fラップタイム計", {f(ex::RaceHaronTimeL3)});
    for (std::size_t g = 0; g < 4; ++g) {
        const std::size_t at = kCornerGroup * g;
        t.add("コ周回各馬通過順位" + std::to_string(g), {slice(ex::CornerInfo, at, 1), slice(ex::CornerInfo, at + 1, 1), slice(ex::CornerInfo, at + 2, 70)});
    }
}

// What the expansion adds: speeds, names, sale, factor codes and weights.
void addComputedRows(RowTable& t) {
    t.add("累計本賞金対数", {f(ex::SankuJun)});
    const char* speedTexts[11] = {"上がり時速",     "ペース時速",     "走破時速",       "予想上がり時速",
                                  "予想ペース時速", "予想走破時速",   "騎手サンプル数", "生産者サンプル数",
                                  "調教師サンプル数", "父父馬サンプル数", "母父馬サンプル数"};
    for (int k = 0; k < 11; ++k) t.add(speedTexts[k], {f(ex::SpeedText(k + 1))});
    t.add("生産者名", {f(ex::BreederName)});
    t.add("調教師名", {f(ex::ChokyosiRyakusyo)});
    t.add("父馬名", {f(ex::SireBamei)});
    t.add("母父馬名", {f(ex::DamSireBamei)});
    t.add("市場コード", {f(ex::SaleCode)});
    t.add("市場主催者", {f(ex::SaleHostName)});
    t.add("市場名", {f(ex::SaleName)});
    t.add("取引馬齢開終", {f(ex::SaleBarei), lit(" "), f(ex::SaleFromDate), f(ex::SaleToDate)});
    t.add("市場取引価格", {f(ex::SalePrice)});
    const char* speedValues[13] = {"上がり時速（単）",         "ペース時速（単）",
                                   "走破時速（単）",           "予想上がり時速（単）",
                                   "予想ペース時速（単）",     "予想走破時速（単）",
                                   "合成予想走破時速（単）",   "実測走破時速-合成走破（単）",
                                   "予想走破時速-合成走破（単）", "実測上がり-予想上がり（単）",
                                   "実測ペース-予想ペース（単）", "実測走破-予想走破（単）",
                                   "100*(sps-spa)/(spp-spa)"};
    for (int k = 0; k < ex::kRunSpeedCount; ++k)
        t.add(k < 13 ? speedValues[k] : "", {single(ex::RunSpeeds(k + 1))}, Kind::Floored);
    for (int i = 1; i <= ex::kFactorCount; ++i) t.add("F" + std::to_string(i) + kFactorLabel[i], {f(ex::F(i))});
    for (int i = 1; i <= ex::kFactorCount; ++i) t.add("FC" + std::to_string(i) + kFactorLabel[i], {f(ex::FC(i))});
    struct Weights {
        const char* prefix;
        std::size_t (*at)(int);
    };
    for (const Weights& wt : {Weights{"AgariFW", ex::AgariFW}, Weights{"PaceFW", ex::PaceFW},
                              Weights{"SohaFW", ex::SohaFW}})
        for (int i = 1; i <= ex::kFactorCount; ++i)
            t.add(wt.prefix + std::to_string(i) + kFactorLabel[i], {single(wt.at(i))}, Kind::Floored);
}

std::vector<RowSpec> buildRows() {
    RowTable t;
    addHorseRows(t);
    addRunRows(t);
    addRaceRows(t);
    addComputedRows(t);
    return std::move(t.rows);
}

const std::vector<RowSpec>& rowSpecs() {
    static const std::vector<RowSpec> rows = buildRows();
    return rows;
}

// A text that names an expanded run file: ten digits and "EX.dat".
bool namesExFile(const std::string& name) {
    if (name.size() != 16 || name.compare(10, 6, ex::kFileSuffix) != 0) return false;
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
    auto text = [&rec](const Part& p) { return p.lit ? std::string(p.lit) : fromCp932(getField(rec, p.field)); };
    switch (spec.kind) {
        case Kind::Floored: return floorDecimals(getSingle(rec, spec.parts[0].field.off), 4);
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
    const std::size_t nearest = (bytes.size() + ex::kLength / 2) / ex::kLength;
    ExRecCount = static_cast<std::int16_t>(nearest > 32767 ? 32767 : nearest);
    const int count = ExRecCount;

    EXFG1.setCols(count + 1);
    for (int n = count; n >= 1; --n) {
        // A record the file holds only in part reads its missing bytes as zero.
        const std::size_t at = static_cast<std::size_t>(n - 1) * ex::kLength;
        std::string rec = at < bytes.size() ? bytes.substr(at, ex::kLength) : std::string();
        rec.resize(ex::kLength, '\0');
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
