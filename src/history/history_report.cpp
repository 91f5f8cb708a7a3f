#include "history/history_report.h"

#include "platform/step_report.h"

namespace kv::history {

bool tellHistoryReport(const std::string& logName, const std::string& label, const std::vector<std::string>& notes,
                       const std::vector<std::string>& writeFailures, MessageSink* messages) {
    StepReport r(logName);
    r.notes(notes);
    r.failedFiles(writeFailures);
    r.unreadableFiles(label);
    if (!writeFailures.empty()) r.action(checkDiskAction(label));
    NullMessageSink none;
    return r.tell(messages ? *messages : none);
}

}  // namespace kv::history
