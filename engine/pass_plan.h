// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a shred writes over each file: how many full passes, and the bytes
// of each. The last pass is always the fill pattern of the pass-count
// position, so a file's last content before its removal does not depend on
// the technique; the passes before it do.
#include <memory>
#include <optional>

#include "engine/fill_pattern.h"
#include "engine/pass_bytes.h"
#include "engine/technique.h"

namespace velmora {

class PassPlan {
 public:
  // One pass of `fill`, as the report's own shred and the free-space wipe
  // write: a pattern on its own is that plan.
  PassPlan(FillPattern fill) : fill_(std::move(fill)) {}  // NOLINT(google-explicit-constructor)
  PassPlan(FillPattern fill, int passes, Technique technique)
      : fill_(std::move(fill)), passes_(passes < 1 ? 1 : passes), technique_(technique) {}

  const FillPattern& fill() const { return fill_; }
  int passes() const { return passes_; }
  Technique technique() const { return technique_; }

  // The bytes of pass `pass`, counted from 1 to passes().
  std::unique_ptr<PassBytes> Bytes(int pass) const;

 private:
  FillPattern fill_;
  int passes_ = 1;
  Technique technique_ = Technique::OnesAndZeros;
};

// The plan of a pass-count position (its count of passes, its fill block)
// with `technique`: nothing for a position the list cannot have.
std::optional<PassPlan> PlanForPosition(int position, Technique technique);

}  // namespace velmora
