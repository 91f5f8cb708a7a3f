#include "racefiles/day_block.h"

#include "betlines/day_append.h"
#include "betlines/lup_files.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "racefiles/race_lines.h"

namespace kv::racefiles {

void DayBlockWriter::writeDayBlock(const pred::WindowState& st, const std::string& raceId, const char* folder,
                                   const char* fileSuffix, const std::function<void(std::string& block)>& build) {
    const std::string dayKey = dayKeyOf(raceId);
    const std::string path = appFile(std::string(folder) + "/" + dayKey + fileSuffix);
    std::string& block = block_;
    block.clear();
    auto flush = [&] {
        bet::DayFileAppend file(days_, dayKey, path);
        if (!file.write(block) || !file.close()) throw pred::WriteError("cannot write " + path);
    };
    try {
        if (days_.isNew(dayKey)) {
            block += bet::dyLine(raceId);
            block += bet::plLine(raceId, st.run.codeTable.lookup("2001", fromCp932(raceId.substr(8, 2)), 4));
        }
        build(block);
    } catch (...) {
        flush();
        throw;
    }
    flush();
}

}  // namespace kv::racefiles
