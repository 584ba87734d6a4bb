#include "runtime/exit_hooks.h"

#include <algorithm>
#include <vector>

namespace deskflip::runtime {
namespace {

std::vector<ExitHook>& hooks() {
  static std::vector<ExitHook> list;
  return list;
}

}  // namespace

void registerExitHook(ExitHook hook) {
  std::vector<ExitHook>& list = hooks();
  if (std::find(list.begin(), list.end(), hook) == list.end()) list.push_back(hook);
}

void runExitHooks() {
  // Taken out first, so a hook that ends the program or registers again cannot make any hook run twice.
  std::vector<ExitHook> pending;
  pending.swap(hooks());
  for (ExitHook hook : pending) hook();
}

void clearExitHooks() { hooks().clear(); }

}  // namespace deskflip::runtime
