// Run mode and race index.
#include <unordered_map>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "prediction/run_stages.h"

namespace kv::pred {

namespace {

namespace ra = kv::jv::RaRecord;
namespace hr = kv::jv::HrRecord;

std::string raw(std::string_view rec, Field f) { return getField(rec, f); }
std::string text(std::string_view rec, Field f) { return fromCp932(getField(rec, f)); }

std::string keyOf(std::string_view rec) {
    return raw(rec, ra::Year) + raw(rec, ra::MonthDay) + raw(rec, ra::JyoCD) + raw(rec, ra::RaceNum);
}

// The texts of one race record, looked up in the code table.
struct RaceTexts {
    std::string CourseName, RaceName, SyubetuText, JyokenText, GradeText, TrackChar, TenkoText, BabaText;
};

RaceTexts raceTexts(const RunConstants& run, std::string_view rec) {
    RaceTexts t;
    t.CourseName = run.LookupCodeTable("2001", raw(rec, ra::JyoCD), 4);
    std::string name = firstChars(text(rec, ra::Hondai), 12);
    bool allIdeographicBlanks = charCount(name) == 12;
    for (std::size_t i = 0; allIdeographicBlanks && i < 12; ++i)
        allIdeographicBlanks = midChars(name, i, 1) == "\u3000";
    t.RaceName = allIdeographicBlanks ? std::string() : name;
    t.JyokenText = run.LookupCodeTable("2007", raw(rec, ra::kJyokenCD.at(5)), 2);
    t.SyubetuText = run.LookupCodeTable("2005", raw(rec, ra::SyubetuCD), 4);
    t.GradeText = firstChars(run.LookupCodeTable("2003", raw(rec, ra::GradeCD), 2), 4);
    const std::string track = raw(rec, ra::TrackCD);
    t.TrackChar = firstChars(run.LookupCodeTable("2009", track, 3), 1);
    t.TenkoText = run.LookupCodeTable("2011", raw(rec, ra::TenkoCD), 2);
    const bool dirt = track >= "23" && track <= "29";
    t.BabaText = run.LookupCodeTable("2010", raw(rec, dirt ? ra::DirtBabaCD : ra::SibaBabaCD), 2);
    return t;
}

SyosaiRow syosaiRow(std::string_view rec, const RaceTexts& t) {
    SyosaiRow row{};
    row[0] = keyOf(rec);
    row[1] = formatInt(valLong(raw(rec, ra::RaceNum)));
    row[2] = text(rec, ra::HassoTime);
    row[3] = text(rec, ra::RaceNum);
    row[4] = t.RaceName;
    row[5] = t.SyubetuText;
    row[6] = t.JyokenText;
    row[7] = t.GradeText;
    row[8] = t.TrackChar;
    row[9] = text(rec, ra::Kyori);
    row[10] = "SD";
    row[11] = t.TenkoText + t.BabaText;
    return row;
}

std::string syosaiLine(const SyosaiRow& row) {
    QuotedLine q;
    for (int c = 0; c < 12; ++c) q.text(row[static_cast<std::size_t>(c)]);
    return q.line();
}

// The list item of a race; the id parts come from a race or payout record
// (both carry the race id at the same place).
std::string listItem(std::string_view rec, const std::string& courseName, bool resultMode) {
    const std::string year = text(rec, ra::Year), md = text(rec, ra::MonthDay), jyo = text(rec, ra::JyoCD);
    const std::string rn = text(rec, ra::RaceNum);
    return year + "年" + md.substr(0, 2) + "月" + md.substr(2) + "日" + jyo + courseName + text(rec, ra::Kaiji) +
           "回" + text(rec, ra::Nichiji) + "日" + rn + "R" + std::string(resultMode ? 10 : 9, ' ') + year + md +
           jyo + rn;
}

}  // namespace

std::int16_t decideMode(const std::vector<std::string>& raRecords) {
    return raRecords.empty() ? 0 : modeOfDataKind(fieldView(raRecords.back(), ra::DataKubun));
}
std::int16_t modeOfDataKind(std::string_view lastDataKubun) { return lastDataKubun == "7" ? 1 : 0; }

void buildRaceIndex(WindowState& st, const std::vector<std::string_view>& raRecords,
                    const std::vector<std::string_view>& hrRecords) {
    RunConstants& run = st.run;
    run.RaceCount = 0;
    run.RaceKeyList.assign(1, std::string());
    run.RaceIdList.assign(1, std::string());
    run.Syosai.assign(1, SyosaiRow{});
    st.List1.clear();

    std::string indexText, syosaiText, raceIdText;
    std::string_view lastRa;  // the last race record taken
    if (run.KekkaMode == 0) {
        for (const std::string_view rec : raRecords) {
            const std::string_view kind = fieldView(rec, ra::DataKubun);
            if (!(kind >= "2" && kind <= "6")) continue;
            lastRa = rec;
            ++run.RaceCount;
            const RaceTexts t = raceTexts(run, rec);
            const std::string key = keyOf(rec);
            run.RaceKeyList.push_back(key);
            run.RaceIdList.push_back(raw(rec, ra::RaceId));
            raceIdText += raw(rec, ra::RaceId) + "\r\n";
            QuotedLine().textRaw(key).appendTo(indexText);
            SyosaiRow row = syosaiRow(rec, t);
            syosaiText += syosaiLine(row);
            run.Syosai.push_back(std::move(row));
            st.List1.push_back(listItem(rec, t.CourseName, false));
        }
    } else {
        for (const std::string_view rec : hrRecords) {
            ++run.RaceCount;
            const std::string course = run.LookupCodeTable("2001", raw(rec, hr::JyoCD), 4);
            const std::string key =
                raw(rec, hr::Year) + raw(rec, hr::MonthDay) + raw(rec, hr::JyoCD) + raw(rec, hr::RaceNum);
            run.RaceKeyList.push_back(key);
            run.RaceIdList.push_back(raw(rec, hr::RaceId));
            QuotedLine().textRaw(key).appendTo(indexText);
            st.List1.push_back(listItem(rec, course, true));
            // Until its race record is found, a race's row holds what its key tells.
            SyosaiRow row{};
            row[0] = fromCp932(key);
            row[1] = formatInt(valLong(raw(rec, hr::RaceNum)));
            row[3] = fromCp932(raw(rec, hr::RaceNum));
            row[10] = "SD";
            run.Syosai.push_back(std::move(row));
        }
        // Each race's row comes from the race record of its own key (the last
        // one in the file when there are several).
        std::unordered_map<std::string, std::vector<int>> racesOfKey;
        for (int i = 1; i <= run.RaceCount; ++i) racesOfKey[run.RaceKeyList[static_cast<std::size_t>(i)]].push_back(i);
        for (const std::string_view rec : raRecords) {
            auto it = racesOfKey.find(keyOf(rec));
            if (it == racesOfKey.end()) continue;
            lastRa = rec;
            const RaceTexts t = raceTexts(run, rec);
            for (int j : it->second) {
                raceIdText += raw(rec, ra::RaceId) + "\r\n";
                run.Syosai[static_cast<std::size_t>(j)] = syosaiRow(rec, t);
            }
        }
        for (int i = 1; i <= run.RaceCount; ++i) syosaiText += syosaiLine(run.Syosai[static_cast<std::size_t>(i)]);
    }

    if (!lastRa.empty()) st.RaRec.assign(lastRa);
    writeRunFile(st, appFile(files::RACE_INDEX), indexText);
    writeRunFile(st, appFile(files::RACE_SYOSAI), syosaiText);
    makeDirs(appFile(dirs::SOKUDO));
    writeRunFile(st, appFile(std::string(dirs::SOKUDO) + "/" + infolder::RACEID), raceIdText);
}

}  // namespace kv::pred
