// Legal forms of the supplied and stored files beside the one the writers
// and the sample week use: each reads silently, through every step that reads it.
#include "common/codec.h"
#include "hardening_rig.h"

using namespace kvhard;

namespace {

// Each line of a CP932 text file (line ends CR LF) through `f`.
std::string eachLine(const std::string& bytes, const std::function<std::string(const std::string&, std::size_t)>& f) {
    std::string out;
    std::size_t at = 0, n = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        out += f(bytes.substr(at, end - at), n++) + "\r\n";
        at = end + 2;
    }
    return out;
}

// A line without its quotes where the quoted-line rules give the same value
// back bare: no blank in front, no comma or quote inside.
std::string unquoted(const std::string& line) {
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') return line;
    const std::string v = line.substr(1, line.size() - 2);
    if (!v.empty() && (v.front() == ' ' || v.front() == '\t')) return line;
    if (v.find_first_of(",\"") != std::string::npos) return line;
    return v;
}

// A plain decimal number in exponent form of the same value, one digit before
// the point ("0.144" -> "1.44E-1", "2476" -> "2.476E3", "0" -> "0E0").
std::string exponentForm(const std::string& number) {
    std::string sign, s = number;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        sign = s.substr(0, 1);
        s.erase(0, 1);
    }
    const std::size_t point = std::min(s.find('.'), s.size());
    std::string digits = s.substr(0, point) + (point < s.size() ? s.substr(point + 1) : std::string());
    const std::size_t lead = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    digits.erase(0, lead);
    const long exponent = static_cast<long>(point) - 1 - static_cast<long>(lead);
    return sign + digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : std::string()) + "E" +
           std::to_string(exponent);
}

// Every group of `n` lines joined into one line by commas.
std::string joined(const std::string& bytes, std::size_t n) {
    std::string out;
    std::size_t k = 0;
    eachLine(bytes, [&](const std::string& l, std::size_t) {
        out += l;
        out += ++k % n == 0 ? "\r\n" : ",";
        return std::string();
    });
    if (!out.empty() && out.back() == ',') {  // the last group is short
        out.pop_back();
        out += "\r\n";
    }
    return out;
}

// Where each file under app stands: its inode and modification time.
using Stamps = std::map<std::string, std::pair<ino_t, std::int64_t>>;

Stamps stamps(const std::string& app) {
    Stamps out;
    for (const auto& e : fs::recursive_directory_iterator(app)) {
        struct stat st {};
        if (e.is_regular_file() && ::stat(e.path().c_str(), &st) == 0)
            out[fs::relative(e.path(), app).string()] = {st.st_ino,
                                                        st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    }
    return out;
}

// What a step did to app since `before`: the files it wrote (new or changed,
// with their bytes; the step record aside) and those it removed (empty bytes).
Snapshot written(const std::string& app, const Stamps& before) {
    Snapshot s;
    const Stamps now = stamps(app);
    for (const auto& [rel, at] : now) {
        const auto b = before.find(rel);
        if (rel != kv::files::STEPSTATE && (b == before.end() || b->second != at))
            s[rel] = *kv::readFileBytes(app + "/" + rel);
    }
    for (const auto& [rel, at] : before)
        if (!now.count(rel)) s[rel] = std::string();
    return s;
}

// Puts back the files of `base` that a step changed in app (and removes those
// it added), and the step record: the next step finds the road as it was.
void undo(const std::string& base, const std::string& app, const Snapshot& changed) {
    if (const auto steps = kv::readFileBytes(base + "/" + kv::files::STEPSTATE))
        ASSERT_TRUE(kv::writeFileAtomic(app + "/" + kv::files::STEPSTATE, *steps));
    for (const auto& [rel, bytes] : changed) {
        const auto was = kv::readFileBytes(base + "/" + rel);
        if (was)
            ASSERT_TRUE(kv::writeFileAtomic(app + "/" + rel, *was));
        else
            fs::remove(app + "/" + rel);
    }
}

// The forms the supplied and stored files may take besides the one the
// program's own writers and the sample week use: each loads as the untouched
// file does, the steps that read it write the same files and print the same
// texts, and no message names a file as damaged.
TEST(LegalInputs, LoadAsTheUntouchedFilesDoWithoutAWord) {
    kvtest::TempDir root;
    const std::string base = Built::resultWeek();
    ASSERT_FALSE(base.empty());
    const std::string app = copyOf(base, root);
    using Change = std::function<void(std::string&)>;
    namespace o = kv::option1n;
    const std::string opt = std::string(kv::dirs::OPTION1N) + "/", turf = opt + o::WEIGHT_TURF,
                      qa1 = opt + o::WEIGHT_QA1 + o::WEIGHT_TURF;
    const std::string total = qa1 + o::WEIGHT_TOTAL + o::WEIGHT_END, codes = turf + o::WEIGHT_CATEGORY + o::WEIGHT_END,
                      counts = turf + o::WEIGHT_CATEGORY_COUNT + o::WEIGHT_END;
    const std::vector<std::string> weights = {qa1 + o::WEIGHT_AGARI + o::WEIGHT_END, qa1 + o::WEIGHT_PACE + o::WEIGHT_END,
                                              qa1 + o::WEIGHT_SOHA + o::WEIGHT_END};
    std::vector<std::string> numbers = weights;
    numbers.push_back(counts);
    std::vector<std::string> perCategory = numbers;
    perCategory.push_back(codes);
    std::vector<std::string> tables = perCategory;
    tables.push_back(total);
    const std::string codeTable = kv::files::CODE_TABLE;
    std::string feedKs;  // the week's jockeys as the feed delivers them
    for (const auto& n : kv::listFiles(base + "/" + kv::dirs::JVFEED + "/" + kv::feed::WEEK))
        if (kv::readFileBytes(base + "/" + kv::dirs::JVFEED + "/" + kv::feed::WEEK + "/" + n)->substr(0, 2) == "KS")
            feedKs = std::string(kv::dirs::JVFEED) + "/" + kv::feed::WEEK + "/" + n;
    ASSERT_FALSE(feedKs.empty());
    const std::string runFile = std::string(kv::dirs::UMAGOTO) + "/" + kv::listFiles(base + "/" + kv::dirs::UMAGOTO).front();

    struct Case {
        const char* form;
        std::vector<std::string> files;
        Change change;
        std::vector<const char*> steps;
        // The form says other things than the untouched file (more races, a
        // key no runner has): what the steps write is not compared, and the
        // output shows this text where one is given.
        bool sameOutput = true;
        const char* shows = nullptr;
    };
    std::string dayKey;
    for (const auto& n : kv::listFiles(base + "/" + kv::dirs::TEKICHU))
        if (n.size() == 25 && n.substr(14) == kv::suffix::TEKICHU) dayKey = n.substr(0, 14);
    ASSERT_FALSE(dayKey.empty());
    const std::string day = std::string(kv::dirs::TEKICHU) + "/" + dayKey;
    static std::string historyDay;  // lives as long as the table
    historyDay = "history-day --day=" + dayKey;
    const std::vector<const char*> historySteps = {historyDay.c_str(), "history-search", "big-payouts"};
    // Line n (0-based) of a file through f.
    const auto onLine = [](std::size_t n, std::function<std::string(const std::string&)> f) {
        return [n, f](std::string& b) {
            b = eachLine(b, [&](const std::string& l, std::size_t i) { return i == n ? f(l) : l; });
        };
    };
    // Every value of a line but its first (its tag) as `v`.
    const auto allValues = [](const std::string& v) {
        return [v](const std::string& l) {
            std::string out = l.substr(0, l.find(','));
            for (std::size_t at = l.find(','); at != std::string::npos; at = l.find(',', at + 1)) out += "," + v;
            return out;
        };
    };
    // Every tag and number of a day file bare with blanks around it: a quoted
    // value of ASCII letters, digits and ".:+-" loses its quotes and every such
    // bare value gets a blank on each side, which the quoted-line reader trims.
    const auto bareWithBlanks = [](std::string& b) {
        b = eachLine(b, [](const std::string& l, std::size_t) {
            std::string out;
            for (std::size_t at = 0;;) {
                const std::size_t end = std::min(l.find(',', at), l.size());
                std::string v = l.substr(at, end - at);
                const bool quoted = v.size() >= 2 && v.front() == '"' && v.back() == '"';
                const std::string inner = quoted ? v.substr(1, v.size() - 2) : v;
                if (!inner.empty() && inner.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                              "0123456789.:+-") == std::string::npos)
                    v = " " + inner + " ";
                out += v;
                if (end == l.size()) return out;
                out += ',';
                at = end + 1;
            }
        });
    };
    const std::string stat = opt;
    // The factor window shows every category, count and weight of the tables as loaded.
    const std::vector<const char*> weightSteps = {"factor-weights --turf"};
    // The line of factor 12's first category in a per-category file: its weights
    // are the first values of the age chart, shown as the single's number text.
    std::size_t factor12 = 0;
    eachLine(*kv::readFileBytes(base + "/" + total), [&](const std::string& l, std::size_t i) {
        if (i < 11) factor12 += static_cast<std::size_t>(std::stoul(l));
        return l;
    });
    const auto eachNumber = [](std::function<std::string(const std::string&)> f) {
        return [f](std::string& b) { b = eachLine(b, [&](const std::string& l, std::size_t) { return f(l); }); };
    };
    const Case cases[] = {
        {"unquoted category codes", {codes}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) { return unquoted(l); });
         }, weightSteps},
        {"every other category code unquoted", {codes}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t i) { return i % 2 ? unquoted(l) : l; });
         }, weightSteps},
        {"a negative sample count", {counts}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t i) { return i == 1 ? std::string("-5") : l; });
         }, {"calculate"}},
        {"a negative sample count, shown", {counts}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t i) { return i == 1 ? std::string("-5") : l; });
         }, {"factor-weights --turf"}, false, "\t-5\t"},
        {"values after the 30th total", {total}, [](std::string& b) { b += "7\r\n\"x\"\r\n"; }, weightSteps},
        {"a value after those read", perCategory, [](std::string& b) { b += "\"x\"\r\n"; }, weightSteps},
        {"a table repeated past what is read", perCategory, [](std::string& b) { b += b; },
         {"factor-weights --turf", "calculate"}},
        {"two values a line", numbers, [](std::string& b) { b = joined(b, 2); }, weightSteps},
        {"three values a line", tables, [](std::string& b) { b = joined(b, 3); }, weightSteps},
        {"quoted counts and weights", numbers, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) { return '"' + l + '"'; });
         }, weightSteps},
        {"blanks before the values", numbers, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) { return "  " + l; });
         }, weightSteps},
        {"no line end after the last value", tables, [](std::string& b) { b.resize(b.size() - 2); }, weightSteps},
        // Numbers in every form a value-by-value read takes as one.
        {"weights in exponent form", weights, eachNumber(exponentForm), {"factor-weights --turf", "calculate"}},
        {"totals and counts in exponent form", {total, counts}, eachNumber(exponentForm),
         {"factor-weights --turf", "calculate"}},
        {"weights with a leading +", weights, eachNumber([](const std::string& l) { return l[0] == '-' ? l : "+" + l; }),
         {"factor-weights --turf", "calculate"}},
        {"a weight of another value in exponent form", {weights[0]},
         onLine(factor12, [](const std::string&) { return std::string("1E-05"); }), {"calculate"}, false},
        {"a weight of another value in exponent form, shown", {weights[0]},
         onLine(factor12, [](const std::string&) { return std::string("1E-05"); }), weightSteps, false, "\t0.00001\t"},
        {"code table rows over two lines", {codeTable}, [](std::string& b) {
             b = eachLine(b, [](std::string l, std::size_t) {
                 std::size_t at = 0;
                 for (int k = 0; k < 4; ++k) at = l.find(',', at) + 1;
                 return l.replace(at - 1, 1, "\r\n");
             });
         }, {"predict"}},
        {"code table unquoted, blanks after its commas", {codeTable}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) {
                 std::string out;
                 kv::InputReader in(l);
                 for (bool first = true;; first = false) {
                     const kv::InputReader::RawField f = in.nextRaw();
                     out += (first ? "" : ", ") + unquoted('"' + std::string(f.bytes) + '"');
                     if (f.last) return out;
                 }
             });
         }, {"predict"}},
        {"code table with blanks around its quotes", {codeTable}, [](std::string& b) {
             b = eachLine(b, [](const std::string& l, std::size_t) {
                 std::string out = " ";
                 for (char c : l) out += c == ',' ? std::string(" , ") : std::string(1, c);
                 return out + " ";
             });
         }, {"predict"}},
        {"code table without a line end after its last row", {codeTable}, [](std::string& b) { b.resize(b.size() - 2); },
         {"predict"}},
        {"code table with a row of titles first", {codeTable}, [](std::string& b) {
             b.insert(0, "\"No\",\"Code\",\"Name\",\"Short\",\"Kana\",\"Roman\",\"English\",\"Abbr\"\r\n");
         }, {"predict", "big-payouts"}},
        {"code table numbers of letters and blanks", {codeTable}, onLine(1, [](const std::string& l) {
             return "\"20X1\",\"  \"" + l.substr(l.find(',', l.find(',') + 1));
         }), {"big-payouts"}, false},
        // The jockeys: a birth date not known is left blank, the year alone too.
        {"jockeys of blank birth dates, as delivered", {feedKs}, [](std::string& b) {
             for (std::size_t at = 0; at + 4173 <= b.size(); at += 4173) b.replace(at + 33, 8, 8, ' ');
         }, {"fetch"}, false},
        {"jockeys of blank birth dates, as supplied", {stat + o::KS_SUPPLIED}, [](std::string& b) {
             for (std::size_t at = 0; at + 4161 <= b.size(); at += 4161) b.replace(at + 33, 8, 8, ' ');
         }, {"calculate"}, false},
        {"jockeys of blank birth years", {kv::files::KS}, [](std::string& b) {
             for (std::size_t at = 0; at + 4161 <= b.size(); at += 4161) b.replace(at + 33, 4, 4, ' ');
         }, {"calculate"}, false},
        // A run without its times, and times in the other forms a number takes.
        {"a run without times", {runFile}, [](std::string& b) {
             b.replace(555 + 338, 4, 4, ' ');
             b.replace(555 + 390, 3, 3, ' ');
         }, {"calculate"}, false},
        {"times with a point and blanks", {runFile}, [](std::string& b) {
             b.replace(338, 4, "1.5 ");
             b.replace(390, 3, " 35");
         }, {"calculate"}, false},
        // The day files of earlier weeks, as their writers can leave them.
        {"a payout of 0", {day + kv::suffix::TEKICHU}, onLine(4, [](const std::string& l) {
             const std::size_t at = l.find(",\"") + 2;
             return l.substr(0, at) + "0" + l.substr(l.find('"', at));
         }), historySteps, false},
        {"a race without payouts", {day + kv::suffix::TEKICHU}, [&](std::string& b) {
             for (std::size_t n : {3, 4, 5}) onLine(n, allValues("\"\""))(b);
         }, historySteps, false},
        {"a day of thirteen races", {day + kv::suffix::TEKICHU}, [](std::string& b) {
             std::string race;
             eachLine(b, [&](const std::string& l, std::size_t i) {
                 if (i >= 2 && i < 6) race += l + "\r\n";
                 return l;
             });
             while (std::count(b.begin(), b.end(), '\n') < 2 + 4 * 13) b += race;
         }, historySteps, false},
        {"rates without a leading 0, and absent", {day + kv::suffix::KAITEKI}, onLine(3, [](const std::string& l) {
             // The first rate ".5", the last absent: as many values as before.
             const std::size_t first = l.find(',') + 1, second = l.find(',', first);
             const std::string out = l.substr(0, first) + ".5" + l.substr(second);
             return out.substr(0, out.rfind(',') + 1);
         }), {historyDay.c_str()}, false},
        {"a race of blank start time and distance", {day + kv::suffix::LUP_RCM}, [](std::string& b) {
             const std::size_t rc = b.find("\"RC\",\"1\",\"");
             b.replace(rc + 10, 4, "    ");
             std::size_t at = rc;
             for (int k = 0; k < 9; ++k) at = b.find(',', at) + 1;
             b.replace(at + 1, b.find('"', at + 1) - at - 1, "    ");
         }, historySteps, false},
        {"a race list of CR line ends", {day + kv::suffix::LUP_RCM}, [](std::string& b) {
             for (std::size_t at = b.find("\r\n"); at != std::string::npos; at = b.find("\r\n", at + 1)) b.erase(at + 1, 1);
         }, historySteps},
        {"a race list without a line end after its last line", {day + kv::suffix::LUP_RCM},
         [](std::string& b) { b.resize(b.size() - 2); }, historySteps},
        // Values that no reader turns into a number are shown or compared as text, whatever they hold.
        {"a race list date of blanks", {day + kv::suffix::LUP_RCM}, [](std::string& b) { b.replace(10, 2, "  "); },
         historySteps},
        {"day headers of other words",
         {day + kv::suffix::TEKICHU, day + kv::suffix::KAITEKI, day + kv::suffix::TEKICHU_PC, day + kv::suffix::KAITEKI_PC},
         onLine(0, [](const std::string& l) { return kv::toCp932("\"令和7年\"") + l.substr(l.find(',')); }),
         {historyDay.c_str(), "history-search"}, false, "令和7年"},
        {"a hit summary payout of letters", {day + kv::suffix::TEKICHU}, onLine(4, [](const std::string& l) {
             std::string out = l;
             out[out.find(',') + 2] = 'X';
             return out;
         }), {historyDay.c_str()}, false},
        {"rates with an empty line after them", {day + kv::suffix::KAITEKI}, [](std::string& b) { b += "\r\n"; },
         {historyDay.c_str()}},
        {"rates with a sign, and a point at either end", {day + kv::suffix::KAITEKI}, onLine(3, [](const std::string& l) {
             std::size_t at = l.find(',');
             for (int k = 0; k < 3; ++k) at = l.find(',', at + 1);
             return l.substr(0, l.find(',')) + ",+153.5,-0.5,5." + l.substr(at);
         }), {historyDay.c_str()}, false, "\t+153.5\t-0.5\t5.\t"},
        {"tags and numbers bare, blanks around them",
         {day + kv::suffix::LUP_RCM, day + kv::suffix::TEKICHU, day + kv::suffix::TEKICHU_PC, day + kv::suffix::KAITEKI,
          day + kv::suffix::KAITEKI_PC},
         bareWithBlanks, historySteps},
        // The statistics: keys are texts, blanks and letters too.
        {"a blank breeding number", {stat + o::STALLION}, [](std::string& b) { b.replace(402, 10, 10, ' '); },
         {"calculate"}, false},
        {"a jockey code with a letter", {stat + o::KISHUSEISEI}, [](std::string& b) { b.replace(0, 5, "A0123"); },
         {"calculate"}, false},
        {"a jockey code of double-byte letters", {stat + o::KISHUSEISEI}, [](std::string& b) { b.replace(0, 4, "\x82\x60\x82\x61"); },
         {"calculate"}, false},
        {"a blank dam in the foal list", {stat + o::HNSK}, [](std::string& b) { b.replace(0, 10, 10, ' '); },
         {"calculate"}, false},
    };

    // What each step writes and prints on the untouched files.
    std::map<std::string, std::pair<Cli, Snapshot>> untouched;
    for (const Case& c : cases)
        for (const char* step : c.steps) {
            if (untouched.count(step)) continue;
            const Stamps before = stamps(app);
            Cli r = cli(app, step);
            ASSERT_EQ(r.code, 0) << step << r.err;
            ASSERT_EQ(r.err.find("MSG: "), std::string::npos) << step << r.err;
            const Snapshot wrote = written(app, before);
            undo(base, app, wrote);
            untouched[step] = {r, wrote};
        }
    for (const Case& c : cases)
        for (const char* step : c.steps) {
            SCOPED_TRACE(std::string(c.form) + ", " + step);
            for (const std::string& f : c.files) {
                std::string bytes = *kv::readFileBytes(app + "/" + f);
                const std::string before = bytes;
                c.change(bytes);
                ASSERT_NE(bytes, before) << f << " is not changed";
                ASSERT_TRUE(kv::writeFileAtomic(app + "/" + f, bytes));
            }
            const Stamps before = stamps(app);
            const Cli r = cli(app, step);
            Snapshot now = written(app, before);
            undo(base, app, now);
            for (const std::string& f : c.files) undo(base, app, {{f, ""}});
            const auto& [was, wrote] = untouched[step];
            EXPECT_EQ(r.code, 0);
            EXPECT_EQ(r.err.find("MSG: "), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("damaged"), std::string::npos) << r.err;
            if (!c.sameOutput) {
                if (c.shows) EXPECT_NE(r.out.find(c.shows), std::string::npos) << r.out;
                continue;
            }
            EXPECT_EQ(r.out, was.out);
            EXPECT_TRUE(now == wrote) << "the step wrote other files than on the untouched ones";
            if (now != wrote)
                for (const auto& [name, bytes] : wrote)
                    if (!now.count(name) || now[name] != bytes) ADD_FAILURE() << "differs: " << name;
        }
}


// The texts of the messages on standard error: each runs from its "MSG: " to
// the next message or the next line of the driver's own ("korivan-cli: ...").
std::string messageText(const std::string& err) {
    std::string out;
    bool inMessage = false;
    for (std::size_t at = 0; at < err.size();) {
        std::size_t end = err.find('\n', at);
        if (end == std::string::npos) end = err.size();
        const std::string line = err.substr(at, end - at);
        if (line.rfind("MSG: ", 0) == 0) {
            inMessage = true;
            out += line.substr(5) + "\n";
        } else if (line.rfind("korivan-cli: ", 0) == 0) {
            inMessage = false;
        } else if (inMessage) {
            out += line + "\n";
        }
        at = end + 1;
    }
    return out;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// A table that cannot be loaded is named once, for what stops its load: the
// legal forms of the other files beside it say nothing.
TEST(LegalInputs, ALoadThatFailsNamesOnlyTheFileThatStopsIt) {
    kvtest::TempDir root;
    const std::string app = copyOf(Built::resultWeek(), root);
    ASSERT_FALSE(app.empty());
    namespace o = kv::option1n;
    const std::string opt = app + "/" + kv::dirs::OPTION1N + "/" + o::WEIGHT_TURF;
    const std::string codes = opt + o::WEIGHT_CATEGORY + o::WEIGHT_END, counts = opt + o::WEIGHT_CATEGORY_COUNT + o::WEIGHT_END;
    std::string b = *kv::readFileBytes(codes);
    ASSERT_TRUE(kv::writeFileAtomic(codes, eachLine(b, [](const std::string& l, std::size_t i) { return i % 2 ? unquoted(l) : l; })));
    b = *kv::readFileBytes(counts);
    ASSERT_TRUE(kv::writeFileAtomic(counts, b.substr(0, b.size() / 2)));  // ends before its counts are met
    for (const char* step : {"factor-weights --turf", "calculate"}) {
        SCOPED_TRACE(step);
        const Cli r = cli(app, step);
        EXPECT_EQ(r.err.find("壊れ"), std::string::npos) << r.err;
        const std::size_t named = r.err.find(std::string(o::WEIGHT_TURF) + o::WEIGHT_CATEGORY_COUNT);
        EXPECT_NE(named, std::string::npos) << r.err;
        EXPECT_EQ(occurrences(messageText(r.err), std::string(o::WEIGHT_TURF) + o::WEIGHT_CATEGORY_COUNT), 1u)
            << "the file named once: " << r.err;
        EXPECT_EQ(r.err.find("MSG: ", r.err.find("MSG: ") + 1), std::string::npos) << "one message: " << r.err;
    }
}

}  // namespace
