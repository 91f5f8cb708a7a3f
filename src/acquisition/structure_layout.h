// The record members that structure, cancellation and live-results processing
// read, named after the JV-Data layouts they come from.
#pragma once
#include <cstddef>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/layout.h"
#include "acquisition/jvdata/odds_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/fields.h"

namespace kv::structlayout {

inline constexpr std::size_t kRaLength = jv::RaRecord::kLength;
inline constexpr std::size_t kSeLength = jv::SeRecord::kLength;
inline constexpr std::size_t kUmLength = jv::UmRecord::kLength;
inline constexpr std::size_t kHrLength = jv::HrRecord::kLength;

inline constexpr Field RecordSpec = jv::Head::RecordSpec;
inline constexpr Field DataKubun = jv::Head::DataKubun;
inline constexpr Field MakeDate = jv::Head::MakeDate;
inline constexpr Field RaceId = jv::RaceIdHead::RaceId;
inline constexpr Field Year = jv::RaceIdHead::Year;
inline constexpr Field MonthDay = jv::RaceIdHead::MonthDay;
inline constexpr Field JyoCD = jv::RaceIdHead::JyoCD;
inline constexpr Field Kaiji = jv::RaceIdHead::Kaiji;
inline constexpr Field Nichiji = jv::RaceIdHead::Nichiji;
inline constexpr Field RaceNum = jv::RaceIdHead::RaceNum;

inline constexpr Field SeUmaban = jv::SeRecord::Umaban;
inline constexpr Field SeKettoNum = jv::SeRecord::KettoNum;
inline constexpr Field SeNyusenJyuni = jv::SeRecord::NyusenJyuni;
inline constexpr Field SeTime = jv::SeRecord::Time;
inline constexpr Field SeOdds = jv::SeRecord::Odds;
inline constexpr Field SeNinki = jv::SeRecord::Ninki;
inline constexpr Field SeHaronTimeL3 = jv::SeRecord::HaronTimeL3;

inline constexpr Field UmKettoNum = jv::UmRecord::KettoNum;
inline constexpr Field UmDamHansyokuNum = jv::UmRecord::Ketto3Info::HansyokuNum(2);  // the dam

}  // namespace kv::structlayout
