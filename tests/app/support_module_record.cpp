#include "tests/app/support_module_record.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "runtime/headless_window.h"
#include "runtime/window_runtime.h"
#include "support/module_globals.h"

namespace deskflip::testing {
namespace {

std::string& recordFile() {
  static std::string path;
  return path;
}

// Where the program stands: whether the main window exists and whether its timer runs.
std::string programState() {
  const runtime::headless::WindowState* window = runtime::headless::window();
  if (window == nullptr) return "window gone";
  std::string state = "window exists";
  if (runtime::headless::tray().present) state += ", tray icon";
  for (const std::uint32_t period : window->timerPeriods) {
    if (period != 0) state += ", timer running";
  }
  return state;
}

void record(const std::string& call) {
  const std::string line = call + " (" + programState() + ")";
  supportCalls().push_back(line);
  if (recordFile().empty()) return;
  if (std::FILE* file = std::fopen(recordFile().c_str(), "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

}  // namespace

std::vector<std::string>& supportCalls() {
  static std::vector<std::string> calls;
  return calls;
}

void recordSupportCallsTo(const std::string& path) { recordFile() = path; }

std::string readRecordFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

}  // namespace deskflip::testing

namespace deskflip::support {

SystemInfoRecord* systemInfoRecord = nullptr;
MemoryPool* memoryPool = nullptr;

void constructModuleGlobals() { testing::record("construct"); }
void destroyModuleGlobals() { testing::record("destroy"); }
void startSupportModule() { testing::record("start"); }

}  // namespace deskflip::support
