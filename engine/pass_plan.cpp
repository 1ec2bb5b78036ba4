// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/pass_plan.h"

#include "engine/pass_positions.h"

namespace velmora {

std::unique_ptr<PassBytes> PassPlan::Bytes(int pass) const {
  if (pass >= passes_) return std::make_unique<FillBytes>(fill_);
  if (technique_ == Technique::RandomChars) return std::make_unique<RandomBytes>();
  return std::make_unique<SameByte>(pass % 2 == 1 ? 0xFF : 0x00);
}

std::optional<PassPlan> PlanForPosition(int position, Technique technique) {
  std::optional<FillPattern> fill = PatternForPosition(position);
  std::optional<std::int16_t> count = PassCountAt(position);
  if (!fill || !count) return std::nullopt;
  return PassPlan(std::move(*fill), *count, technique);
}

}  // namespace velmora
