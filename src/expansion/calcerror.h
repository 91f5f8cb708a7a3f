// The failure of one horse's building or calculation. Thrown inside the work of
// one horse and caught at the horse's boundary: that horse's work ends, the run
// goes on with the next horse.
#pragma once
#include <stdexcept>
#include <string>

#include "common/datafault.h"

namespace kv::expansion {

struct CalcError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A failure the horse's data causes (a time that holds no number): data()
// says what, for the user ("後3ハロンタイム「3A6」が数字ではありません").
struct CalcDataError : CalcError, kv::DataFault {
    CalcDataError(const std::string& what, std::string data) : CalcError(what), DataFault(std::move(data)) {}
};

}  // namespace kv::expansion
