// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/page_order.h"

#include <algorithm>

namespace velmora {

void PageOrder::BringToFront(Page page) {
  auto it = std::find(order_.begin(), order_.end(), page);
  std::rotate(order_.begin(), it, it + 1);
}

void PageOrder::SendToBack(Page page) {
  auto it = std::find(order_.begin(), order_.end(), page);
  std::rotate(it, it + 1, order_.end());
}

}  // namespace velmora
