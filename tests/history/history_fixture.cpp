#include "history_fixture.h"

#include "common/appfolder.h"
#include "common/quoted.h"
#include "common/recordfile.h"

namespace histtest {

std::string line(std::initializer_list<const char*> values) {
    kv::QuotedLine q;
    for (const char* v : values) q.text(v);
    return q.line();
}

std::string rcLine(const std::string& num, const std::string& name, const std::string& distance, const std::string& sd) {
    const std::string plain = num.size() > 1 && num[0] == '0' ? num.substr(1) : num;
    return line({"RC", plain.c_str(), "1000", num.c_str(), "", name.c_str(), "３歳以上１勝クラス", "", "芝",
                 distance.c_str(), sd.c_str(), "晴良"});
}

std::string rrLine() {
    return line({"RR", "n", "w", "馬", "予", "人", "入", "性", "齢", "馬名　　　　　　　", "負担", "騎手名　", "調教師名",
                 "推定タイム", "実タイム", "推定上3F", "実上3F"});
}

std::string hsLine(const std::string& place, const std::string& waku, const std::string& umaban,
                   const std::string& rank, const std::string& ninki, const std::string& nyusen,
                   const std::string& time) {
    return line({"HS", place.c_str(), waku.c_str(), umaban.c_str(), rank.c_str(), ninki.c_str(), nyusen.c_str(), "牡",
                 " 4", "サクラ", "57.0", "武豊", "国枝栄", time.c_str(), "1.35.1 ", "35.8", "35.9 "});
}

std::string atLine(const std::string& no, const std::string& kind, const std::string& desc, const std::string& kumi,
                   const std::string& pay) {
    return line({"AT", no.c_str(), kind.c_str(), desc.c_str(), kumi.c_str(), pay.c_str()});
}

HistoryTest::HistoryTest() {
    kv::SetAppPath(dir.path());
    kv::makeDirs(dir.file("TEKICHU"));
    kv::makeDirs(dir.file("SOKUDO"));
}

void HistoryTest::day(const std::string& key, const std::string& suffix, const std::string& bytes) const {
    dir.write("TEKICHU/" + key + suffix, bytes);
}

std::vector<std::string> HistoryTest::text6() const {
    std::vector<std::string> out;
    for (const auto& [c, t] : menu.texts)
        if (c == "Text6") out.push_back(t);
    return out;
}

}  // namespace histtest
