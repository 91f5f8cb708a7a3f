// The code table read from its file's bytes, and lookups in it; the bytes
// checked against the table's line layout and those of the day files.
#include "common/appfolder.h"
#include "common/codetable.h"
#include "common/recordcheck.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::CodeTable t;
    t.loadBytes(kvfuzz::view(data, size));
    static const std::string day = std::string(kv::dirs::TEKICHU) + "/20250405060102";
    for (const std::string& name :
         {std::string(kv::files::CODE_TABLE), day + kv::suffix::LUP_RCM, day + kv::suffix::KAITEKI})
        kv::checkFileBytes(name, kvfuzz::view(data, size));
    for (const auto& [table, code] : {std::pair{"2001", "06"}, {"2003", "A"}, {"2007", "703"}, {"", ""}})
        for (int col = 0; col < kv::CodeTable::kCols; ++col) (void)t.lookup(table, code, col);
    if (t.rowCount() > 0) (void)t.lookupText(t.cell(0, 0), t.cell(0, 1), 7);
    return 0;
}
