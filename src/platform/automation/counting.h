#pragma once
// A wrapper around the seam that counts every call passing through it, and
// through every object reached from it. In live Visio each call is a round
// trip between processes, so tests and benchmarks measure routines by it.
#include <cstdint>
#include <memory>

#include "automation.h"

namespace tw {

struct CallCounter {
  std::uint64_t calls = 0;
};

// Objects returned through the wrapper are wrapped with the same counter;
// wrapped objects passed back as arguments reach the application unwrapped.
DispatchPtr countCalls(DispatchPtr inner, std::shared_ptr<CallCounter> counter);

}  // namespace tw
