// Building the expanded run records.
#include "expansion/builder.h"

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "expansion/exrecord.h"

namespace kv::expansion {

namespace ex = kv::exrec;
namespace se = kv::jv::SeRecord;
namespace ra = kv::jv::RaRecord;
namespace um = kv::jv::UmRecord;
namespace ks = kv::jv::KsRecord;

namespace {

std::string readOrEmpty(const std::string& path) {
    auto b = readFileBytes(path);
    return b ? std::move(*b) : std::string{};
}

// Calls fn(record) for every whole record of bytes.
template <class Fn>
void forEachRecord(std::string_view bytes, std::size_t len, Fn fn) {
    const std::size_t n = bytes.size() / len;
    for (std::size_t i = 0; i < n; ++i) fn(bytes.substr(i * len, len), i + 1, n);
}

void copy(std::string& rec, Field to, std::string_view from, Field src) {
    setField(rec, to, getField(from, src));
}

void blank(std::string& rec, Field f) { rec.replace(f.off, f.len, f.len, ' '); }

}  // namespace

BuildInputs BuildInputs::fromBytes(std::string umBytes, std::string ksWeekBytes, std::string ksSuppliedBytes,
                                   std::string raBytes, std::string hnskBytes) {
    BuildInputs in;
    in.um_ = std::move(umBytes);
    in.ksWeek_ = std::move(ksWeekBytes);
    in.ksSupplied_ = std::move(ksSuppliedBytes);
    in.ra_ = std::move(raBytes);
    in.hnsk_.loadBytes(std::move(hnskBytes));
    in.index();
    return in;
}

BuildInputs BuildInputs::load(const std::function<void(std::size_t, std::size_t)>& onHorseRow) {
    BuildInputs in = fromBytes(readOrEmpty(appFile(files::UM_NEW)), readOrEmpty(appFile(files::KS)),
                               readOrEmpty(kv::stats::optionFile(kv::stats::names::KS_SUPPLIED)),
                               readOrEmpty(appFile(files::RA_NEW)),
                               readOrEmpty(kv::stats::optionFile(kv::stats::names::HNSK)));
    if (onHorseRow) forEachRecord(in.um_, um::kLength, [&](std::string_view, std::size_t i, std::size_t n) { onHorseRow(i, n); });
    return in;
}

void BuildInputs::index() {
    // Later rows overwrite earlier ones: the row loaded last wins.
    forEachRecord(um_, um::kLength, [&](std::string_view r, std::size_t, std::size_t) {
        umByKetto_[fieldView(r, um::KettoNum)] = r;
    });
    for (const std::string* file : {&ksWeek_, &ksSupplied_})
        forEachRecord(*file, ks::kLength, [&](std::string_view r, std::size_t, std::size_t) {
            ksByCode_[fieldView(r, ks::KisyuCode)] = r;
        });
    forEachRecord(ra_, ra::kLength, [&](std::string_view r, std::size_t, std::size_t) {
        raByKey_[raceKeyFromId(fieldView(r, ra::RaceId))] = r;
    });
}

std::optional<std::string_view> BuildInputs::horse(std::string_view k) const {
    auto it = umByKetto_.find(k);
    if (it == umByKetto_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string_view> BuildInputs::jockey(std::string_view k) const {
    auto it = ksByCode_.find(k);
    if (it == ksByCode_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string_view> BuildInputs::race(std::string_view key) const {
    auto it = raByKey_.find(std::string(key));
    if (it == raByKey_.end()) return std::nullopt;
    return it->second;
}

std::string BuildInputs::GetSankuJun(std::string_view dam, std::string_view kettoNum) const {
    using NP = kv::stats::NumberPairRecord;
    const std::size_t p = hnsk_.findNumber(dam);
    if (p == 0) return "01";
    for (std::size_t j = 0; j <= 20 && p + j <= hnsk_.count(); ++j) {
        if (fieldView(hnsk_.record(p + j), NP::Num2) == kettoNum) return zeroPad(static_cast<long long>(j + 1), 2);
    }
    return "01";
}

std::string buildRecord(const BuildInputs& in, std::string_view run, std::optional<std::string_view> horse,
                        const std::string& sankuJun) {
    std::string rec = ex::emptyRecord();

    // Runner record members.
    static constexpr std::pair<Field, Field> kRun[] = {
        {ex::RecordSpec, se::RecordSpec}, {ex::DataKubun, se::DataKubun}, {ex::MakeDate, se::MakeDate},
        {ex::RaceId, se::RaceId}, {ex::Wakuban, se::Wakuban}, {ex::Umaban, se::Umaban},
        {ex::KettoNum, se::KettoNum}, {ex::Bamei, se::Bamei}, {ex::UmaKigoCD, se::UmaKigoCD},
        {ex::SexCD, se::SexCD}, {ex::HinsyuCD, se::HinsyuCD}, {ex::KeiroCD, se::KeiroCD},
        {ex::TozaiCD, se::TozaiCD}, {ex::ChokyosiCode, se::ChokyosiCode},
        {ex::ChokyosiRyakusyo, se::ChokyosiRyakusyo}, {ex::BanusiCode, se::BanusiCode},
        {ex::Fukusyoku, se::Fukusyoku}, {ex::Futan, se::Futan}, {ex::FutanBefore, se::FutanBefore},
        {ex::Blinker, se::Blinker}, {ex::Reserved3, se::Reserved2}, {ex::KisyuCode, se::KisyuCode},
        {ex::KisyuCodeBefore, se::KisyuCodeBefore}, {ex::KisyuRyakusyo, se::KisyuRyakusyo},
        {ex::KisyuRyakusyoBefore, se::KisyuRyakusyoBefore}, {ex::MinaraiCD, se::MinaraiCD},
        {ex::MinaraiCDBefore, se::MinaraiCDBefore}, {ex::BaTaijyu, se::BaTaijyu},
        {ex::ZogenFugo, se::ZogenFugo}, {ex::ZogenSa, se::ZogenSa}, {ex::IJyoCD, se::IJyoCD},
        {ex::NyusenJyuni, se::NyusenJyuni}, {ex::KakuteiJyuni, se::KakuteiJyuni},
        {ex::DochakuKubun, se::DochakuKubun}, {ex::DochakuTosu, se::DochakuTosu}, {ex::Time, se::Time},
        {ex::ChakusaCD, se::ChakusaCD}, {ex::ChakusaCDP, se::ChakusaCDP}, {ex::ChakusaCDPP, se::ChakusaCDPP},
        {ex::Jyuni1c, se::Jyuni1c}, {ex::Jyuni2c, se::Jyuni2c}, {ex::Jyuni3c, se::Jyuni3c},
        {ex::Jyuni4c, se::Jyuni4c}, {ex::Odds, se::Odds}, {ex::Ninki, se::Ninki},
        {ex::Honsyokin, se::Honsyokin}, {ex::Fukasyokin, se::Fukasyokin}, {ex::Reserved4, se::Reserved3},
        {ex::Reserved5, se::Reserved4}, {ex::HaronTimeL4, se::HaronTimeL4}, {ex::HaronTimeL3, se::HaronTimeL3},
        {ex::TimeDiff, se::TimeDiff}, {ex::CrLf, se::CrLf},
    };
    for (const auto& [to, from] : kRun) copy(rec, to, run, from);

    // Members that are blanks on every build.
    static constexpr Field kBlanks[] = {
        ex::Reserved1, ex::SaleCode, ex::SaleHostName, ex::SaleName, ex::SaleFromDate, ex::SaleToDate,
        ex::SaleBarei, ex::SalePrice, ex::SireBirthYear, ex::SireSanchiName, ex::DamBirthYear,
        ex::DamSanchiName, ex::DamSireHansyokuNum, ex::DamSireBirthYear, ex::DamSireSanchiName,
        ex::Ancestor5HansyokuNum, ex::Ancestor5BirthYear, ex::Ancestor5SanchiName, ex::Ancestor6HansyokuNum,
        ex::Ancestor6BirthYear, ex::Ancestor6SanchiName, ex::Ancestor7HansyokuNum, ex::Ancestor7BirthYear,
        ex::Ancestor7SanchiName,
    };
    for (Field f : kBlanks) blank(rec, f);

    // Horse lookup.
    static constexpr Field kHorseTo[] = {ex::SankuJun, ex::BirthDate, ex::Syotai, ex::BreederCode,
                                         ex::BreederName, ex::SanchiName, ex::SireHansyokuNum, ex::SireBamei,
                                         ex::DamHansyokuNum, ex::Ancestor7Bamei};
    if (horse) {
        const std::string_view h = *horse;
        setField(rec, ex::SankuJun, sankuJun);
        copy(rec, ex::BirthDate, h, um::BirthDate);
        copy(rec, ex::Syotai, h, um::Syotai);
        copy(rec, ex::BreederCode, h, um::BreederCode);
        copy(rec, ex::BreederName, h, um::BreederName);
        copy(rec, ex::SanchiName, h, um::SanchiName);
        copy(rec, ex::SireHansyokuNum, h, um::Ketto3Info::HansyokuNum(1));
        copy(rec, ex::SireBamei, h, um::Ketto3Info::Bamei(1));
        copy(rec, ex::DamHansyokuNum, h, um::Ketto3Info::HansyokuNum(2));
        copy(rec, ex::Ancestor7Bamei, h, um::Ketto3Info::Bamei(4));
    } else {
        for (Field f : kHorseTo) blank(rec, f);
    }

    // Race lookup, and the jockey lookup only when the race was found.
    static constexpr std::pair<Field, Field> kRace[] = {
        {ex::YoubiCD, ra::YoubiCD}, {ex::GradeCD, ra::GradeCD}, {ex::GradeCDBefore, ra::GradeCDBefore},
        {ex::SyubetuCD, ra::SyubetuCD}, {ex::KigoCD, ra::KigoCD}, {ex::JyuryoCD, ra::JyuryoCD},
        {ex::JyokenCD, ra::kJyokenCD.whole()}, {ex::Kyori, ra::Kyori}, {ex::KyoriBefore, ra::KyoriBefore},
        {ex::TrackCD, ra::TrackCD}, {ex::TrackCDBefore, ra::TrackCDBefore},
        {ex::CourseKubunCD, ra::CourseKubunCD}, {ex::CourseKubunCDBefore, ra::CourseKubunCDBefore},
        {ex::RaceHonsyokin, ra::kHonsyokin.whole()}, {ex::RaceHonsyokinBefore, ra::kHonsyokinBefore.whole()},
        {ex::RaceFukasyokin, ra::kFukasyokin.whole()},
        {ex::RaceFukasyokinBefore, ra::kFukasyokinBefore.whole()}, {ex::HassoTime, ra::HassoTime},
        {ex::HassoTimeBefore, ra::HassoTimeBefore}, {ex::TorokuTosu, ra::TorokuTosu},
        {ex::SyussoTosu, ra::SyussoTosu}, {ex::NyusenTosu, ra::NyusenTosu}, {ex::TenkoCD, ra::TenkoCD},
        {ex::SibaBabaCD, ra::SibaBabaCD}, {ex::DirtBabaCD, ra::DirtBabaCD},
        {ex::LapTime, ra::kLapTime.whole()}, {ex::SyogaiMileTime, ra::SyogaiMileTime},
        {ex::RaceHaronTimeS3, ra::HaronTimeS3}, {ex::RaceHaronTimeS4, ra::HaronTimeS4},
        {ex::RaceHaronTimeL3, ra::HaronTimeL3}, {ex::RaceHaronTimeL4, ra::HaronTimeL4},
        {ex::CornerInfo, ra::CornerInfo::kArray.whole()},
    };
    static constexpr Field kJockeyTo[] = {ex::KisyuBirthDate, ex::KisyuSexCD, ex::KisyuSyotai, ex::SikakuCD};

    const auto race = in.race(raceKeyFromId(getField(run, se::RaceId)));
    if (race) {
        for (const auto& [to, from] : kRace) copy(rec, to, *race, from);
    } else {
        for (const auto& [to, from] : kRace) blank(rec, to);
    }
    const auto jockey = race ? in.jockey(getField(run, se::KisyuCode)) : std::nullopt;
    if (jockey) {
        copy(rec, ex::KisyuBirthDate, *jockey, ks::BirthDate);
        copy(rec, ex::KisyuSexCD, *jockey, ks::SexCD);
        copy(rec, ex::KisyuSyotai, *jockey, ks::Syotai);
        copy(rec, ex::SikakuCD, *jockey, ks::SikakuCD);
    } else {
        for (Field f : kJockeyTo) blank(rec, f);
    }
    return rec;
}

BuiltHorse BuildUmagotoEx(const BuildInputs& in, const std::vector<std::string>& runs) {
    BuiltHorse out;
    if (runs.empty()) return out;
    const std::string ketto = getField(runs.front(), se::KettoNum);
    const auto horse = in.horse(ketto);
    std::string sankuJun;
    if (horse) sankuJun = in.GetSankuJun(getField(*horse, um::Ketto3Info::HansyokuNum(2)), getField(*horse, um::KettoNum));
    out.records.reserve(runs.size());
    for (const std::string& run : runs) out.records.push_back(buildRecord(in, run, horse, sankuJun));

    // Order repair: the newest record must not have been created before the one before it.
    const std::size_t m = out.records.size();
    if (m >= 2) {
        const auto last = strictInt(getField(out.records[m - 1], ex::MakeDate));
        const auto before = strictInt(getField(out.records[m - 2], ex::MakeDate));
        if (!last || !before) {
            out.failed = true;
            out.failure = "creation date is not a number";
            return out;
        }
        if (*last < *before) out.records.pop_back();
    }
    return out;
}

}  // namespace kv::expansion
