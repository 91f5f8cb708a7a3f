// Building the expanded run records.
#include "expansion/builder.h"

#include <algorithm>
#include <cstring>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "common/exrecord.h"

namespace kv::expansion {

namespace ex = kv::exrec;
namespace se = kv::jv::SeRecord;
namespace ra = kv::jv::RaRecord;
namespace um = kv::jv::UmRecord;
namespace ks = kv::jv::KsRecord;

namespace {

using kv::stats::HeldBytes;

void copy(std::string& rec, Field to, std::string_view from, Field src) {
    // A short record's missing bytes read as blanks: setField pads with them.
    setField(rec, to, fieldView(from, src));
}

void blank(std::string& rec, Field f) { rec.replace(f.off, f.len, f.len, ' '); }

// Members copied from one record layout into the expanded record, as copy()
// does one by one; members that follow each other in both records are copied
// as one block. For a source record too short for the members, one by one.
class CopyPlan {
public:
    template <std::size_t N>
    explicit CopyPlan(const std::pair<Field, Field> (&pairs)[N]) : pairs_(pairs, pairs + N) {
        for (const auto& [to, from] : pairs_) {
            srcEnd_ = std::max(srcEnd_, from.end());
            whole_ = whole_ && to.end() <= ex::kLength;
            const Block b{to.off, from.off, std::min(to.len, from.len), to.len > from.len ? to.len - from.len : 0};
            if (!blocks_.empty()) {
                Block& last = blocks_.back();
                if (last.pad == 0 && last.dst + last.len == b.dst && last.src + last.len == b.src) {
                    last.len += b.len;
                    last.pad = b.pad;
                    continue;
                }
            }
            blocks_.push_back(b);
        }
    }
    void apply(std::string& rec, std::string_view from) const {
        if (!whole_ || from.size() < srcEnd_ || rec.size() < ex::kLength) {
            for (const auto& [to, src] : pairs_) copy(rec, to, from, src);
            return;
        }
        char* d = rec.data();
        for (const Block& b : blocks_) {
            std::memcpy(d + b.dst, from.data() + b.src, b.len);
            if (b.pad) std::memset(d + b.dst + b.len, ' ', b.pad);
        }
    }

private:
    struct Block {
        std::size_t dst, src, len, pad;
    };
    std::vector<std::pair<Field, Field>> pairs_;
    std::vector<Block> blocks_;
    std::size_t srcEnd_ = 0;
    bool whole_ = true;
};

// The race key of a race id member (the first ten characters and the race
// number), its missing bytes as blanks.
constexpr std::size_t kRaceKeyLen = 12;
void raceKeyOf(std::string_view rec, Field raceId, char* out) {
    static_assert(kRaceIdLen == 16);
    std::memset(out, ' ', kRaceKeyLen);
    const std::string_view id = fieldView(rec, raceId);
    std::memcpy(out, id.data(), std::min<std::size_t>(id.size(), 10));
    if (id.size() > 14) std::memcpy(out + 10, id.data() + 14, std::min<std::size_t>(id.size() - 14, 2));
}

}  // namespace

BuildInputs BuildInputs::fromBytes(std::string umBytes, std::string ksWeekBytes, std::string ksSuppliedBytes,
                                   std::string raBytes, std::string hnskBytes) {
    BuildInputs in;
    in.um_ = HeldBytes::own(std::move(umBytes));
    in.ksWeek_ = HeldBytes::own(std::move(ksWeekBytes));
    in.ksSupplied_ = HeldBytes::own(std::move(ksSuppliedBytes));
    in.ra_ = HeldBytes::own(std::move(raBytes));
    in.hnsk_.loadBytes(std::move(hnskBytes));
    for (Part p : {Horses, Jockeys, Races}) in.indexPart(p);
    return in;
}

BuildInputs BuildInputs::load(const std::function<void(std::size_t, std::size_t)>& onHorseRow) {
    BuildInputs in;
    for (Part p : {Races, FoalOrder, Jockeys, Horses}) in.loadPart(p);
    if (onHorseRow) {
        const std::size_t n = in.horseRows();
        for (std::size_t i = 1; i <= n; ++i) onHorseRow(i, n);
    }
    return in;
}

std::size_t BuildInputs::horseRows() const { return um_ ? um_->view().size() / um::kLength : 0; }

void BuildInputs::loadPart(Part p) {
    switch (p) {
    case Horses: um_ = HeldBytes::read(appFile(files::UM_NEW)); break;
    case Jockeys:
        ksWeek_ = HeldBytes::read(appFile(files::KS));
        ksSupplied_ = HeldBytes::read(kv::stats::optionFile(kv::stats::names::KS_SUPPLIED));
        break;
    case Races: ra_ = HeldBytes::read(appFile(files::RA_NEW)); break;
    case FoalOrder: hnsk_.load(kv::stats::optionFile(kv::stats::names::HNSK)); return;
    }
    indexPart(p);
}

void BuildInputs::indexPart(Part p) {
    using kv::stats::Winner;
    // Later rows win: the row loaded last counts.
    switch (p) {
    case Horses: umByKetto_.build(um_->view(), um::kLength, um::KettoNum, Winner::Last); break;
    case Jockeys:
        ksWeekByCode_.build(ksWeek_->view(), ks::kLength, ks::KisyuCode, Winner::Last);
        ksSuppliedByCode_.build(ksSupplied_->view(), ks::kLength, ks::KisyuCode, Winner::Last);
        break;
    case Races:
        raByKey_.build(ra_->view(), ra::kLength, Field{ra::RaceId.off, 10}, Winner::Last,
                       Field{ra::RaceId.off + 14, 2});
        break;
    case FoalOrder: break;
    }
}

std::optional<std::string_view> BuildInputs::horse(std::string_view k) const {
    const std::size_t n = umByKetto_.find(k);
    if (n == 0) return std::nullopt;
    return um_->view().substr((n - 1) * um::kLength, um::kLength);
}

std::optional<std::string_view> BuildInputs::jockey(std::string_view k) const {
    if (const std::size_t n = ksSuppliedByCode_.find(k))
        return ksSupplied_->view().substr((n - 1) * ks::kLength, ks::kLength);
    if (const std::size_t n = ksWeekByCode_.find(k)) return ksWeek_->view().substr((n - 1) * ks::kLength, ks::kLength);
    return std::nullopt;
}

std::optional<std::string_view> BuildInputs::race(std::string_view key) const {
    const std::size_t n = raByKey_.find(key);
    if (n == 0) return std::nullopt;
    return ra_->view().substr((n - 1) * ra::kLength, ra::kLength);
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

namespace {

// The runner record's members, and the members that are blanks on every build.
void copyRunMembers(std::string& rec, std::string_view run) {
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
    static const CopyPlan runPlan(kRun);
    runPlan.apply(rec, run);

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
}

// The horse's members from its horse record; blanks without one.
void copyHorseMembers(std::string& rec, std::optional<std::string_view> horse, std::string_view sankuJun) {
    static constexpr Field kHorseTo[] = {ex::SankuJun, ex::BirthDate, ex::Syotai, ex::BreederCode,
                                         ex::BreederName, ex::SanchiName, ex::SireHansyokuNum, ex::SireBamei,
                                         ex::DamHansyokuNum, ex::Ancestor7Bamei};
    if (horse) {
        const std::string_view h = *horse;
        setField(rec, ex::SankuJun, sankuJun);
        static constexpr std::pair<Field, Field> kHorse[] = {
            {ex::BirthDate, um::BirthDate},
            {ex::Syotai, um::Syotai},
            {ex::BreederCode, um::BreederCode},
            {ex::BreederName, um::BreederName},
            {ex::SanchiName, um::SanchiName},
            {ex::SireHansyokuNum, um::Ketto3Info::HansyokuNum(1)},
            {ex::SireBamei, um::Ketto3Info::Bamei(1)},
            {ex::DamHansyokuNum, um::Ketto3Info::HansyokuNum(2)},
            {ex::Ancestor7Bamei, um::Ketto3Info::Bamei(4)},
        };
        static const CopyPlan horsePlan(kHorse);
        horsePlan.apply(rec, h);
    } else {
        for (Field f : kHorseTo) blank(rec, f);
    }
}

// The race's members from its race record, and the jockey's only when the race
// was found; blanks for what is not found.
void copyRaceAndJockeyMembers(std::string& rec, const BuildInputs& in, std::string_view run) {
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

    char raceKey[kRaceKeyLen];
    raceKeyOf(run, se::RaceId, raceKey);
    const auto race = in.race(std::string_view(raceKey, kRaceKeyLen));
    if (race) {
        static const CopyPlan racePlan(kRace);
        racePlan.apply(rec, *race);
    } else {
        for (const auto& [to, from] : kRace) blank(rec, to);
    }
    char kisyu[se::KisyuCode.len];
    if (race) {
        std::memset(kisyu, ' ', sizeof kisyu);
        const std::string_view k = fieldView(run, se::KisyuCode);
        std::memcpy(kisyu, k.data(), k.size());
    }
    const auto jockey = race ? in.jockey(std::string_view(kisyu, sizeof kisyu)) : std::nullopt;
    if (jockey) {
        static constexpr std::pair<Field, Field> kJockey[] = {
            {ex::KisyuBirthDate, ks::BirthDate},
            {ex::KisyuSexCD, ks::SexCD},
            {ex::KisyuSyotai, ks::Syotai},
            {ex::SikakuCD, ks::SikakuCD},
        };
        static const CopyPlan jockeyPlan(kJockey);
        jockeyPlan.apply(rec, *jockey);
    } else {
        for (Field f : kJockeyTo) blank(rec, f);
    }
}

}  // namespace

void buildRecordInto(std::string& rec, const BuildInputs& in, std::string_view run,
                     std::optional<std::string_view> horse, std::string_view sankuJun) {
    rec.assign(ex::kLength, '\0');
    copyRunMembers(rec, run);
    copyHorseMembers(rec, horse, sankuJun);
    copyRaceAndJockeyMembers(rec, in, run);
}

namespace {

// The horse's records into records[0..m); m, or m and a failure text.
template <class Runs>
std::size_t buildHorse(const BuildInputs& in, const Runs& runs, std::size_t count, std::vector<std::string>& records,
                       std::string& failure) {
    failure.clear();
    if (count == 0) return 0;
    char ketto[se::KettoNum.len];
    {
        std::memset(ketto, ' ', sizeof ketto);
        const std::string_view k = fieldView(runs[0], se::KettoNum);
        std::memcpy(ketto, k.data(), k.size());
    }
    const auto horse = in.horse(std::string_view(ketto, sizeof ketto));
    std::string sankuJun;
    if (horse) sankuJun = in.GetSankuJun(fieldView(*horse, um::Ketto3Info::HansyokuNum(2)), fieldView(*horse, um::KettoNum));
    if (records.size() < count) records.resize(count);
    for (std::size_t i = 0; i < count; ++i) buildRecordInto(records[i], in, runs[i], horse, sankuJun);

    // Order repair: the newest record must not have been created before the one before it.
    std::size_t m = count;
    if (m >= 2) {
        const auto last = strictInt(fieldView(records[m - 1], ex::MakeDate));
        const auto before = strictInt(fieldView(records[m - 2], ex::MakeDate));
        if (!last || !before) {
            failure = "creation date is not a number";
            return m;
        }
        if (*last < *before) --m;
    }
    return m;
}

}  // namespace

BuiltHorse BuildUmagotoEx(const BuildInputs& in, const std::vector<std::string>& runs) {
    BuiltHorse out;
    const std::size_t m = buildHorse(in, runs, runs.size(), out.records, out.failure);
    out.records.resize(m);
    out.failed = !out.failure.empty();
    return out;
}

std::size_t BuildUmagotoEx(const BuildInputs& in, const kv::RecordView& runs, std::vector<std::string>& records,
                           std::string& failure) {
    return buildHorse(in, runs, runs.size(), records, failure);
}

}  // namespace kv::expansion
