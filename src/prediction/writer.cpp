#include "prediction/writer.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "common/numbers.h"

namespace kv::pred {

void WriterChain::add(ChainSlot slot, std::unique_ptr<Writer> w) {
    if (!w) return;
    auto pos = std::upper_bound(entries_.begin(), entries_.end(), slot,
                                [](ChainSlot s, const Entry& e) { return static_cast<int>(s) < static_cast<int>(e.slot); });
    entries_.insert(pos, Entry{slot, std::move(w)});
}

std::vector<std::string> WriterChain::names() const {
    std::vector<std::string> out;
    for (const auto& e : entries_) out.push_back(e.writer->name());
    return out;
}

void WriterChain::runRace(WindowState& st, int RaceIdx) {
    for (auto& e : entries_) {
        try {
            e.writer->writeRace(st, RaceIdx);
        } catch (const std::exception& ex) {
            WriterFailure f{RaceIdx, e.writer->name(), ex.what()};
            if (const auto* d = dynamic_cast<const RaceDataFault*>(&ex)) {
                f.kind = WriterFailure::Kind::RaceData;
                f.data = d->data();
                f.notANumber = dynamic_cast<const ConversionError*>(&ex) != nullptr;
            } else if (dynamic_cast<const WriteError*>(&ex)) {
                f.kind = WriterFailure::Kind::Write;
            } else if (dynamic_cast<const std::out_of_range*>(&ex)) {
                // A per-horse table read past the race's horses.
                f.kind = WriterFailure::Kind::RaceData;
                f.data = "出走馬のデータ（馬番・順位）がレースの頭数と合いません。";
            }
            failures_.push_back(std::move(f));
        } catch (...) {
            failures_.push_back({RaceIdx, e.writer->name(), "unknown failure"});
        }
    }
}

std::vector<std::string> WriterChain::placeDayFiles() {
    std::vector<std::string> notPlaced;
    for (auto& e : entries_)
        for (DayFiles* d : e.writer->dayFiles()) {
            std::vector<std::string> left = d->place();
            notPlaced.insert(notPlaced.end(), left.begin(), left.end());
        }
    return notPlaced;
}

void WriterChain::dropDayFiles() {
    for (auto& e : entries_)
        for (DayFiles* d : e.writer->dayFiles()) d->discard();
}

}  // namespace kv::pred
