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

std::vector<RowSpec> buildRows() {
    std::vector<RowSpec> rows(1);  // row 0 is the caption row
    auto add = [&rows](std::string label, std::vector<Part> parts, Kind kind = Kind::Joined) {
        rows.push_back(RowSpec{std::move(label), kind, std::move(parts)});
    };
    add("レコードスペック", {f(ex::RecordSpec)});
    add("データ区分", {f(ex::DataKubun)});
    add("作成年月日", {f(ex::MakeYear), f(ex::MakeMonth), f(ex::MakeDay)});
    add("レース年月日", {f(ex::Year), f(ex::MonthDay)});
    add("レース開催場所回日R", {f(ex::JyoCD), f(ex::Kaiji), f(ex::Nichiji), f(ex::RaceNum)}, Kind::Racecourse);
    add("枠馬番血統番号", {f(ex::Wakuban), f(ex::Umaban), f(ex::KettoNum)});
    add("馬名", {f(ex::Bamei)});
    add("生年月日", {f(ex::BirthYear), f(ex::BirthMonth), f(ex::BirthDay)});
    add("馬招待地区", {f(ex::Syotai)});
    add("生産者コード", {f(ex::BreederCode)});
    add("生産地", {f(ex::SanchiName)});
    add("父馬繁殖番号", {f(ex::SireHansyokuNum)});
    add("父馬生年", {f(ex::SireBirthYear)});
    add("父馬生産地", {f(ex::SireSanchiName)});
    add("母馬繁殖番号", {f(ex::DamHansyokuNum)});
    add("母馬生年", {f(ex::DamBirthYear)});
    add("母馬生産地", {f(ex::DamSanchiName)});
    add("母父馬繁殖番号", {f(ex::DamSireHansyokuNum)});
    add("母父馬生年", {f(ex::DamSireBirthYear)});
    add("母父馬生産地", {f(ex::DamSireSanchiName)});
    add("馬記号", {f(ex::UmaKigoCD)});
    add("馬性別", {f(ex::SexCD)});
    add("馬品種", {f(ex::HinsyuCD)});
    add("馬毛色", {f(ex::KeiroCD)});
    add("東西所属", {f(ex::TozaiCD)});
    add("調教師コード", {f(ex::ChokyosiCode)});
    add("馬主コード", {f(ex::BanusiCode)});
    add("服色表示", {f(ex::Fukusyoku)});
    add("負担重量", {f(ex::Futan)});
    add("変更前負担重量", {f(ex::FutanBefore)});
    add("ブリンカー使用区分", {f(ex::Blinker)});
    add("曜日", {f(ex::YoubiCD)}, Kind::Weekday);
    add("騎手コード", {f(ex::KisyuCode)});
    add("騎手略称", {f(ex::KisyuRyakusyo)});
    add("騎手生年月日", {slice(ex::KisyuBirthDate, 0, 4), slice(ex::KisyuBirthDate, 4, 2), slice(ex::KisyuBirthDate, 6, 2)});
    add("騎手性別", {f(ex::KisyuSexCD)});
    add("騎乗資格区分", {f(ex::SikakuCD)});
    add("騎手招待地区", {f(ex::KisyuSyotai)});
    add("変更前騎手コード", {f(ex::KisyuCodeBefore)});
    add("変更前騎手略称", {f(ex::KisyuRyakusyoBefore)});
    add("見習い区分", {f(ex::MinaraiCD)});
    add("変更前見習い区分", {f(ex::MinaraiCDBefore)});
    add("馬体重", {f(ex::BaTaijyu)});
    add("前走増減符号", {f(ex::ZogenFugo)});
    add("前走増減差", {f(ex::ZogenSa)});
    add("異常区分", {f(ex::IJyoCD)});
    add("入線順位　1着との秒差", {f(ex::NyusenJyuni), lit(" "), f(ex::TimeDiff)});
    add("確定順位", {f(ex::KakuteiJyuni)});
    add("同着区分", {f(ex::DochakuKubun)});
    add("同着頭数", {f(ex::DochakuTosu)});
    add("走破タイム", {f(ex::Time)});
    add("着差コード", {f(ex::ChakusaCD)});
    add("着差コード+", {f(ex::ChakusaCDP)});
    add("着差コード++", {f(ex::ChakusaCDPP)});
    add("第1コーナー順位", {f(ex::Jyuni1c)});
    add("第2コーナー順位", {f(ex::Jyuni2c)});
    add("第3コーナー順位", {f(ex::Jyuni3c)});
    add("第4コーナー順位", {f(ex::Jyuni4c)});
    add("単勝オッズ", {f(ex::Odds)});
    add("単勝人気", {f(ex::Ninki)});
    add("本賞金", {f(ex::Honsyokin)});
    add("付加賞金", {f(ex::Fukasyokin)});
    add("予備", {f(ex::Reserved4)});
    add("予備", {f(ex::Reserved5)});
    add("後半4Fタイム", {f(ex::HaronTimeL4)});
    add("後半3Fタイム", {f(ex::HaronTimeL3)});
    add("レースグレイド", {f(ex::GradeCD)});
    add("変更前レースグレイド", {f(ex::GradeCDBefore)});
    add("競走条件種別", {f(ex::SyubetuCD)});
    add("競走条件記号", {f(ex::KigoCD)});
    add("競走重量種別", {f(ex::JyuryoCD)});
    const char* jyoken[5] = {"競走2歳条件", "競走3歳条件", "競走4歳条件", "競走5歳以上条件", "競走最若年条件"};
    for (std::size_t k = 0; k < 5; ++k) add(jyoken[k], {entry(ex::JyokenCD, 3, k)});
    add("距離(m)", {f(ex::Kyori)});
    add("変更前距離(m)", {f(ex::KyoriBefore)});
    add("トラックコード", {f(ex::TrackCD)});
    add("変更前トラックコード", {f(ex::TrackCDBefore)});
    add("コース区分", {f(ex::CourseKubunCD)});
    add("変更前コース区分", {f(ex::CourseKubunCDBefore)});
    const char* honsyo[7] = {"本賞金1着", "本賞金2着", "本賞金3着", "本賞金4着", "本賞金5着", "同着本賞金5着",
                             "同着本賞金5着"};
    for (std::size_t k = 0; k < 7; ++k) add(honsyo[k], {entry(ex::RaceHonsyokin, 8, k)});
    // The captions below follow the order prize, added prize, prize before the change, added prize before
    // the change; the record keeps the prizes before the change second.
    const char* fuka[5] = {"付加賞金1着", "付加賞金2着", "付加賞金3着", "同着付加賞金3着", "同着付加賞金3着"};
    for (std::size_t k = 0; k < 5; ++k) add(fuka[k], {entry(ex::RaceHonsyokinBefore, 8, k)});
    for (std::size_t k = 0; k < 5; ++k)
        add("同着変更前" + std::to_string(k + 1) + "着本賞金", {entry(ex::RaceFukasyokin, 8, k)});
    for (std::size_t k = 0; k < 3; ++k)
        add("同着変更前" + std::to_string(k + 1) + "着付加賞金", {entry(ex::RaceFukasyokinBefore, 8, k)});
    add("発走時刻", {f(ex::HassoTime)});
    add("変更前発走時刻", {f(ex::HassoTimeBefore)});
    add("登録頭数", {f(ex::TorokuTosu)});
    add("出走頭数", {f(ex::SyussoTosu)});
    add("入線頭数", {f(ex::NyusenTosu)});
    add("天候コード", {f(ex::TenkoCD)});
    add("芝馬場状態", {f(ex::SibaBabaCD)});
    add("ダート馬場状態", {f(ex::DirtBabaCD)});
    add("ハロン毎先頭馬タイム",
        {entry(ex::LapTime, 3, 0), lit("-"), entry(ex::LapTime, 3, 1), lit("-"), entry(ex::LapTime, 3, 2), lit("-"),
         entry(ex::LapTime, 3, 3), lit("-")},
        Kind::Laps);
    add("障害マイルタイム", {f(ex::SyogaiMileTime)});
    add("前半4Fラップタイム計", {f(ex::RaceHaronTimeS4)});
    add("前半3Fラップタイム計", {f(ex::RaceHaronTimeS3)});
    add("後半4Fラップタイム計", {f(ex::RaceHaronTimeL4)});
    add("後半3Fラップタイム計", {f(ex::RaceHaronTimeL3)});
    for (std::size_t g = 0; g < 4; ++g) {
        const std::size_t at = kCornerGroup * g;
        add("コ周回各馬通過順位" + std::to_string(g), {slice(ex::CornerInfo, at, 1), slice(ex::CornerInfo, at + 1, 1), slice(ex::CornerInfo, at + 2, 70)});
    }
    add("累計本賞金対数", {f(ex::SankuJun)});
    const char* speedTexts[11] = {"上がり時速",     "ペース時速",     "走破時速",       "予想上がり時速",
                                  "予想ペース時速", "予想走破時速",   "騎手サンプル数", "生産者サンプル数",
                                  "調教師サンプル数", "父父馬サンプル数", "母父馬サンプル数"};
    for (int k = 0; k < 11; ++k) add(speedTexts[k], {f(ex::SpeedText(k + 1))});
    add("生産者名", {f(ex::BreederName)});
    add("調教師名", {f(ex::ChokyosiRyakusyo)});
    add("父馬名", {f(ex::SireBamei)});
    add("母父馬名", {f(ex::DamSireBamei)});
    add("市場コード", {f(ex::SaleCode)});
    add("市場主催者", {f(ex::SaleHostName)});
    add("市場名", {f(ex::SaleName)});
    add("取引馬齢開終", {f(ex::SaleBarei), lit(" "), f(ex::SaleFromDate), f(ex::SaleToDate)});
    add("市場取引価格", {f(ex::SalePrice)});
    const char* speedValues[13] = {"上がり時速（単）",         "ペース時速（単）",
                                   "走破時速（単）",           "予想上がり時速（単）",
                                   "予想ペース時速（単）",     "予想走破時速（単）",
                                   "合成予想走破時速（単）",   "実測走破時速-合成走破（単）",
                                   "予想走破時速-合成走破（単）", "実測上がり-予想上がり（単）",
                                   "実測ペース-予想ペース（単）", "実測走破-予想走破（単）",
                                   "100*(sps-spa)/(spp-spa)"};
    for (int k = 0; k < ex::kRunSpeedCount; ++k)
        add(k < 13 ? speedValues[k] : "", {single(ex::RunSpeeds(k + 1))}, Kind::Floored);
    for (int i = 1; i <= ex::kFactorCount; ++i) add("F" + std::to_string(i) + kFactorLabel[i], {f(ex::F(i))});
    for (int i = 1; i <= ex::kFactorCount; ++i) add("FC" + std::to_string(i) + kFactorLabel[i], {f(ex::FC(i))});
    struct Weights {
        const char* prefix;
        std::size_t (*at)(int);
    };
    for (const Weights& wt : {Weights{"AgariFW", ex::AgariFW}, Weights{"PaceFW", ex::PaceFW},
                              Weights{"SohaFW", ex::SohaFW}})
        for (int i = 1; i <= ex::kFactorCount; ++i)
            add(wt.prefix + std::to_string(i) + kFactorLabel[i], {single(wt.at(i))}, Kind::Floored);
    return rows;
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
