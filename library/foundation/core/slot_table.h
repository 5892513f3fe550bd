// Handles that are slot indices: a locked table of pointers where the handle
// is the slot index plus one, so that 0 never names an object.
#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <vector>

namespace veziv {

template <typename T>
class SlotTable {
 public:
  // The new handle, the lowest free slot first.
  int Put(T* object) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto free = std::find(slots_.begin(), slots_.end(), nullptr);
    if (free != slots_.end()) {
      *free = object;
      return static_cast<int>(free - slots_.begin()) + 1;
    }
    slots_.push_back(object);
    return static_cast<int>(slots_.size());
  }
  // Null for a handle that names no object.
  T* Get(int handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle >= 1 && static_cast<size_t>(handle) <= slots_.size() ? slots_[static_cast<size_t>(handle) - 1]
                                                                       : nullptr;
  }
  // Empties the slot and gives its object back (null when there was none).
  T* Take(int handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle < 1 || static_cast<size_t>(handle) > slots_.size()) return nullptr;
    T* object = slots_[static_cast<size_t>(handle) - 1];
    slots_[static_cast<size_t>(handle) - 1] = nullptr;
    return object;
  }

 private:
  std::mutex mutex_;  // the movie thread reaches files too
  std::vector<T*> slots_;
};

}  // namespace veziv
