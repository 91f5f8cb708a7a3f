#include "common/recordcheck.h"

#include "common/fieldgrammar.h"

namespace kv {

void checkFileBytes(const std::string& path, std::string_view bytes, const RecordLayout& l) {
    DamageTally t(path, l);
    if (bytes.empty()) {
        if (l.needsRecords) t.damaged(0, "ファイルが空です", "the file is empty");
        return t.note();
    }
    if (l.length == 0) {
        l.rowFields != 0 ? checkStream(t, bytes, l) : checkLines(t, bytes, l);
        return t.note();
    }
    const std::size_t n = bytes.size() / l.length;
    for (std::size_t i = 0; i < n; ++i) t.check(i + 1, std::string_view(bytes.data() + i * l.length, l.length));
    t.checkLength(static_cast<long long>(bytes.size()));
    t.note();
}

void checkFileBytes(const std::string& path, std::string_view bytes) {
    if (const RecordLayout* l = recordLayoutFor(path)) checkFileBytes(path, bytes, *l);
}

void checkRecordFile(const std::string& path, std::string_view bytes, std::size_t recLen) {
    if (const RecordLayout* l = recordLayoutFor(path); l && l->length == recLen) return;  // checked as read
    DamageTally t(path, recLen);
    t.checkLength(static_cast<long long>(bytes.size()));
    t.note();
}

}  // namespace kv
