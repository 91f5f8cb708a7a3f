// The standard writer chain of the prediction run and the week's road.
//
// The chain is one table: every writer that exists has one entry with its
// fixed slot (the race-card day file first, the race list and hit files
// second, ... the speed CSV last). A writer that is not built yet has no entry.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "prediction/writer.h"

namespace kv::week {

struct WriterEntry {
    pred::ChainSlot slot;
    const char* name;  // the writer's procedure name
    std::function<std::unique_ptr<pred::Writer>()> make;
};

// The writers that exist, in chain order.
const std::vector<WriterEntry>& standardWriterTable();
// A fresh chain of new writer objects (one per run).
pred::WriterChain makeStandardChain();

// The steps of a week's road, in order (command-line step names).
const std::vector<std::string>& weekRoad();

}  // namespace kv::week
