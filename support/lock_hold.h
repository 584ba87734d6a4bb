#pragma once
// Holds a CriticalSectionLock for one scope. A hold on no lock does nothing.
#include "support/critical_section_lock.h"

namespace deskflip::support {

class LockHold {
 public:
  explicit LockHold(CriticalSectionLock* lock) : lock_(lock) {
    if (lock_ != nullptr) lock_->enter();
  }
  ~LockHold() {
    if (lock_ != nullptr) lock_->leave();
  }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;

 private:
  CriticalSectionLock* lock_;
};

}  // namespace deskflip::support
