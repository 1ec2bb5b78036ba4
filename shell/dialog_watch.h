// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's dialogs, counted: while one is open the window is in the
// middle of something, and work handed in from outside waits for it.
#include <functional>

#include "platform/platform.h"

namespace velmora {

class DialogWatch : public Dialogs {
 public:
  explicit DialogWatch(Dialogs& inner) : inner_(inner) {}

  bool Open() const { return depth_ > 0; }
  // Runs each time the last open dialog has closed.
  void OnAllClosed(std::function<void()> closed) { closed_ = std::move(closed); }

  ChosenFiles ChooseFiles(const std::string& title) override {
    Scope scope(*this);
    return inner_.ChooseFiles(title);
  }
  std::string ChooseFolder(const std::string& title) override {
    Scope scope(*this);
    return inner_.ChooseFolder(title);
  }
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    Scope scope(*this);
    return inner_.ShowMessage(text, title, icon, buttons);
  }
  bool ShowMessageWithCheckBox(const std::string& text, const std::string& title, MessageIcon icon,
                               const std::string& check_box) override {
    Scope scope(*this);
    return inner_.ShowMessageWithCheckBox(text, title, icon, check_box);
  }

 private:
  struct Scope {
    explicit Scope(DialogWatch& w) : watch(w) { ++watch.depth_; }
    ~Scope() {
      if (--watch.depth_ == 0 && watch.closed_) watch.closed_();
    }
    DialogWatch& watch;
  };

  Dialogs& inner_;
  int depth_ = 0;
  std::function<void()> closed_;
};

}  // namespace velmora
