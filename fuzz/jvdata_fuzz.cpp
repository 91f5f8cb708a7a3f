// JV-Data records as JV-Link delivers them: the record kind, every parse
// routine, the fix routines on what they parsed, and the odds entries; the
// same bytes as whole week files checked against their layouts.
#include "acquisition/jvdata/jvdata.h"
#include "common/appfolder.h"
#include "common/fsys.h"
#include "common/recordcheck.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace jv = kv::jv;
    const std::string_view rec = kvfuzz::view(data, size);
    const jv::RecordKind kind = jv::recordKindOf(rec);
    (void)jv::receivedLength(kind);
    (void)jv::storedLength(kind);
    (void)jv::storedRecord(rec);
    (void)jv::FixRA(jv::ParseRA(rec));
    (void)jv::FixSE(jv::ParseSE(rec));
    (void)jv::FixHR(jv::ParseHR(rec));
    (void)jv::FixUM(jv::ParseUM(rec));
    (void)jv::FixKS(jv::ParseKS(rec));
    // The fix routines also meet stored records read back from a week file.
    (void)jv::FixRA(rec);
    (void)jv::FixSE(rec);
    (void)jv::FixHR(rec);
    (void)jv::FixUM(rec);
    (void)jv::FixKS(rec);
    for (auto parse : {jv::ParseO1, jv::ParseO2, jv::ParseO4, jv::ParseO5, jv::ParseO6}) (void)parse(rec);
    for (const jv::OddsEntry& e : jv::oddsEntries(rec)) {
        (void)jv::kumiNumbers(e.kumi);
        (void)jv::kumiNumbers(e.kumi, 1);
        (void)jv::oddsTenths(e.odds);
        (void)jv::isNoOdds(e.odds);
    }
    (void)jv::oddsTenths(rec);
    (void)jv::kumiNumbers(rec);
    static const bool registered = (jv::registerRecordChecks(), true);
    (void)registered;
    for (const char* name : {kv::files::SE, kv::files::O2_WEEK, kv::files::KETTONUM_LIST, kv::files::CODE_TABLE})
        kv::checkFileBytes(name, rec);
    kv::clearUnreadableFiles();
    return 0;
}
