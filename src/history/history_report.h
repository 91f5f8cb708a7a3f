// The end of a history window's work (its load, a click on a day): what the
// last prediction run left unfinished, the files that could not be written and
// those that could not be read, said in one message.
#pragma once
#include <string>
#include <vector>

#include "platform/sinks.h"

namespace kv::history {

// Tells the user (messages may be null: nothing shown, the log still written)
// and returns true when the work failed (a file not written or not readable).
// logName: the step as the log names it; label: the menu button the user
// presses again ("過去予想成績").
bool tellHistoryReport(const std::string& logName, const std::string& label, const std::vector<std::string>& notes,
                       const std::vector<std::string>& writeFailures, MessageSink* messages);

}  // namespace kv::history
