#include "racefiles/twi_file.h"

#include "betlines/combo_text.h"
#include "betlines/line_helpers.h"
#include "betlines/lup_files.h"
#include "common/appfolder.h"
#include "common/quoted.h"
#include "racefiles/payout_matches.h"
#include "racefiles/race_lines.h"
#include "prediction/writer.h"

namespace kv::racefiles {

namespace {

const char* const kTierWord[] = {"本線", "準本線", "伏兵"};

// The part of an AT label after the tier word and number.
std::string labelSuffix(const PayoutMatch& m, int tier) {
    switch (m.kind) {
        case BetKind::Umatan: return m.order == 1 ? "正順 的中" : "逆順 的中";
        case BetKind::Sanrentan: {
            const std::string o = "第" + std::to_string(m.order) + "順";
            return tier == 0 && m.order >= 3 ? o + "的中 " : o + " 的中";
        }
        default: return "点目 的中";
    }
}

}  // namespace

std::string twiRrLine(bool resultMode, bool flat) {
    static constexpr bet::RrTitles kFull{"連番", "枠番", "馬番", "予順", "人気", "入線"};
    return bet::rrLine(resultMode, flat, kFull);
}

namespace {
const std::string& twiRrLineText(bool resultMode, bool flat) {
    static const std::string lines[4] = {twiRrLine(false, false), twiRrLine(false, true), twiRrLine(true, false),
                                         twiRrLine(true, true)};
    return lines[(resultMode ? 2 : 0) + (flat ? 1 : 0)];
}
}  // namespace

void WriteTwiTekichuLines(std::string_view rec, const bet::KaimeLists& lists, std::string& out) {
    int hitNumber = 0;
    forEachPayoutMatch(rec, lists, {}, [&](const PayoutMatch& m) {
        ++hitNumber;
        const BetTier t = betTierOf(m.position, perTierOf(m.kind));
        if (t.tier < 0) return;
        const char* kind = "";
        std::string combo;
        switch (m.kind) {
            case BetKind::Umaren: kind = "馬連", combo = FormatUmarenKumi(m.kumi); break;
            case BetKind::Wide: kind = "ワイド", combo = FormatUmarenKumi(m.kumi); break;
            case BetKind::Umatan: kind = "馬単", combo = FormatUmatanKumi(m.kumi); break;
            case BetKind::Sanrenpuku: kind = "3連複", combo = FormatSanrenpukuKumi(m.kumi); break;
            case BetKind::Sanrentan: kind = "3連単", combo = FormatSanrentanKumi(m.kumi); break;
        }
        QuotedLine()
                   .text("AT")
                   .text(std::to_string(hitNumber))
                   .text(kind)
                   .text(kTierWord[t.tier] + std::to_string(t.number) + labelSuffix(m, t.tier))
                   .text(combo)
                   .text(FormatHaito(m.pay))
                   .appendTo(out);
    });
}

void TwiRaceBlockWriter::writeRace(pred::WindowState& st, int RaceIdx) {
    const bool result = st.run.KekkaMode != 0;
    const pred::RaceState& race = st.race;
    const std::string raceId = raceIdOf(st);
    writeDayBlock(st, raceId, dirs::TEKICHU, result ? suffix::TWI_RCM : suffix::TWI, [&](std::string& block) {
        block += bet::rcLine(st.run.Syosai.at(static_cast<std::size_t>(RaceIdx)));
        block += twiRrLineText(result, bet::isFlatTrack(race.RaceHorseRec.get(rh::TrackCD.at(0))));
        forEachInPredictedOrder(st, [&](int r, int h) { bet::appendHsLine(st, h, r, block); });
        if (result && bet::payoutMatchesRace(race.HrRec, raceId)) {
            // The race's seven hit records start without a hit here.
            for (pred::TekichuResult* t : {&st.kept.UmarenResult, &st.kept.Wide1Result, &st.kept.Wide2Result,
                                           &st.kept.Wide3Result, &st.kept.UmatanResult, &st.kept.SanrenpukuResult,
                                           &st.kept.SanrentanResult})
                *t = bet::noHitResult();
            WriteTwiTekichuLines(race.HrRec, bet::KaimeLists::of(race), block);
            bet::appendPayoutLines(race.HrRec, block);
        }
    });
}

std::unique_ptr<pred::Writer> makeTwiRaceBlockWriter() { return std::make_unique<TwiRaceBlockWriter>(); }

}  // namespace kv::racefiles
