// The failure of one horse's building or calculation. Thrown inside the work of
// one horse and caught at the horse's boundary: that horse's work ends, the run
// goes on with the next horse.
#pragma once
#include <stdexcept>
#include <string>

namespace kv::expansion {

struct CalcError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace kv::expansion
