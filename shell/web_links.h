// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The web-page openers: each hands one fixed address to the shell
// and ignores the outcome. A build without a web site has no addresses:
// then the pages that would have helped open the user guide instead.
#include <functional>
#include <string>

#include "platform/platform.h"

namespace velmora {

struct WebAddresses {
  std::string home;
  std::string features;
  std::string contact;
  std::string farewell;
  std::string update;
};

// The addresses this build was configured with.
WebAddresses BuiltInAddresses();

class WebLinks {
 public:
  WebLinks(ShellOpener& shell, WebAddresses addresses, std::function<void()> open_guide = {})
      : shell_(shell), addresses_(std::move(addresses)), open_guide_(std::move(open_guide)) {}

  void OpenHomePage() { OpenOrGuide(addresses_.home); }
  void OpenFeaturesPage() { OpenOrGuide(addresses_.features); }
  void OpenContactPage() { shell_.OpenAddress(addresses_.contact); }
  void OpenFarewellPage() { shell_.OpenAddress(addresses_.farewell); }
  void OpenUpdatePage() { shell_.OpenAddress(addresses_.update); }

  const WebAddresses& addresses() const { return addresses_; }

 private:
  void OpenOrGuide(const std::string& address) {
    if (address.empty() && open_guide_)
      open_guide_();
    else
      shell_.OpenAddress(address);
  }

  ShellOpener& shell_;
  WebAddresses addresses_;
  std::function<void()> open_guide_;
};

}  // namespace velmora
