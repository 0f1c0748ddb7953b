// Messages with values in them, for the operator's one-line reports.
#pragma once

#include <initializer_list>
#include <string>

namespace ranking {

// `pattern` with each "{}" replaced by the next of `values`, in order.
std::string Fill(const char* pattern, std::initializer_list<std::string> values);

}  // namespace ranking
