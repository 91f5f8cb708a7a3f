// The 30 factor coders of the speed model.
//
// A coder turns one expanded run record (and, for some factors, earlier records
// of the same horse and a statistics record) into a short code text, the
// factor's category. The codes must equal the category texts of the factor
// weight tables byte for byte, trailing blanks included once stored.
//
// How the factor expansion uses them:
//   CoderStats stats{&kishu, &chokyo, &stallion, &mare, &kyosobaWeek};   // once per run
//   CoderContext ctx{records, curRecNo, &stats};
//   for k = 1..30:  code = CodeFactor(k, ctx);
//                   store code left-aligned in member F<k> (kFactorWidth[k]:
//                   blanks after a shorter code, a longer one cut).
// or all thirty at once: CodeFactors(ctx, codes), stored in member FactorCodesAll.
// Coders never write records; they read records[curRecNo - 1] (the current
// run) and, where the factor needs it, earlier records of the same horse. They
// read only members the builder wrote (never F1..F30, FC or the weights), so
// the caller may store each code as it goes or all at once.
//
// Coders keep no state between calls; several horses may be coded at once on
// different threads (the statistics files are only read).
//
// Failures: a context that names no record (curRecNo outside 1..records.size())
// throws std::out_of_range; nothing else throws. Bad member values never throw:
// they give the code stated by the coder's own rule or its default.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/exrecord.h"
#include "expansion/stats/stat_files.h"

namespace kv::coders {

// The statistics files the coders search (folder OPTION1N), each loaded once
// per run (kv::stats::StatFile: first matching record wins). A null pointer
// behaves like a missing file: every search fails and the coder gives its
// default code.
struct CoderStats {
    const kv::stats::StatFile* kishuSeisei = nullptr;      // "KISHUSEISEI.dat"     key KisyuCode         factor 7
    const kv::stats::StatFile* chokyoSeisei = nullptr;     // "CHOKYOSEISEI.dat"    key ChokyosiCode      factor 19
    const kv::stats::StatFile* stallion = nullptr;         // "STALLION.dat"        key Sire.HansyokuNum  factors 13, 16, 20, 23
    const kv::stats::StatFile* mare = nullptr;             // "MARE.dat"            key Dam.HansyokuNum   factor 17
    const kv::stats::StatFile* kyosobaThisWeek = nullptr;  // "KYOSOBATHISWEEK.dat" key KettoNum          factors 8, 30
};

namespace detail {
struct StatMemo;
}

// What a coder sees of the calculation in progress.
struct CoderContext {
    // The horse's expanded run records as they stand now, record 1 (the oldest
    // run) first, each the raw 2603 bytes (a shorter record reads blanks past
    // its end).
    std::span<const std::string> records;
    // The record being coded (CurRecNo), counted from 1.
    int curRecNo = 1;
    // Statistics lookups; null behaves as if every file were missing.
    const CoderStats* stats = nullptr;
    // The statistics records already found for the current record, shared by
    // the coders CodeFactors runs; callers leave it null.
    detail::StatMemo* memo = nullptr;
};

// Width of member F<k> for k = 1..30 (entry 0 unused).
using kv::exrec::kFactorWidth;

using CoderFn = std::string (*)(const CoderContext&);

// Coder k (1..30); entry 0 is null.
extern const std::array<CoderFn, 31> kFactorCoders;

// The code of factor k (1..30) for ctx's current record. Throws
// std::out_of_range for k outside 1..30 or a curRecNo that names no record.
std::string CodeFactor(int k, const CoderContext& ctx);

// The code stored at the member's width: cut, or blank-padded on the right.
std::string FitCode(int k, std::string_view code);

// The codes of F1..F30 side by side, as member FactorCodesAll holds them.
using FactorCodes = std::array<char, kv::exrec::FactorCodesAll.len>;

// The codes of factors 1..30 for ctx's current record, each fitted to its
// member's width (FitCode), side by side as in member FactorCodesAll. Throws
// std::out_of_range for a curRecNo that names no record.
void CodeFactors(const CoderContext& ctx, FactorCodes& out);

// Factors 1 to 10.
std::string CodeFactorYear(const CoderContext& ctx);                  //  1
std::string CodeFactorKaisaiBashoKyori(const CoderContext& ctx);      //  2
std::string CodeFactorZensoKyoriCorner(const CoderContext& ctx);      //  3
std::string CodeFactorFutanjuryou(const CoderContext& ctx);           //  4
std::string CodeFactorRuikeiHonshokin(const CoderContext& ctx);       //  5
std::string CodeFactorKyosokigo(const CoderContext& ctx);             //  6
std::string CodeFactorKishuFukusho(const CoderContext& ctx);          //  7
std::string CodeFactorKyosobaFukushoritu(const CoderContext& ctx);    //  8
std::string CodeFactorRaceSuu(const CoderContext& ctx);               //  9
std::string CodeFactorFutanJuuryoritu(const CoderContext& ctx);       // 10
// Factors 11 to 20.
std::string CodeFactorBataijuu(const CoderContext& ctx);              // 11
std::string CodeFactorBarei(const CoderContext& ctx);                 // 12
std::string CodeFactorKishuArning(const CoderContext& ctx);           // 13
std::string CodeFactorRaceKankaku(const CoderContext& ctx);           // 14
std::string CodeFactorZenzenOzz(const CoderContext& ctx);             // 15
std::string CodeFactorTenkoBabaFather(const CoderContext& ctx);       // 16
std::string CodeFactorChoArning(const CoderContext& ctx);             // 17
std::string CodeFactorKishuNenrei(const CoderContext& ctx);           // 18
std::string CodeFactorTrainer(const CoderContext& ctx);               // 19
std::string CodeFactorFatherArning(const CoderContext& ctx);          // 20
// Factors 21 to 30.
std::string CodeFactorRaceNo(const CoderContext& ctx);                // 21
std::string CodeFactorZenzensoChakusa(const CoderContext& ctx);       // 22
std::string CodeFactorFatherKyoriFukusho(const CoderContext& ctx);    // 23
std::string CodeFactorUmaban(const CoderContext& ctx);                // 24
std::string CodeFactorUmaretuki(const CoderContext& ctx);             // 25
std::string CodeFactorZensoTimediff(const CoderContext& ctx);         // 26
std::string CodeFactorNichiji(const CoderContext& ctx);               // 27
std::string CodeFactorTorokuTosu(const CoderContext& ctx);            // 28
std::string CodeFactorLap(const CoderContext& ctx);                   // 29
std::string CodeFactorBanusiArning(const CoderContext& ctx);          // 30

// Shared rules, exposed for the coders' tests and for whoever fits tables.
// Int(10 x ln(x) / ln(10)) in double precision (1000 -> 29, 100 -> 20).
long long LogCode(double x);
// Record number of the run before the current one (0 when there is none):
// record c-1 when its IJyoCD is "0", else record c-2 (record 1 when c is 2).
int RunBeforeRecNo(const CoderContext& ctx);

}  // namespace kv::coders
