// JV-Data records: every layout, the parse routines (received text -> working
// record) and the copy routines (working record -> stored fixed record).
//
// Records stay raw CP932 bytes in std::string. A working record holds the
// received bytes that the layout covers: a longer record loses what lies past
// its layout, a shorter one stays short (its missing members are empty). The
// stored record is exactly the layout's length: members set left-justified,
// missing bytes as blanks. For RA, SE, HR and UM the stored record is the
// received record byte for byte; KS is received as 4173 bytes and stored as 4161.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/layout.h"
#include "acquisition/jvdata/odds_records.h"
#include "acquisition/jvdata/race_records.h"

namespace kv::jv {

// Cuts width bytes of rec starting at the 1-based byte position pos and
// advances pos by width. Bytes past the end of rec are not there: a field that
// starts past the end is empty, one that runs past the end is shorter. The bytes
// are returned as they are (CP932).
std::string CutField(std::string_view rec, std::size_t& pos, std::size_t width);

// Parse routines: the working record of one received record text. They do not
// look at the record id; the caller dispatches on it.
std::string ParseRA(std::string_view received);
std::string ParseSE(std::string_view received);
std::string ParseHR(std::string_view received);
std::string ParseUM(std::string_view received);
std::string ParseKS(std::string_view received);  // received layout (KsReceived, 4173)
std::string ParseO1(std::string_view received);
std::string ParseO2(std::string_view received);
std::string ParseO4(std::string_view received);
std::string ParseO5(std::string_view received);
std::string ParseO6(std::string_view received);

// Copy routines: the stored fixed record (exactly the layout's length).
std::string FixRA(std::string_view working);
std::string FixSE(std::string_view working);
std::string FixHR(std::string_view working);
std::string FixUM(std::string_view working);
// Received KS layout (4173) -> stored KS layout (4161): every member copied
// left-justified into its stored field; the twelve prize members of the year
// blocks keep their leftmost 9 of 10 bytes.
std::string FixKS(std::string_view working);

// The record kinds by their two-byte id.
enum class RecordKind { RA, SE, HR, UM, KS, HN, O1, O2, O4, O5, O6, Other };
// The kind named by the first two bytes of rec (Other when unknown or short).
RecordKind recordKindOf(std::string_view rec);
// Layout length of a kind as received (KS: 4173); 0 for Other.
std::size_t receivedLength(RecordKind kind);
// Layout length of a kind as stored (KS: 4161; odds records: their received
// length, they are never stored as fixed records); 0 for Other.
std::size_t storedLength(RecordKind kind);
// Parse and copy in one go, dispatching on the id: the stored record of an RA,
// SE, HR, UM or KS record; nullopt for any other id.
std::optional<std::string> storedRecord(std::string_view received);

// ---------------------------------------------------------------- odds
// True when an odds text carries no odds: only "0", only "-", only "*" or only
// blanks (an empty text, as cut from a short line, too).
bool isNoOdds(std::string_view oddsText);
// The odds in tenths: 0 for a text without odds, the number for a text of
// digits (leading blanks allowed), nullopt for anything else.
std::optional<long> oddsTenths(std::string_view oddsText);
// Horse (or bracket) numbers of a combination, two digits each for horses;
// a blank pair gives 0, a pair that is not a number gives -1. For a one-digit
// bracket combination of O1 pass digits = 1.
std::vector<int> kumiNumbers(std::string_view kumi, std::size_t digits = 2);

// One odds entry as cut from the record.
struct OddsEntry {
    std::string kumi;   // Kumi (or Umaban of a win entry)
    std::string odds;   // Odds text
    std::string ninki;  // Ninki
};
// The entries of the record's main odds group, dispatching on the id: O1 its
// win entries (OddsTansyo, 28), O2 OddsUmaren (153), O4 OddsUmatan (306),
// O5 OddsSanren (816), O6 OddsSanrentan (4896); empty for another id. A short
// record (a line read back) gives blank members where bytes are missing.
std::vector<OddsEntry> oddsEntries(std::string_view rec);

}  // namespace kv::jv

namespace kv::jv {

// Registers the layouts of the week's record files (common/recordcheck.h), so
// that every read of them is checked: the downloaded files, the files
// structure processing writes from them and the live files. Called once at
// start-up (again: no change).
void registerRecordChecks();

}  // namespace kv::jv
