// The part of an exception that says the data being worked is at fault
// (missing or damaged), not the program nor the disk: data() says what, for
// the user, as a sentence ("予想順位 9 位の馬が有りません。").
#pragma once
#include <string>

namespace kv {

class DataFault {
public:
    explicit DataFault(std::string data) : data_(std::move(data)) {}
    virtual ~DataFault() = default;
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

}  // namespace kv
