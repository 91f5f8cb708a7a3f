// Daily hit and return rates (result mode) and the day reset of the tallies.
#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

// floor(a / b) for b > 0.
long long floorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && (a < 0)) --q;
    return q;
}

void tierRates(const TierTally& t, TierRates& out, long long n, long long stake) {
    if (n <= 0) return;  // not computed: keeps the day's last value
    out.TekichuRitsuHonsen = floorDiv(t.TekichuHonsen * 1000, n);
    out.TekichuRitsuJunhon = floorDiv(t.TekichuJunhon * 1000, n);
    out.TekichuRitsuFukuhei = floorDiv(t.TekichuFukuhei * 1000, n);
    out.KaishuRitsuHonsen = floorDiv(t.HaitoHonsen * 1000, n * stake);
    out.KaishuRitsuJunhon = floorDiv(t.HaitoJunhon * 1000, n * stake);
    out.KaishuRitsuFukuhei = floorDiv(t.HaitoFukuhei * 1000, n * stake);
}

QuotedLine& rate(QuotedLine& q, const Tenths& t) { return t ? q.bare(rateText(*t)) : q.absent(); }

}  // namespace

std::string rateText(long long tenths) {
    return tenths % 10 == 0 ? formatInt(tenths / 10) : formatTenths(tenths);
}

void KeptState::resetDay(const std::string& dayKey) {
    for (TanFukuStat* s : {&StatTansho1, &StatTansho2, &StatFukusho1, &StatFukusho2}) {
        s->TekichuKaisu = 0;
        s->HaitoGoukei = 0;
        s->TekichuRitsu.reset();
        s->KaishuRitsu.reset();
    }
    for (KaimeStat* s : {&StatUmarenF, &StatUmarenB, &StatUmatanF, &StatSanrenpukuB, &StatSanrentan12,
                         &StatSanrentan23, &StatSanrentan13}) {
        s->TekichuKaisu = 0;
        s->HaitoGoukei = 0;
        s->TensuGoukei = 0;
        s->TekichuRitsu.reset();
        s->KaishuRitsu.reset();
    }
    for (TierTally* t : {&UmarenTally, &WideTally, &UmatanOmoteTally, &UmatanUraTally, &SanrenpukuTally, &SanrentanTally})
        *t = TierTally{};
    for (TierRates* r : {&UmarenRates, &WideRates, &UmatanOmoteRates, &UmatanUraRates, &SanrenpukuRates, &SanrentanRates})
        *r = TierRates{};
    TallyDayKey = dayKey;
    DayRaceCount = 0;
}

namespace {

// The day's members of an eleven-column tally; Kumi, Haito and Tensu belong to
// the race and stay as they are.
void copyDayCounts(const TanFukuStat& f, TanFukuStat& t) {
    t.TekichuKaisu = f.TekichuKaisu;
    t.HaitoGoukei = f.HaitoGoukei;
    t.TekichuRitsu = f.TekichuRitsu;
    t.KaishuRitsu = f.KaishuRitsu;
}
void copyDayCounts(const KaimeStat& f, KaimeStat& t) {
    copyDayCounts(static_cast<const TanFukuStat&>(f), static_cast<TanFukuStat&>(t));
    t.TensuGoukei = f.TensuGoukei;
}

// Copies the day's members between the window state and a put-aside day.
template <class From, class To>
void copyDay(const From& f, To& t) {
    copyDayCounts(f.StatTansho1, t.StatTansho1);
    copyDayCounts(f.StatTansho2, t.StatTansho2);
    copyDayCounts(f.StatFukusho1, t.StatFukusho1);
    copyDayCounts(f.StatFukusho2, t.StatFukusho2);
    copyDayCounts(f.StatUmarenF, t.StatUmarenF);
    copyDayCounts(f.StatUmarenB, t.StatUmarenB);
    copyDayCounts(f.StatUmatanF, t.StatUmatanF);
    copyDayCounts(f.StatSanrenpukuB, t.StatSanrenpukuB);
    copyDayCounts(f.StatSanrentan12, t.StatSanrentan12);
    copyDayCounts(f.StatSanrentan23, t.StatSanrentan23);
    copyDayCounts(f.StatSanrentan13, t.StatSanrentan13);
    t.UmarenTally = f.UmarenTally;
    t.WideTally = f.WideTally;
    t.UmatanOmoteTally = f.UmatanOmoteTally;
    t.UmatanUraTally = f.UmatanUraTally;
    t.SanrenpukuTally = f.SanrenpukuTally;
    t.SanrentanTally = f.SanrentanTally;
    t.UmarenRates = f.UmarenRates;
    t.WideRates = f.WideRates;
    t.UmatanOmoteRates = f.UmatanOmoteRates;
    t.UmatanUraRates = f.UmatanUraRates;
    t.SanrenpukuRates = f.SanrenpukuRates;
    t.SanrentanRates = f.SanrentanRates;
    t.DayRaceCount = f.DayRaceCount;
}

}  // namespace

void KeptState::enterDay(const std::string& dayKey) {
    if (dayKey == TallyDayKey && DayRaceCount > 0) return;
    if (DayRaceCount > 0) copyDay(*this, OtherDays[TallyDayKey]);
    auto it = OtherDays.find(dayKey);
    if (it == OtherDays.end()) {
        resetDay(dayKey);
        return;
    }
    copyDay(it->second, *this);
    TallyDayKey = dayKey;
    OtherDays.erase(it);
}

void computeDayRates(KeptState& k, int R) {
    if (R <= 0) return;
    k.UmarenTally.CheckCount = R;
    for (TanFukuStat* s : {&k.StatTansho1, &k.StatTansho2, &k.StatFukusho1, &k.StatFukusho2}) {
        s->TekichuRitsu = floorDiv(static_cast<long long>(s->TekichuKaisu) * 1000, R);
        s->KaishuRitsu = floorDiv(static_cast<long long>(s->HaitoGoukei) * 10, R);
    }
    for (KaimeStat* s : {&k.StatUmarenF, &k.StatUmarenB, &k.StatUmatanF, &k.StatSanrenpukuB, &k.StatSanrentan12,
                         &k.StatSanrentan23, &k.StatSanrentan13}) {
        s->TekichuRitsu = floorDiv(static_cast<long long>(s->TekichuKaisu) * 1000, R);
        if (s->TensuGoukei > 0) s->KaishuRitsu = floorDiv(static_cast<long long>(s->HaitoGoukei) * 10, s->TensuGoukei);
    }
    tierRates(k.UmarenTally, k.UmarenRates, R, 600);
    tierRates(k.UmatanOmoteTally, k.UmatanOmoteRates, R, 600);
    tierRates(k.UmatanUraTally, k.UmatanUraRates, R, 600);
    tierRates(k.SanrenpukuTally, k.SanrenpukuRates, k.SanrenpukuTally.CheckCount, 700);
    tierRates(k.SanrentanTally, k.SanrentanRates, k.SanrentanTally.CheckCount, 4200);
    tierRates(k.WideTally, k.WideRates, R, 600);
}

void writeRateFiles(WindowState& st, int RaceIdx, int R, DayFiles& days) {
    const KeptState& k = st.kept;
    const std::string id = st.run.raceId(RaceIdx);
    auto part = [&](std::size_t off, std::size_t n) { return off < id.size() ? id.substr(off, n) : std::string(); };
    const std::string md = part(4, 4);
    QuotedLine dateLine;
    dateLine.text(part(0, 4) + "年")
        .text(md.substr(0, std::min<std::size_t>(2, md.size())) + "月")
        .text((md.size() > 2 ? md.substr(2) : std::string()) + "日")
        .text(formatInt(valLong(part(10, 2))) + "回")
        .text(st.run.LookupCodeTable("2001", part(8, 2), 4))
        .text(formatInt(valLong(part(12, 2))) + "日目");
    const std::string head = dateLine.line();

    std::string kaiteki = head;
    const char* blank2 = "\u3000\u3000";
    QuotedLine().text(blank2).text("回収率").text("％").text(blank2).text("的中率").text("％").text(blank2).appendTo(kaiteki);
    QuotedLine().text("券種").text("本線").text("準本線").text("伏兵").text("本線").text("準本線").text("伏兵").appendTo(kaiteki);
    auto tierLine = [&](const char* label, const TierRates& r) {
        QuotedLine q;
        q.text(label);
        rate(q, r.KaishuRitsuHonsen);
        rate(q, r.KaishuRitsuJunhon);
        rate(q, r.KaishuRitsuFukuhei);
        rate(q, r.TekichuRitsuHonsen);
        rate(q, r.TekichuRitsuJunhon);
        rate(q, r.TekichuRitsuFukuhei);
        return q.line();
    };
    kaiteki += tierLine("馬連", k.UmarenRates);
    kaiteki += tierLine("馬単表", k.UmatanOmoteRates);
    kaiteki += tierLine("馬単裏", k.UmatanUraRates);
    kaiteki += tierLine("３連複", k.SanrenpukuRates);
    kaiteki += tierLine("３連単", k.SanrentanRates);
    kaiteki += tierLine("ワイド", k.WideRates);

    const TanFukuStat* cols[11] = {&k.StatTansho1,     &k.StatFukusho1,    &k.StatTansho2,    &k.StatFukusho2,
                                   &k.StatUmarenF,     &k.StatUmarenB,     &k.StatUmatanF,    &k.StatSanrenpukuB,
                                   &k.StatSanrentan12, &k.StatSanrentan23, &k.StatSanrentan13};
    std::string pc = head;
    {
        QuotedLine q;
        q.text("券種");
        for (const char* t : {"単勝1", "複勝1", "単勝2", "複勝2", "馬連F", "馬連B", "馬単F", "  3連複B", "  3連単12",
                              "  3連単23", "  3連単13"})
            q.text(t);
        q.appendTo(pc);
    }
    {
        QuotedLine q;
        q.text("予想R数");
        for (int c = 0; c < 11; ++c) q.number(R);
        q.appendTo(pc);
    }
    {
        QuotedLine q;
        q.text("的中R数");
        for (auto* s : cols) q.number(s->TekichuKaisu);
        q.appendTo(pc);
    }
    {
        QuotedLine q;
        q.text("的中率");
        for (auto* s : cols) rate(q, s->TekichuRitsu);
        q.appendTo(pc);
    }
    {
        QuotedLine q;
        q.text("購入点数");
        for (int c = 0; c < 11; ++c) {
            if (c < 4) q.number(R);
            else q.number(static_cast<const KaimeStat*>(cols[c])->TensuGoukei);
        }
        q.appendTo(pc);
    }
    {
        QuotedLine q;
        q.text("回収金額");
        for (auto* s : cols) q.number(s->HaitoGoukei);
        q.appendTo(pc);
    }
    {
        QuotedLine q;
        q.text("回収率");
        for (auto* s : cols) rate(q, s->KaishuRitsu);
        q.appendTo(pc);
    }
    const std::string dir = appFile(dirs::TEKICHU);
    makeDirs(dir);
    const std::string dayKey = st.run.dayKey(RaceIdx);
    days.replace(dayKey, joinPath(dir, dayKey + suffix::KAITEKI), kaiteki);
    days.replace(dayKey, joinPath(dir, dayKey + suffix::KAITEKI_PC), pc);
}

}  // namespace kv::pred
