#include "acquisition/download_common.h"

#include "acquisition/jvdata/jvdata.h"
#include "common/recordfile.h"

namespace kv {
namespace {

bool isKindByte(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

ReceivedRecords::ReceivedRecords(const JVLink& link, std::string spec, const std::vector<Kind>& kinds,
                                 const char* actionFile)
    : link_(link), spec_(std::move(spec)), action_(recordLayoutFor(actionFile)) {
    for (const Kind& k : kinds)
        if (const RecordLayout* l = recordLayoutFor(k.file))
            kinds_.push_back({{k.id[0], k.id[1]}, l, jv::receivedLength(jv::recordKindOf(k.id))});
}

void ReceivedRecords::begin(const std::string& fileName) {
    finish();
    file_ = fileName;
    tally_.emplace(feedFilePath(link_, spec_, fileName), *action_);
    first_.clear();
    n_ = 0;
    repeated_ = false;
}

void ReceivedRecords::record(std::string_view rec, const std::string& fileName) {
    if (!action_) return;
    if (!tally_ || fileName != file_) begin(fileName);
    const std::size_t n = ++n_;
    if (n == 1) {
        first_.assign(rec);
    } else if (repeated_ || (rec.size() == first_.size() && rec == first_)) {
        repeated_ = true;
        return tally_->damaged(n, "ファイルの最初のレコードから繰り返されています",
                               "the file comes again from its first record");
    }
    const char a = rec.size() > 0 ? rec[0] : '\0';
    const char b = rec.size() > 1 ? rec[1] : '\0';
    for (const Checked& k : kinds_)
        if (k.id[0] == a && k.id[1] == b) return tally_->checkAs(n, rec, *k.layout, k.length, rec.substr(0, 2));
    if (!isKindByte(a) || !isKindByte(b))
        tally_->damaged(n, "レコード種別（先頭の 2 バイト）が英数字ではありません",
                        "the record kind (its first 2 bytes) is not letters and digits");
}

void ReceivedRecords::endOfFile(const std::string& fileName) {
    if (!action_) return;
    if (!tally_ || fileName != file_) {
        // No record came from this file. One that could not be read has been
        // noted unreadable; one that is there held none.
        begin(fileName);
        const std::string path = feedFilePath(link_, spec_, fileName);
        if (fileExists(path)) {
            if (fileSize(path) == 0)
                tally_->damaged(0, "ファイルが空です", "the file is empty");
            else
                tally_->damaged(0, "レコードが有りません", "the file holds no record");
        }
    }
    finish();
}

void ReceivedRecords::restart() {
    tally_.reset();
    file_.clear();
}

void ReceivedRecords::finish() {
    if (tally_) tally_->note();
    tally_.reset();
    file_.clear();
}

}  // namespace kv
