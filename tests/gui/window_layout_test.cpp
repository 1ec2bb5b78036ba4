// SPDX-License-Identifier: GPL-3.0-or-later
// The window as it is built: captions, places, what can and cannot be seen.
#include <QFontMetrics>
#include <QImage>
#include <QMenuBar>

#include "window_fixture.h"

namespace velmora::testing {
namespace {

using WindowLayout = WindowTest;

QRect Twips(int left, int top, int width, int height) {
  auto px = [](int t) { return (t + 7) / 15; };
  return QRect(px(left), px(top), px(width), px(height));
}

TEST_F(WindowLayout, CaptionsAreExact) {
  FrmMain& w = Open();
  EXPECT_EQ(w.windowTitle(), "Velmora v1.0");
  const std::pair<const char*, QString> captions[] = {
      {"OptFolder", "Shred Folder(s)"}, {"OptFile", "Shred File(s)"}, {"cmdExit", "&Exit"},    {"cmdNext", "&Next >>"},
      {"cmdClear", "&Clear"},           {"cmdRemove", "&Shred Now"},  {"cmdBack", "<< &Back"}, {"cmdEx", "&Exit"},
      {"cmdLog", "See Velmora Report"}, {"cmdBack1", "Back"},         {"cmdFinish", "&Exit "}, {"cmdOK", "&OK"},
      {"cmdReset", "&Reset"},           {"cmdExt", "&Exit"},          {"Label1", "Velmora"}};
  for (const auto& [name, text] : captions) EXPECT_EQ(Text(w, name), text) << name;
  const std::pair<const char*, QString> long_captions[] = {{"cmdAdd", "&Add File / Folder To Shred"},
                                                           {"Label5", "Over write No. of Times"},
                                                           {"Label6", "Over write with"},
                                                           {"Label3", "Select Files "},
                                                           {"lblResultCaption", "ResultCaption"},
                                                           {"Label16", "Velmora v1.0"},
                                                           {"Label15", "Contact Us"},
                                                           {"mnuWipeFreeSpace", "&Wipe Free Space..."},
                                                           {"mnuExit", "E&xit"},
                                                           {"mnuOnline", "&Online Help"},
                                                           {"mnuVisit", "&Visit Us Online"},
                                                           {"mnuAbout", "&About Software"}};
  for (const auto& [name, text] : long_captions) EXPECT_EQ(Text(w, name), text) << name;
  EXPECT_TRUE(Text(w, "Label14").contains("https://home.test/"));
  EXPECT_EQ(Control<LinkLabel>(w, "Label14")->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Control<LinkLabel>(w, "Label15")->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Text(w, "Label2"),
            "Velmora is the ultimate file shredder software. By \"shredding\" a file/ folder it gets encrypted and "
            "can never be recovered. Velmora permanently destroys files/folders from your computer.");
  QStringList counts, techniques;
  for (int i = 0; i < Control<QComboBox>(w, "cboOverwriteNoOfTimes")->count(); ++i)
    counts << Control<QComboBox>(w, "cboOverwriteNoOfTimes")->itemText(i);
  for (int i = 0; i < Control<QComboBox>(w, "cboOverwriteWith")->count(); ++i)
    techniques << Control<QComboBox>(w, "cboOverwriteWith")->itemText(i);
  EXPECT_EQ(counts, QStringList({"1", "2", "3", "5", "7", "10"}));
  EXPECT_EQ(techniques, QStringList({"Ones and Zeros", "Random Chars"}));
  EXPECT_FALSE(Control<QComboBox>(w, "cboOverwriteNoOfTimes")->isEditable());

  QList<QAction*> menus = w.menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[1]->text(), "&Help");
}

TEST_F(WindowLayout, ControlsSitWhereDesigned) {
  FrmMain& w = Open();
  EXPECT_EQ(w.centralWidget()->size(), QSize(488, 283));
  EXPECT_EQ(Control<QLabel>(w, "Pic")->geometry(), Twips(0, 0, 2625, 4275));
  EXPECT_EQ(Control<QLabel>(w, "Pic")->pixmap().size(), QSize(175, 285));
  for (QFrame* page : {Control<QFrame>(w, "fraSelection"), Control<QFrame>(w, "fraResult"),
                       Control<QFrame>(w, "fraFinal"), Control<QFrame>(w, "fraAbout")})
    EXPECT_EQ(page->geometry(), Twips(2630, 0, 4700, 4275));
  EXPECT_EQ(Control<QRadioButton>(w, "OptFolder")->geometry(), Twips(480, 1680, 2175, 255));
  EXPECT_EQ(Control<QComboBox>(w, "cboOverwriteWith")->geometry(), Twips(2280, 3120, 1815, 315));
  EXPECT_EQ(Control(w, "cmdNext")->geometry(), Twips(3510, 3720, 1095, 375));
  EXPECT_EQ(Control<QTreeWidget>(w, "ListFiles")->geometry(), Control<QTreeWidget>(w, "NoExtension")->geometry());
  EXPECT_EQ(Control<QTreeWidget>(w, "NoExtension")->geometry(), Twips(120, 720, 4545, 1335));
  EXPECT_EQ(Control(w, "cmdRemove")->geometry(), Twips(120, 3120, 4575, 375));
  EXPECT_EQ(Control(w, "cmdLog")->geometry(), Twips(120, 1320, 4455, 495));
  EXPECT_EQ(Control<LinkLabel>(w, "Label14")->geometry(), Twips(735, 2280, 3855, 255));
  for (const char* icon : {"Image1", "Image2"}) EXPECT_EQ(Control<QLabel>(w, icon)->pixmap().size(), QSize(13, 13));
  EXPECT_EQ(w.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(WindowLayout, WorkingControlsBelowTheClientAreaCannotBeSeen) {
  FrmMain& w = Open();
  QRect client = w.centralWidget()->rect();
  EXPECT_FALSE(client.intersects(Control<QFrame>(w, "Frame3")->geometry()));
  EXPECT_TRUE(Control(w, "cmdReset")->isEnabled());
  EXPECT_TRUE(Control(w, "cmdExt")->isEnabled());
}

// A long path loses its middle, not its file name; the tooltip keeps it all.
TEST_F(WindowLayout, LongPathsAreElidedInTheMiddle) {
  FrmMain& w = OpenAtList(false);
  const std::string path = "/home/u/" + std::string(120, 'x') + "/the-file-name.txt";
  AddFiles(w, {path});
  w.show();
  for (QTreeWidget* view : {Control<QTreeWidget>(w, "ListFiles"), Control<QTreeWidget>(w, "NoExtension")})
    EXPECT_EQ(view->textElideMode(), Qt::ElideMiddle);
  QTreeWidgetItem* row = Control<QTreeWidget>(w, "NoExtension")->topLevelItem(0);
  ASSERT_NE(row, nullptr);
  // Too long for the column, so eliding is what the user sees.
  EXPECT_GT(Control<QTreeWidget>(w, "NoExtension")->fontMetrics().horizontalAdvance(row->text(0)),
            Control<QTreeWidget>(w, "NoExtension")->columnWidth(0));
  EXPECT_EQ(row->toolTip(0).toStdString(), path);
}

TEST_F(WindowLayout, LongListHeadingIsShownInFull) {
  FrmMain& w = Open();
  Control<QRadioButton>(w, "OptFolder")->click();
  QFontMetrics metrics(Control<QLabel>(w, "Label3")->font());
  EXPECT_GE(Control<QLabel>(w, "Label3")->width(), metrics.horizontalAdvance("Select a Folder to Shred:"));
}

TEST_F(WindowLayout, EveryPageGrabShowsTheBannerLeftAndThePageRight) {
  FrmMain& w = OpenShown();
  const QColor page_blue(2, 51, 94);
  for (Page page : {Page::Selection, Page::Result, Page::Final, Page::About}) {
    w.BringToFront(page);
    QApplication::processEvents();
    QImage shot = w.centralWidget()->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(488, 283));
    // The page's own background, in a corner free of controls.
    EXPECT_EQ(shot.pixelColor(480, 2), page_blue) << int(page);
    // The banner: its white name at the top, not the page's colour.
    QImage banner = Control<QLabel>(w, "Pic")->pixmap().toImage();
    EXPECT_EQ(shot.pixelColor(10, 10), banner.pixelColor(10, 10));
    bool has_white = false;
    for (int x = 20; x < 160 && !has_white; ++x)
      for (int y = 14; y < 50 && !has_white; ++y) has_white = shot.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(has_white) << "the name in the banner";
    // The front page's widgets are drawn: the page differs from the bare colour.
    QImage right = shot.copy(175, 0, 313, 283);
    int other = 0;
    for (int x = 0; x < right.width(); x += 3)
      for (int y = 0; y < right.height(); y += 3) other += right.pixelColor(x, y) != page_blue;
    EXPECT_GT(other, 50) << int(page);
  }
}

}  // namespace
}  // namespace velmora::testing
