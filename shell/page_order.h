// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The front-to-back order of the window's four pages. Pages change only by
// bringing one to the front or sending one to the back, so closing the about
// page always uncovers the page that was in front when it opened.
#include <array>

namespace velmora {

enum class Page { Selection, Result, Final, About };

class PageOrder {
 public:
  // Front first.
  PageOrder() : order_{Page::Selection, Page::Result, Page::Final, Page::About} {}

  void BringToFront(Page page);
  void SendToBack(Page page);
  Page Front() const { return order_.front(); }
  const std::array<Page, 4>& FrontToBack() const { return order_; }

 private:
  std::array<Page, 4> order_;
};

}  // namespace velmora
