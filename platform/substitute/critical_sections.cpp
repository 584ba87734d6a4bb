#include "platform/substitute/critical_sections.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/substitute/libraries.h"

namespace deskflip::substitute {
namespace {

struct SectionState {
  std::mutex mutex;  // held by the owning thread for as long as it owns the section
  std::atomic<std::thread::id> owner{};
  std::uint32_t recursion = 0;  // written only by the owner
  std::atomic<std::uint32_t> spinCount{0};
};

// The program's block: the state's address first, the rest unused and zero.
struct SectionBlock {
  SectionState* state;
  unsigned char unused[kCriticalSectionSize - sizeof(SectionState*)];
};
static_assert(sizeof(SectionBlock) == kCriticalSectionSize);

// Using a section that was never initialised, or leaving one the caller does not hold, crashes or deadlocks the
// real program later; here it stops at once, where the fault is.
[[noreturn]] void misuse(const char* what) {
  std::fprintf(stderr, "substitute critical section: %s\n", what);
  std::abort();
}

SectionState& stateOf(Word section) {
  if (section == 0) misuse("null section");
  SectionState* state = reinterpret_cast<SectionBlock*>(section)->state;
  if (state == nullptr) misuse("section not initialised");
  return *state;
}

bool ownedByCaller(const SectionState& state) {
  return state.owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void takeOwnership(SectionState& state) {
  state.owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
  state.recursion = 1;
}

}  // namespace

std::int32_t InitializeCriticalSectionAndSpinCount(Word section, std::uint32_t spinCount) {
  auto* block = reinterpret_cast<SectionBlock*>(section);
  std::memset(block, 0, sizeof *block);
  block->state = new SectionState;
  block->state->spinCount.store(spinCount, std::memory_order_relaxed);
  return 1;
}

std::uint32_t SetCriticalSectionSpinCount(Word section, std::uint32_t spinCount) {
  return stateOf(section).spinCount.exchange(spinCount, std::memory_order_relaxed);
}

void EnterCriticalSection(Word section) {
  SectionState& state = stateOf(section);
  if (ownedByCaller(state)) {
    ++state.recursion;
    return;
  }
  const std::uint32_t spins = state.spinCount.load(std::memory_order_relaxed);
  for (std::uint32_t attempt = 0; attempt < spins; ++attempt) {
    if (state.mutex.try_lock()) {
      takeOwnership(state);
      return;
    }
  }
  state.mutex.lock();
  takeOwnership(state);
}

void LeaveCriticalSection(Word section) {
  SectionState& state = stateOf(section);
  if (!ownedByCaller(state)) misuse("left by a thread that does not hold it");
  if (--state.recursion > 0) return;
  state.owner.store(std::thread::id{}, std::memory_order_relaxed);
  state.mutex.unlock();
}

std::int32_t TryEnterCriticalSection(Word section) {
  SectionState& state = stateOf(section);
  if (ownedByCaller(state)) {
    ++state.recursion;
    return 1;
  }
  if (!state.mutex.try_lock()) return 0;
  takeOwnership(state);
  return 1;
}

void DeleteCriticalSection(Word section) {
  SectionState& state = stateOf(section);
  if (state.recursion > 0) {
    if (!ownedByCaller(state)) misuse("deleted while another thread holds it");
    state.mutex.unlock();
  }
  delete &state;
  reinterpret_cast<SectionBlock*>(section)->state = nullptr;
}

}  // namespace deskflip::substitute
