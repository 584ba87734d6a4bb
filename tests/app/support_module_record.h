#pragma once
// Stands in for the support module in the shell's tests: records each call, and what the program looked like at
// that moment, in a list and, when a file is named, in that file (which outlives a process that ends).
#include <string>
#include <vector>

namespace deskflip::testing {

// "construct", "start (no window)", "destroy (window gone, timer stopped)", ...
std::vector<std::string>& supportCalls();
void recordSupportCallsTo(const std::string& path);  // empty: no file
std::string readRecordFile(const std::string& path);

}  // namespace deskflip::testing
