#include "coders_test_support.h"

#include "common/dates.h"

namespace cdt {

namespace ex = kv::exrec;

std::string exRec(const Sets& sets) {
    std::string r(ex::kLength, ' ');
    r[ex::kLength - 2] = '\r';
    r[ex::kLength - 1] = '\n';
    const Sets base = {
        {ex::RecordSpec, "SE"}, {ex::DataKubun, "7"},      {ex::Year, "2024"},     {ex::MonthDay, "0512"},
        {ex::JyoCD, "05"},      {ex::Kaiji, "03"},         {ex::Nichiji, "11"},    {ex::RaceNum, "11"},
        {ex::Wakuban, "4"},     {ex::Umaban, "07"},        {ex::KettoNum, "2020100001"},
        {ex::BirthDate, "20210401"}, {ex::SireHansyokuNum, "1110000001"}, {ex::DamHansyokuNum, "2220000001"},
        {ex::UmaKigoCD, "00"},  {ex::SexCD, "1"},          {ex::ChokyosiCode, "01001"},
        {ex::Futan, "550"},     {ex::KisyuCode, "00666"},  {ex::KisyuBirthDate, "19900101"},
        {ex::MinaraiCD, "0"},   {ex::BaTaijyu, "480"},     {ex::IJyoCD, "0"},      {ex::NyusenJyuni, "03"},
        {ex::ChakusaCD, "1  "}, {ex::Odds, "0123"},        {ex::Honsyokin, "00000000"},
        {ex::TimeDiff, "+003"}, {ex::GradeCD, " "},        {ex::KigoCD, "A01"},    {ex::JyokenCD, "000000000000701"},
        {ex::Kyori, "1600"},    {ex::TrackCD, "17"},       {ex::CourseKubunCD, "A "}, {ex::TorokuTosu, "16"},
        {ex::TenkoCD, "1"},     {ex::SibaBabaCD, "1"},     {ex::DirtBabaCD, "1"},
    };
    for (const auto& [f, v] : base) kv::setField(r, f, v);
    for (const auto& [f, v] : sets) kv::setField(r, f, v);
    return r;
}

std::string addDays(const std::string& ymd, long n) {
    return kv::ymdText(kv::fromSerial(kv::daySerial(*kv::parseYmd(ymd)) + n));
}

Sets dateSets(const std::string& ymd) { return {{ex::Year, ymd.substr(0, 4)}, {ex::MonthDay, ymd.substr(4, 4)}}; }

std::string code(int k, const std::vector<std::string>& recs, int cur, const kv::coders::CoderStats* stats) {
    kv::coders::CoderContext ctx{recs, cur, stats};
    return kv::coders::CodeFactor(k, ctx);
}

std::string statRec(std::size_t len, kv::Field key, const std::string& keyText, const Sets& sets) {
    std::string r(len, ' ');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    kv::setField(r, key, keyText);
    for (const auto& [f, v] : sets) kv::setField(r, f, v);
    return r;
}

kv::stats::StatFile statFile(kv::stats::StatFile proto, const std::vector<std::string>& recs) {
    std::string bytes;
    for (const auto& r : recs) bytes += r;
    proto.loadBytes(std::move(bytes));
    return proto;
}

}  // namespace cdt
