// Damaged inputs, each through the step that first reads it: the step names
// the file, how many records or lines are damaged and the first of them, and
// what to do, and goes on; a folder in place of a file fails the step.
#include "hardening_rig.h"
#include "common/codetable.h"

using namespace kvhard;

namespace {

// A damaged input is named in the step's message: the file, how many records
// (or lines) are damaged and the first of them with what is wrong, and what
// to do; the step goes on. A folder where a file belongs is an unreadable
// file. Intact files are not mentioned.
TEST(DamagedInputs, AreNamedWithTheirFirstDamagedRecord) {
    kvtest::TempDir root;
    const std::string app = copyOf(Built::resultWeek(), root);  // with the results: the history's day files
    ASSERT_FALSE(app.empty());
    std::string dayFile;
    for (const auto& n : kv::listFiles(app + "/TEKICHU"))
        if (n.size() == 25 && n.substr(14) == "tekichu.txt") dayFile = "TEKICHU/" + n;
    ASSERT_FALSE(dayFile.empty());
    const std::string exFile = "UMAGOTOEXTHISWEEKN/" + kv::listFiles(app + "/UMAGOTOEXTHISWEEKN").front();
    const long long se = kv::fileSize(app + "/SETHISWEEKN.dat");
    const long long o2 = kv::fileSize(app + "/O2THISWEEKN.dat");
    const auto cutAt = [](std::size_t n) { return [n](std::string& b) { b.resize(n); }; };
    const auto feedDir = [](const char* folder) { return std::string(kv::dirs::JVFEED) + "/" + folder + "/"; };
    const std::string week = feedDir(kv::feed::WEEK), odds = feedDir(kv::feed::ODDS),
                      liveOdds = feedDir(kv::feed::LIVE_ODDS);

    const auto blankLine2 = [](std::string& b) {  // its value to blanks of its width
        const std::size_t at = b.find('\n') + 1;
        b.replace(at, b.find('\r', at) - at, b.find('\r', at) - at, ' ');
    };
    struct Case {
        const char* kind;
        const char* step;
        std::string file;
        std::function<void(std::string&)> damage;  // none: a folder in place of the file
        std::string said;                           // part of the message ("" : nothing about the file)
        bool fails = false;                         // the step fails for the damage (a horse not calculated)
    };
    const std::string se1 = "SETHISWEEKN.dat に壊れたレコードが ";
    const std::string codeTable = kv::files::CODE_TABLE;
    const std::string codeLines = [&] {
        const std::string b = *kv::readFileBytes(app + "/" + codeTable);
        return std::to_string(std::count(b.begin(), b.end(), '\n'));
    }();
    const std::string codeRedo = "JRACODE フォルダの CodeTable.csv を入れ直して下さい。";
    const std::string kishu = std::string(kv::dirs::OPTION1N) + "/" + kv::option1n::KISHUSEISEI;
    const long long kishuRecords = kv::fileSize(app + "/" + kishu) / 121;
    const std::string statRedo = "OPTION1N フォルダの統計ファイルを入れ直して下さい。";
    // A horse's runs, its entry last: the entry's time of the last three furlongs with a letter.
    const std::string horse = exFile.substr(19, 10), runFile = "UMAGOTOTHISWEEKN/" + horse + ".dat";
    const std::string runs = *kv::readFileBytes(app + "/" + runFile);
    const std::size_t runRecords = runs.size() / 555;
    const std::string lastThree = runs.substr((runRecords - 1) * 555 + 390, 1) + "A" + runs.substr((runRecords - 1) * 555 + 392, 1);
    // The day files of the results: the number of lines of one, a place after
    // the n-th comma of its line (1-based), how to make one again.
    const std::string dayOf = dayFile.substr(0, 22), historyDay = "history-day --day=" + dayFile.substr(8, 14);
    const auto linesOf = [&](const std::string& file) {
        const std::string b = *kv::readFileBytes(app + "/" + file);
        return std::to_string(std::count(b.begin(), b.end(), '\n'));
    };
    const auto lineOf = [&](const std::string& file, const std::string& text) {  // where text first stands
        const std::string b = *kv::readFileBytes(app + "/" + file);
        return std::to_string(std::count(b.begin(), b.begin() + static_cast<long>(b.find(text)), '\n') + 1);
    };
    const auto afterComma = [](const std::string& b, std::size_t lineStart, int n) {
        std::size_t at = lineStart;
        for (int k = 0; k < n; ++k) at = b.find(',', at) + 1;
        return at;
    };
    const auto lineStart = [](const std::string& b, int line) {
        std::size_t at = 0;
        for (int k = 1; k < line; ++k) at = b.find('\n', at) + 1;
        return at;
    };
    const std::string redo = "⑥予想・結果をやり直して下さい。";
    const Case cases[] = {
        {"cut inside a record", "structure", "SETHISWEEKN.dat", cutAt(static_cast<std::size_t>(se - 100)),
         se1 + "1 件あります（最初: " + std::to_string((se - 100) / 555 + 1) +
             " 件目、ファイルがレコードの途中で終わっています）。①今週開催取得をやり直して下さい。"},
        {"zeroed region", "structure", "SETHISWEEKN.dat",
         [](std::string& b) { std::fill(b.begin() + 555 * 10 + 11, b.begin() + 555 * 10 + 300, '\0'); },
         se1 + "1 件あります（最初: 11 件目、レースキーが数字ではありません）"},
        {"garbage inserted", "structure", "SETHISWEEKN.dat", [](std::string& b) { b.insert(555 * 4, "\xFF\xFFgarbage"); },
         "（最初: 5 件目、レコードの終わり（CR LF）が有りません）"},
        {"key digits to letters", "structure", "SETHISWEEKN.dat", [](std::string& b) { b.replace(555 * 2 + 28, 2, "AB"); },
         se1 + "1 件あります（最初: 3 件目、馬番が数字ではありません）"},
        {"empty", "structure", "SETHISWEEKN.dat", cutAt(0), "SETHISWEEKN.dat は壊れています（ファイルが空です）"},
        {"intact", "structure", "SETHISWEEKN.dat", [](std::string&) {}, ""},
        {"repeated", "odds-tables", "O2THISWEEKN.dat", [](std::string& b) { b += b; },
         "O2THISWEEKN.dat で繰り返されたレコード " + std::to_string(o2 / 2042) + " 件を読み飛ばしました"},
        {"intact", "odds-tables", "O2THISWEEKN.dat", [](std::string&) {}, ""},
        {"cut inside its last line's label", "history-search", dayFile,
         [](std::string& b) { b.resize(b.rfind('\n', b.size() - 3) + 4); },
         dayFile + " に壊れた行が 1 行あります（最初: " + linesOf(dayFile) + " 行目、引用符が対になっていません）。" + redo},
        {"NUL byte", "predict", "JRACODE/CodeTable.csv",
         [](std::string& b) { b[b.find('\n') + 3] = '\0'; }, "JRACODE/CodeTable.csv に壊れた行が 1 行あります（最初: 2 行目、NUL バイトが有ります）"},
        {"502 rows", "predict", codeTable,
         [](std::string& b) {
             const std::string row = b.substr(0, b.find('\n') + 1);
             while (std::count(b.begin(), b.end(), '\n') < kv::CodeTable::kRows + 1) b += row;
         },
         codeTable + " に壊れた行が 1 行あります（最初: 502 行目、行が多すぎます）。" + codeRedo},
        {"a quote that does not pair", "predict", codeTable, [](std::string& b) { b.insert(b.find('\n') + 3, "\""); },
         codeTable + " に壊れた行が 1 行あります（最初: 2 行目、引用符が対になっていません）。" + codeRedo},
        {"folder in place", "history-search", dayFile, nullptr, "読み込めなかったファイルが 1 件あります（最初: " + dayFile},
        {"folder in place", "predict", exFile, nullptr, "読み込めなかったファイルが 1 件あります（最初: " + exFile},
        {"folder in place", "fetch", week + kv::listFiles(app + "/" + week).front(), nullptr,
         "読み込めなかったファイル"},
        // The downloads, as they receive the feed.
        {"key digits to letters", "fetch",
         week + kv::listFiles(app + "/" + week).back(),
         [](std::string& b) { b.replace(719 + 13, 2, "AB"); },
         "に壊れたレコードが 1 件あります（最初: 2 件目、HR レコード、レースキーが数字ではありません）。①今週開催取得をやり直して下さい。"},
        {"zeroed region", "odds-fetch",
         odds + kv::listFiles(app + "/" + odds).front(),
         [](std::string& b) { std::fill(b.begin() + 962 + 100, b.begin() + 962 + 200, '\0'); },
         "に壊れたレコードが 1 件あります（最初: 2 件目、O2 レコード、NUL バイトが有ります）。「今週のオッズ」をやり直して下さい。"},
        {"repeated", "odds-fetch-trifecta",
         odds + kv::listFiles(app + "/" + odds).front(),
         [](std::string& b) { b += b; },
         "に壊れたレコードが 5 件あります（最初: 6 件目、ファイルの最初のレコードから繰り返されています）。「今週の3連単」をやり直して下さい。"},
        {"empty", "live-odds", liveOdds + kv::listFiles(app + "/" + liveOdds).back(), cutAt(0),
         " は壊れています（ファイルが空です）。「Ⅱ　速報オッズ情報」をやり直して下さい。"},
        // The history, code table, run, jockey and weight readers.
        {"rate to letters",
         [&] {
             static std::string step;  // lives as long as the table
             step = "history-day --day=" + dayFile.substr(8, 14);
             return step.c_str();
         }(),
         dayFile.substr(0, 22) + "kaiteki.txt",
         [](std::string& b) {
             std::size_t at = 0;
             for (int line = 1; line < 4; ++line) at = b.find('\n', at) + 1;
             b[b.find(',', at) + 1] = 'A';
         },
         "kaiteki.txt に壊れた行が 1 行あります（最初: 4 行目、率が数字ではありません）。⑥予想・結果をやり直して下さい。"},
        {"a day header without its year", "history-search", dayFile,
         [](std::string& b) { b.replace(0, b.find(','), "\"\""); },
         "tekichu.txt に壊れた行が 1 行あります（最初: 1 行目、日付が有りません）"},
        {"a hit position to letters", "history-search", dayFile,
         [&](std::string& b) {
             const std::size_t at = afterComma(b, lineStart(b, 6), 1);
             b.replace(at, b.find(',', at) - at, "\"A 1\"");
         },
         "tekichu.txt に壊れた行が 1 行あります（最初: 6 行目、予想順と人気が数字ではありません）"},
        // A value lost or added shifts every later row of a file read as one
        // stream of values; the history converts some values to numbers.
        {"cut inside a line", historyDay.c_str(), dayOf + kv::suffix::TEKICHU_PC,
         [&](std::string& b) { b.resize(afterComma(b, b.rfind('\n', b.size() - 3) + 1, 3) - 1); },
         dayOf + kv::suffix::TEKICHU_PC + " に壊れた行が 1 行あります（最初: " + linesOf(dayOf + kv::suffix::TEKICHU_PC) +
             " 行目、値の数が行に揃っていません）。" + redo},
        {"a line of binary bytes", historyDay.c_str(), dayOf + kv::suffix::KAITEKI_PC,
         [&](std::string& b) {
             const std::size_t at = lineStart(b, 5);
             b.replace(at, b.find('\r', at) - at, "\xFF\xFE\x80\xA0\xFD");
         },
         dayOf + kv::suffix::KAITEKI_PC + " に壊れた行が 2 行あります（最初: 5 行目、文字でないバイトが有ります）。" + redo},
        {"3 of a line's 7 values", historyDay.c_str(), dayOf + kv::suffix::KAITEKI,
         [&](std::string& b) {
             const std::size_t at = afterComma(b, lineStart(b, 9), 3) - 1;
             b.erase(at, b.find('\r', at) - at);
         },
         dayOf + kv::suffix::KAITEKI + " に壊れた行が 1 行あります（最初: 9 行目、ファイルが値の途中で終わっています）。" + redo},
        {"distance to letters", "history-search", dayOf + kv::suffix::LUP_RCM,
         [&](std::string& b) { b[afterComma(b, b.find("\"RC\""), 9) + 1] = 'A'; },
         dayOf + kv::suffix::LUP_RCM + " に壊れた行が 1 行あります（最初: 3 行目、距離が数字ではありません）。" + redo},
        {"time to letters", "history-search", dayOf + kv::suffix::LUP_RCM,
         [&](std::string& b) { b[afterComma(b, b.find("\"HS\""), 13) + 1] = 'A'; },
         dayOf + kv::suffix::LUP_RCM + " に壊れた行が 1 行あります（最初: 5 行目、推定タイムが数字ではありません）。" + redo},
        {"a runner's line cut short", "history-search", dayOf + kv::suffix::LUP_RCM,
         [&](std::string& b) {
             const std::size_t at = afterComma(b, b.find("\"HS\""), 14) - 1;
             b.erase(at, b.find('\r', at) - at);
         },
         dayOf + kv::suffix::LUP_RCM + " に壊れた行が 1 行あります（最初: 5 行目、値が足りません）。" + redo},
        {"a hit's payout to letters", "big-payouts", dayOf + kv::suffix::LUP_RCM,
         [&](std::string& b) { b[afterComma(b, b.find("\"AT\""), 5) + 1] = 'A'; },
         dayOf + kv::suffix::LUP_RCM + " に壊れた行が 1 行あります（最初: " + lineOf(dayOf + kv::suffix::LUP_RCM, "\"AT\"") +
             " 行目、配当が数字ではありません）。" + redo},
        {"a quote that does not pair", "big-payouts", dayOf + kv::suffix::LUP_RCM,
         [](std::string& b) { b.insert(b.find("\"RC\"") + 6, "\""); },
         dayOf + kv::suffix::LUP_RCM + " に壊れた行が 1 行あります（最初: 3 行目、引用符が対になっていません）。" + redo},
        // The code table: one stream of values, eight a row, as many rows as it holds.
        {"a value lost", "big-payouts", codeTable, [](std::string& b) { b.erase(b.find('\n') + 1, 7); },
         codeTable + " に壊れた行が 1 行あります（最初: " + codeLines + " 行目、値の数が行に揃っていません）。" + codeRedo},
        // The statistics files: records of text.
        {"NUL bytes", "calculate", kishu, [](std::string& b) { std::fill(b.begin() + 121 + 5, b.begin() + 121 + 9, '\0'); },
         kishu + " に壊れたレコードが 1 件あります（最初: 2 件目、NUL バイトが有ります）。" + statRedo},
        {"bytes that are no text in every record", "calculate", kishu,
         [](std::string& b) {
             for (std::size_t at = 0, k = 0; at + 121 <= b.size(); at += 121, ++k) b[at + 20] = k % 2 ? '\x80' : '\xFF';
         },
         kishu + " に壊れたレコードが " + std::to_string(kishuRecords) + " 件あります（最初: 1 件目、文字でないバイトが有ります）。" +
             statRedo},
        // A time of a run that holds no number: the horse is not calculated, for its data.
        {"a letter in the last three furlongs' time", "calculate", runFile,
         [&](std::string& b) { b[(runRecords - 1) * 555 + 391] = 'A'; },
         "計算できなかった馬が 1 頭あります（最初: " + horse + "、後3ハロンタイム「" + lastThree +
             "」が数字ではありません）。" + runFile + " に壊れたレコードが 1 件あります（最初: " +
             std::to_string(runRecords) + " 件目、後3ハロンタイムが数字ではありません）。②構造・中止処理をやり直して下さい。"
             "②構造・中止処理をやり直してから、⑤計算をやり直して下さい。",
         true},
        {"horse number to letters", "fix-previous-day", "UMAGOTOTHISWEEKN/" + exFile.substr(19, 10) + ".dat",
         [](std::string& b) { b.replace(28, 2, "AB"); },
         "に壊れたレコードが 1 件あります（最初: 1 件目、馬番が数字ではありません）。②構造・中止処理をやり直して下さい。"},
        {"zeroed region", "calculate", "UMAGOTOTHISWEEKN/" + exFile.substr(19, 10) + ".dat",
         [](std::string& b) { std::fill(b.begin() + 40, b.begin() + 100, '\0'); },
         "に壊れたレコードが 1 件あります（最初: 1 件目、NUL バイトが有ります）"},
        {"jockey code to blanks", "calculate", "KSTHISWEEKN.dat", [](std::string& b) { b.replace(4161 + 11, 2, "  "); },
         "KSTHISWEEKN.dat に壊れたレコードが 1 件あります（最初: 2 件目、騎手コードが数字ではありません）"},
        {"empty", "calculate", "OPTION1N/KS20190101NEW.dat", cutAt(0),
         "KS20190101NEW.dat は壊れています（ファイルが空です）"},
        {"count to blanks", "calculate", "OPTION1N/SibaItemCategoryCount201901N2025.dat",
         [](std::string& b) {
             const std::size_t at = b.find('\n') + 1;
             b.replace(at, b.find('\r', at) - at, b.find('\r', at) - at, ' ');
         },
         "SibaItemCategoryCount201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、件数が数字ではありません）"},
        {"weight to blanks", "calculate", "OPTION1N/QA1SibaAgariWeightData201901N2025.dat",
         blankLine2,
         "QA1SibaAgariWeightData201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、ウエイトが数字ではありません）"},
        {"total to blanks", "calculate", "OPTION1N/QA1SibaTotalData201901N2025.dat",
         blankLine2,
         "QA1SibaTotalData201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、項目数が数字ではありません）"},
        {"a quote that does not pair", "calculate", "OPTION1N/DirtItemCategory201901N2025.dat",
         [](std::string& b) { b.insert(b.find('\n') + 4, "\""); },
         "DirtItemCategory201901N2025.dat に壊れた行が 1 行あります（最初: 2 行目、引用符が対になっていません）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " " + c.file + ": " + c.kind);
        const std::string path = app + "/" + c.file;
        const std::string kept = *kv::readFileBytes(path);
        if (c.damage) {
            std::string bytes = kept;
            c.damage(bytes);
            ASSERT_TRUE(kv::writeFileAtomic(path, bytes));
        } else {
            fs::remove(path);
            fs::create_directory(path);
        }
        const Cli r = cli(app, c.step);
        if (c.said.empty()) {
            EXPECT_EQ(r.err.find("壊れ"), std::string::npos) << r.err;
        } else {
            EXPECT_NE(r.err.find("MSG: "), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        }
        EXPECT_EQ(r.code, c.damage && !c.fails ? 0 : 1)
            << (c.damage ? "damaged but readable: the step goes on" : "unreadable: the step fails");
        fs::remove_all(path);
        ASSERT_TRUE(kv::writeFileAtomic(path, kept));
    }
}

}  // namespace
