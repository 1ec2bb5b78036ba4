// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/web_links.h"

#include "shell/web_addresses.h"

namespace velmora {

WebAddresses BuiltInAddresses() {
  return {build::kHomeUrl, build::kFeaturesUrl, build::kContactUrl, build::kFarewellUrl, build::kUpdateUrl};
}

}  // namespace velmora
