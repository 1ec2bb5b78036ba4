#pragma once
// The web-page openers: each hands one fixed address to the shell
// and ignores the outcome.
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
  WebLinks(ShellOpener& shell, WebAddresses addresses) : shell_(shell), addresses_(std::move(addresses)) {}

  void OpenHomePage() { shell_.OpenAddress(addresses_.home); }
  void OpenFeaturesPage() { shell_.OpenAddress(addresses_.features); }
  void OpenContactPage() { shell_.OpenAddress(addresses_.contact); }
  void OpenFarewellPage() { shell_.OpenAddress(addresses_.farewell); }
  void OpenUpdatePage() { shell_.OpenAddress(addresses_.update); }

  const WebAddresses& addresses() const { return addresses_; }

 private:
  ShellOpener& shell_;
  WebAddresses addresses_;
};

}  // namespace velmora
