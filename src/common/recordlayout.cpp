// The registry of layouts: which layout a file's name calls for.
#include "common/recordlayout.h"

#include <deque>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/codetable.h"
#include "common/exrecord.h"

namespace kv {
namespace {

struct Entry {
    std::string folder;  // empty: any folder
    std::string name;  // the file name, or its end when `suffix`
    bool suffix = false;
    RecordLayout layout;
};

Entry parse(const std::string& pattern) {
    Entry e;
    std::string rest = pattern;
    const auto slash = rest.rfind('/');
    if (slash != std::string::npos) {
        e.folder = rest.substr(0, slash);
        rest = rest.substr(slash + 1);
    }
    if (!rest.empty() && rest.front() == '*') {
        e.suffix = true;
        rest.erase(0, 1);
    }
    e.name = rest;
    return e;
}

std::mutex gMu;
unsigned gVersion = 0;  // counts the registrations that added an entry

// The program's own files whose layouts live here; the week's record files
// are registered by their layouts (acquisition/jvdata).
std::vector<Entry> ownFiles() {
    std::vector<Entry> out;
    auto add = [&out](const std::string& pattern, RecordLayout l) {
        Entry e = parse(pattern);
        e.layout = std::move(l);
        out.push_back(std::move(e));
    };
    // Expanded run records: the identity members are text, the rest holds Singles.
    RecordLayout ex;
    ex.length = exrec::kLength;
    ex.crlf = true;
    ex.digits = {{exrec::RaceId, "レースキー", "race key"},
                 {exrec::Umaban, "馬番", "horse number"},
                 {exrec::KettoNum, "血統登録番号", "registration number"}};
    ex.action = "⑤計算をやり直して下さい。";
    add(std::string(dirs::UMAGOTOEX) + "/*" + suffix::EX, ex);
    // The lists of registration numbers, one quoted number a line (a number
    // listed again is passed over and noted by the lists' reader).
    RecordLayout list;
    list.length = 14;
    list.crlf = true;
    list.text = true;
    list.digits = {{Field{1, 10}, "登録番号", "registration number"}};
    list.action = "②構造・中止処理をやり直して下さい。";
    add(files::KETTONUM_LIST, list);
    add(files::HAHA_LIST, list);
    // Text files of lines.
    RecordLayout lines;
    lines.text = true;
    // Quoted-value files, never written empty.
    RecordLayout fields = lines;
    fields.fieldForm = true;
    fields.needsRecords = true;
    // The code table: one stream of fields, eight a row, each row starting
    // with its table's number; the rows past those the table holds are never
    // read.
    RecordLayout codes = fields;
    codes.rowFields = CodeTable::kCols;
    codes.maxLines = CodeTable::kRows;
    codes.lineFields = {{"", 0, 0, 0, 0, LineField::Digits, false, "表番号", "table number"}};
    codes.action = "JRACODE フォルダの CodeTable.csv を入れ直して下さい。";
    add(files::CODE_TABLE, codes);
    // The day files of the results, as their writers lay them out: a day
    // header ("2025年", "11月", "08日", "5回", course, "3日目") first.
    fields.action = "⑥予想・結果をやり直して下さい。";
    const LineField dayHeader[] = {{"", 1, 1, 0, 3, LineField::Counted, false, "日付", "date"},
                                   {"", 1, 1, 5, 5, LineField::Counted, false, "日次", "day number"}};
    // Then four lines a race (as many races as the day's payouts hold; the
    // lines past those the hit list shows are not read): the payouts are
    // digits or empty, the combinations and the ranks numbers.
    RecordLayout hits = fields;
    hits.lineFields = {dayHeader[0],
                       dayHeader[1],
                       {toCp932("    配当"), 0, 0, 1, 7, LineField::Digits, true, "配当", "payout"},
                       {toCp932("    当目"), 0, 0, 1, 7, LineField::Combination, true, "組番", "combination"},
                       {toCp932("    予人"), 0, 0, 1, 7, LineField::Pair, true, "予想順と人気", "rank and favour"}};
    add(std::string(dirs::TEKICHU) + "/*" + suffix::TEKICHU, hits);
    RecordLayout rates = fields;  // then two lines of titles and six rates for each of six bet kinds
    rates.maxLines = 9;
    rates.lineFields = {dayHeader[0], dayHeader[1], {"", 4, 9, 1, 6, LineField::Number, true, "率", "rate"}};
    add(std::string(dirs::TEKICHU) + "/*" + suffix::KAITEKI, rates);
    // Lines tagged by their first field; the start time and the distance of
    // a race are its record's text as delivered, blanks included.
    RecordLayout races = fields;
    races.lineFields = {
        {"DY", 0, 0, 2, 2, LineField::Digits, false, "日付", "date"},
        {"PL", 0, 0, 2, 2, LineField::Digits, false, "回次", "meeting number"},
        {"PL", 0, 0, 4, 4, LineField::Digits, false, "日次", "day number"},
        {"RC", 0, 0, 1, 1, LineField::Digits, false, "レース番号", "race number"},
        {"RC", 0, 0, 3, 3, LineField::Digits, false, "レース番号", "race number"},
        {"HS", 0, 0, 1, 1, LineField::Digits, false, "順位", "rank"},
        {"HS", 0, 0, 3, 3, LineField::Padded, false, "馬番", "horse number"},
        {"HS", 0, 0, 4, 4, LineField::Padded, false, "予想順位", "predicted rank"},
        {"Q1", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q2", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q3", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q4", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"AT", 0, 0, 1, 2, LineField::Digits, false, "的中番号", "hit number"},
        {"AT", 0, 0, 4, 4, LineField::Combination, false, "組番", "combination"},
        {"AT", 0, 0, 5, 5, LineField::Digits, true, "配当", "payout"},
        {"MS*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"MS*", 0, 0, 2, 2, LineField::Combination, false, "組番", "combination"},
        {"MU*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"MU*", 0, 0, 2, 2, LineField::Combination, false, "組番", "combination"},
        {"PS*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"PS*", 0, 0, 2, 8, LineField::Combination, true, "組番", "combination"},
        {"PU*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"PU*", 0, 0, 2, 4, LineField::Combination, true, "組番", "combination"},
        {"KK", 0, 0, 1, 1, LineField::Digits, false, "券種番号", "bet kind number"},
        {"KS", 0, 0, 1, 1, LineField::Digits, false, "券種番号", "bet kind number"},
    };
    add(std::string(dirs::TEKICHU) + "/*" + suffix::LUP_RCM, races);
    // The factor weight tables and their item categories: streams of values
    // whose number the totals give; their reader checks the values it takes.
    RecordLayout tables = lines;
    tables.rowFields = 1;
    tables.action = "予想因子ウエイトを展開し直して下さい。";
    add(std::string(dirs::OPTION1N) + "/*" + option1n::WEIGHT_END, tables);
    return out;
}

std::deque<Entry>& entries() {
    // A deque: a layout handed out stays where it is while others are added.
    static std::deque<Entry> e = [] {
        std::vector<Entry> own = ownFiles();
        return std::deque<Entry>(own.begin(), own.end());
    }();
    return e;
}

bool endsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

void registerRecordLayout(const std::string& pattern, RecordLayout layout) {
    Entry e = parse(pattern);
    e.layout = std::move(layout);
    std::lock_guard<std::mutex> lock(gMu);
    for (auto& old : entries())
        if (old.folder == e.folder && old.name == e.name && old.suffix == e.suffix) {
            old.layout = std::move(e.layout);
            return;
        }
    entries().push_back(std::move(e));
    ++gVersion;
}

namespace {

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Where to look for a file name: the entries of each whole name and those of
// name endings, in the order of the entries (the first that matches wins).
struct Index {
    std::unordered_map<std::string, std::vector<std::size_t>, NameHash, std::equal_to<>> byName;
    std::vector<std::size_t> bySuffix;
};

// Called with gMu held.
const Index& index() {
    static Index ix;
    static unsigned version = ~0u;
    if (version != gVersion) {
        ix = Index();
        std::size_t i = 0;
        for (const auto& e : entries()) {
            if (e.suffix)
                ix.bySuffix.push_back(i);
            else
                ix.byName[e.name].push_back(i);
            ++i;
        }
        version = gVersion;
    }
    return ix;
}

}  // namespace

const RecordLayout* recordLayoutFor(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string_view folder;
    if (slash != std::string_view::npos) {
        folder = path.substr(0, slash);
        const auto up = folder.rfind('/');
        if (up != std::string_view::npos) folder = folder.substr(up + 1);
    }
    std::lock_guard<std::mutex> lock(gMu);
    const Index& ix = index();
    const auto& all = entries();  // entries are never removed nor moved
    std::size_t best = all.size();
    if (auto it = ix.byName.find(name); it != ix.byName.end())
        for (std::size_t i : it->second)
            if (all[i].folder.empty() || all[i].folder == folder) {
                best = i;
                break;
            }
    for (std::size_t i : ix.bySuffix) {
        if (i >= best) break;
        const Entry& e = all[i];
        if ((e.folder.empty() || e.folder == folder) && endsWith(name, e.name)) {
            best = i;
            break;
        }
    }
    return best < all.size() ? &all[best].layout : nullptr;
}

}  // namespace kv
