// SPDX-License-Identifier: GPL-3.0-or-later
// The window from the keyboard and through a screen reader: the Tab order of
// each page, Alt+E on every page, Enter on buttons, names and labels.
#include <QAccessible>

#include "window_fixture.h"

namespace velmora::testing {
namespace {

class Keyboard : public WindowTest {
 protected:
  FrmMain& OpenActive() {
    FrmMain& w = Open();
    EXPECT_TRUE(ShowActive(w));
    return w;
  }
  static std::string Focus() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName().toStdString() : "(none)";
  }
  static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  }
  // The controls Tab visits from the focus on, until it comes back.
  static Strings TabChain() {
    Strings chain{Focus()};
    for (int i = 0; i < 20; ++i) {
      Press(Qt::Key_Tab);
      if (Focus() == chain.front()) return chain;
      chain.push_back(Focus());
    }
    chain.push_back("...no cycle");
    return chain;
  }
};

TEST_F(Keyboard, TabVisitsOnlyTheVisibleControlsOfEachPageInTheDesignedOrder) {
  FrmMain& w = OpenActive();
  // The option buttons are one group: Tab stops at one, the arrows move
  // between them.
  EXPECT_EQ(TabChain(), (Strings{"OptFolder", "cmdExit", "cboOverwriteNoOfTimes", "cboOverwriteWith"}));
  Press(Qt::Key_Down);
  EXPECT_EQ(Focus(), "OptFile");
  Press(Qt::Key_Space);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(TabChain(), (Strings{"OptFile", "cmdExit", "cmdNext", "cboOverwriteNoOfTimes", "cboOverwriteWith"}));

  Control(w, "cmdNext")->click();
  EXPECT_EQ(TabChain(), (Strings{"cmdAdd", "NoExtension", "cmdEx", "cmdBack", "cmdClear"}));
  AddFiles(w, {"/x/a"});
  EXPECT_EQ(TabChain(), (Strings{"cmdAdd", "NoExtension", "cmdEx", "cmdBack", "cmdClear", "cmdRemove"}));

  w.BringToFront(Page::Final);
  EXPECT_EQ(TabChain(), (Strings{"cmdLog", "cmdFinish", "cmdBack1"}));

  Control<QAction>(w, "mnuAbout")->trigger();
  EXPECT_EQ(TabChain(), (Strings{"cmdOK", "Label14", "Label15"}));
}

TEST_F(Keyboard, HiddenControlsTakeNoFocus) {
  FrmMain& w = Open();
  for (const char* name : {"cmdReset", "cmdExt", "ListFiles"})
    EXPECT_EQ(Control<QWidget>(w, name)->focusPolicy(), Qt::NoFocus) << name;
  EXPECT_FALSE(Control<QTreeWidget>(w, "ListFiles")->isVisibleTo(&w));
}

class AltE : public Keyboard, public ::testing::WithParamInterface<Page> {};

TEST_P(AltE, EndsTheProgramAtTheFirstPress) {
  FrmMain& w = OpenActive();
  if (GetParam() == Page::Result) ChooseMode(w, false);
  if (GetParam() == Page::Final) w.BringToFront(Page::Final);
  if (GetParam() == Page::About) Control<QAction>(w, "mnuAbout")->trigger();
  ASSERT_EQ(w.FrontPage(), GetParam());
  // Alt+E, once; the program has ended when the window is closed and the
  // farewell page was asked for exactly once.
  Press(Qt::Key_E, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); })) << "still open, focus on " << Focus();
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/thanks"});
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

std::string PageName(const ::testing::TestParamInfo<Page>& info) {
  static const char* const names[] = {"Options", "List", "Result", "About"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryPage, AltE, ::testing::Values(Page::Selection, Page::Result, Page::Final, Page::About),
                         PageName);

TEST_F(Keyboard, AltRStillResetsFromAnyPage) {
  FrmMain& w = OpenActive();
  ChooseMode(w, true);
  AddFolders(w, {"/home/u/f"});
  Press(Qt::Key_R, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.FrontPage() == Page::Selection; }));
  EXPECT_FALSE(Control<QRadioButton>(w, "OptFolder")->isChecked());
  EXPECT_EQ(w.shredList().size(), 1u);
  EXPECT_TRUE(w.isVisible());
}

TEST_F(Keyboard, EnterAndReturnPressTheFocusedButtonAndNoneIsADefault) {
  FrmMain& w = OpenActive();
  for (QPushButton* button : w.findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
  }
  Control<QRadioButton>(w, "OptFile")->setFocus();
  Press(Qt::Key_Return);
  EXPECT_TRUE(Control<QRadioButton>(w, "OptFile")->isChecked());
  EXPECT_EQ(Text(w, "Label3"), "Select Files to Shred:");
  Control(w, "cmdNext")->setFocus();
  Press(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(w.FrontPage(), Page::Result);
  // The page in front takes the keyboard on its main control.
  EXPECT_EQ(Focus(), "cmdAdd");
  fakes.dialogs.file_choices = {"/x/a"};
  Press(Qt::Key_Return);
  EXPECT_EQ(fakes.dialogs.file_titles.size(), 1u);
  // A disabled button is not pressed, and Enter with Ctrl is not Enter.
  Control(w, "cmdBack")->setFocus();
  Press(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(w.FrontPage(), Page::Result);
  Press(Qt::Key_Return);
  EXPECT_EQ(w.FrontPage(), Page::Selection);
  EXPECT_EQ(Focus(), "OptFile") << "back on the mode that was chosen";
}

TEST_F(Keyboard, AboutPageLinksWorkFromTheKeyboard) {
  FrmMain& w = OpenActive();
  Control<QAction>(w, "mnuAbout")->trigger();
  EXPECT_EQ(Focus(), "cmdOK");
  Press(Qt::Key_Tab);
  ASSERT_EQ(Focus(), "Label14");
  Press(Qt::Key_Return);
  Press(Qt::Key_Tab);
  ASSERT_EQ(Focus(), "Label15");
  Press(Qt::Key_Space);
  EXPECT_EQ(fakes.shell.addresses, (Strings{"https://home.test/", "https://home.test/contact"}));
  EXPECT_EQ(w.FrontPage(), Page::About);
}

// ---- What a screen reader is told ----------------------------------------

QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

TEST_F(Keyboard, DropDownListsAreLabelledByTheirCaptions) {
  FrmMain& w = Open();
  for (auto [list, label] : {std::pair{Control<QComboBox>(w, "cboOverwriteNoOfTimes"), Control<QLabel>(w, "Label5")},
                             std::pair{Control<QComboBox>(w, "cboOverwriteWith"), Control<QLabel>(w, "Label6")}}) {
    EXPECT_EQ(label->buddy(), list);
    bool labelled = false;
    for (const auto& [other, relation] : Accessible(list)->relations(QAccessible::Label))
      labelled = labelled || other->object() == label;
    EXPECT_TRUE(labelled) << list->objectName().toStdString();
  }
  // The captions themselves are unchanged: no access key was added.
  EXPECT_EQ(Text(w, "Label5"), "Over write No. of Times");
  EXPECT_EQ(Text(w, "Label6"), "Over write with");
}

TEST_F(Keyboard, ListArtworkAndLinksHaveNames) {
  FrmMain& w = Open();
  EXPECT_EQ(Accessible(Control<QTreeWidget>(w, "NoExtension"))->text(QAccessible::Name), "Shred list");
  EXPECT_EQ(Accessible(Control<QLabel>(w, "Pic"))->text(QAccessible::Name), "Velmora");
  EXPECT_EQ(Accessible(Control<QLabel>(w, "Image1"))->text(QAccessible::Name), "Folder");
  EXPECT_EQ(Accessible(Control<QLabel>(w, "Image2"))->text(QAccessible::Name), "File");
  QAccessibleInterface* contact = Accessible(Control<LinkLabel>(w, "Label15"));
  EXPECT_EQ(contact->role(), QAccessible::Link);
  EXPECT_EQ(contact->text(QAccessible::Name), "Contact Us");
  QAccessibleInterface* home = Accessible(Control<LinkLabel>(w, "Label14"));
  EXPECT_EQ(home->text(QAccessible::Name), Text(w, "Label14"));
  ASSERT_NE(home->actionInterface(), nullptr);
  EXPECT_TRUE(home->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
  home->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(fakes.shell.addresses, Strings{"https://home.test/"});
}

TEST_F(Keyboard, EachRowShowsItsFullPathAsATooltip) {
  FrmMain& w = OpenAtList(false);
  AddFiles(w, {"/home/u/alone.txt", ChosenFiles{"/home/u/docs", {"b.txt", "a.txt"}}});
  Strings tips;
  for (int i = 0; i < Control<QTreeWidget>(w, "NoExtension")->topLevelItemCount(); ++i)
    tips.push_back(Control<QTreeWidget>(w, "NoExtension")->topLevelItem(i)->toolTip(0).toStdString());
  EXPECT_EQ(tips, (Strings{"/home/u/alone.txt", "/home/u/docs/b.txt", "/home/u/docs/a.txt"}));
}

// The panel below the designed client area is never seen: a screen reader
// must not list its buttons as showing on any page.
TEST_F(Keyboard, WorkingControlsBelowTheClientAreaAreNotReportedAsShowing) {
  FrmMain& w = OpenActive();
  for (QWidget* hidden : {static_cast<QWidget*>(Control<QFrame>(w, "Frame3")),
                          static_cast<QWidget*>(Control(w, "cmdReset")), static_cast<QWidget*>(Control(w, "cmdExt"))})
    EXPECT_TRUE(Accessible(hidden)->state().invisible) << hidden->objectName().toStdString();
  EXPECT_FALSE(Accessible(Control(w, "cmdExit"))->state().invisible);
}

}  // namespace
}  // namespace velmora::testing
