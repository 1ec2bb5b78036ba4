// SPDX-License-Identifier: GPL-3.0-or-later
// FrmMain's controls, placed as designed. Positions are given in twips, as
// designed, and converted at 15 twips to the pixel.
#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>

#include "engine/pass_positions.h"
#include "shell/artwork.h"
#include "shell/frm_main.h"
#include "shell/keyboard_access.h"
#include "shell/list_removal.h"

namespace velmora {
namespace {

constexpr int kClientWidth = 7320;
constexpr int kClientHeight = 4245;
const QColor kPageBlue(2, 51, 94);

int Px(int twips) { return (twips + 7) / 15; }

template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
  return widget;
}

QFont VerdanaFont(qreal points, bool bold) {
  QFont font;
  font.setFamilies({"Verdana", "DejaVu Sans"});
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The pages' own font, for the buttons that do not use the bold one.
QFont PageFont() {
  QFont font;
  font.setFamilies({"MS Sans Serif", "DejaVu Sans"});
  font.setPointSizeF(8.25);
  return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int l, int t, int w, int h,
                  bool wrap = false) {
  auto* label = Place(new QLabel(text, parent), name, l, t, w, h);
  label->setWordWrap(wrap);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setAttribute(Qt::WA_TranslucentBackground);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int l, int t, int w, int h) {
  auto* button = Place(new QPushButton(text, parent), name, l, t, w, h);
  button->setFont(VerdanaFont(8.25, true));
  button->setAutoDefault(false);
  return button;
}

QFrame* MakePage(QWidget* parent, const char* name) {
  auto* page = Place(new QFrame(parent), name, 2630, 0, 4700, 4275);
  page->setAutoFillBackground(true);
  QPalette palette = page->palette();
  palette.setColor(QPalette::Window, kPageBlue);
  palette.setColor(QPalette::WindowText, Qt::white);
  page->setPalette(palette);
  return page;
}

QFrame* MakeRule(QWidget* parent, const char* name, int x1, int y, int x2) {
  auto* rule = new QFrame(parent);
  rule->setObjectName(name);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  rule->setGeometry(Px(x1), Px(y) - 1, Px(x2) - Px(x1), 2);
  return rule;
}

QTreeWidget* MakeListView(QWidget* parent, const char* name) {
  auto* view = Place(new QTreeWidget(parent), name, 120, 720, 4545, 1335);
  view->setColumnCount(1);
  view->setHeaderLabels({"Files"});
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->header()->setStretchLastSection(true);
  view->setFont(VerdanaFont(8.25, false));
  // A long path keeps its file name and the start of its folder in sight.
  view->setTextElideMode(Qt::ElideMiddle);
  return view;
}

}  // namespace

void FrmMain::BuildWindow() {
  setObjectName("FrmMain");
  setWindowTitle("Velmora v1.0");
  setWindowIcon(WindowIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(VerdanaFont(8.25, false));

  auto* client = new QWidget(this);
  client->setObjectName("client");
  client->setFixedSize(Px(kClientWidth), Px(kClientHeight));
  setCentralWidget(client);

  Pic = Place(new QLabel(client), "Pic", 0, 0, 2625, 4275);
  ShowArtwork(Pic, BannerPicture);

  fraSelection = MakePage(client, "fraSelection");
  fraResult = MakePage(client, "fraResult");
  fraFinal = MakePage(client, "fraFinal");
  fraAbout = MakePage(client, "fraAbout");
  frames_ = {{Page::Selection, fraSelection}, {Page::Result, fraResult}, {Page::Final, fraFinal},
             {Page::About, fraAbout}};

  BuildOptionsPage();
  BuildListPage();
  BuildResultPage();
  BuildAboutPage();
  BuildPanel();
  BuildMenu();
  SetTabOrder();
  SetUpKeyboardAndScreenReaders(*this);
  SetUpListRemoval(*this);

  setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void FrmMain::BuildOptionsPage() {
  QFrame* p = fraSelection;
  Label1 = MakeLabel(p, "Label1", "Velmora", 120, 60, 1545, 195);
  QFont title = VerdanaFont(8.25, true);
  title.setUnderline(true);
  Label1->setFont(title);
  Label2 = MakeLabel(p, "Label2",
                     "Velmora is the ultimate file shredder software. By \"shredding\" a file/ folder it gets "
                     "encrypted and can never be recovered. Velmora permanently destroys files/folders from "
                     "your computer.",
                     120, 360, 4455, 975, true);
  Image1 = Place(new QLabel(p), "Image1", 120, 1710, 195, 195);
  ShowArtwork(Image1, FolderIcon);
  OptFolder = Place(new QRadioButton("Shred Folder(s)", p), "OptFolder", 480, 1680, 2175, 255);
  Image2 = Place(new QLabel(p), "Image2", 120, 2145, 195, 195);
  ShowArtwork(Image2, DocumentIcon);
  OptFile = Place(new QRadioButton("Shred File(s)", p), "OptFile", 480, 2130, 1695, 225);
  Label5 = MakeLabel(p, "Label5", "Over write No. of Times", 120, 2640, 2040, 195);
  cboOverwriteNoOfTimes = Place(new QComboBox(p), "cboOverwriteNoOfTimes", 2280, 2640, 1815, 315);
  for (std::int16_t count : kPassCounts) cboOverwriteNoOfTimes->addItem(QString::number(count));
  Label6 = MakeLabel(p, "Label6", "Over write with", 120, 3120, 1305, 195);
  cboOverwriteWith = Place(new QComboBox(p), "cboOverwriteWith", 2280, 3120, 1815, 315);
  cboOverwriteWith->addItems({"Ones and Zeros", "Random Chars"});
  MakeRule(p, "Line1", 120, 3600, 4590);
  cmdExit = MakeButton(p, "cmdExit", "&Exit", 120, 3720, 1095, 375);
  cmdNext = MakeButton(p, "cmdNext", "&Next >>", 3510, 3720, 1095, 375);
}

void FrmMain::BuildListPage() {
  QFrame* p = fraResult;
  Label3 = MakeLabel(p, "Label3", "Select Files ", 120, 60, 1185, 195);
  Label3->setFont(VerdanaFont(8.25, true));
  Label10 = MakeLabel(p, "Label10",
                      "Velmora allows you to choose the files and folders you want to destroy forever.", 120,
                      240, 4455, 495, true);
  ListFiles = MakeListView(p, "ListFiles");
  NoExtension = MakeListView(p, "NoExtension");
  NoExtension->raise();  // the names are what the user sees
  cmdAdd = MakeButton(p, "cmdAdd", "&Add File / Folder To Shred", 120, 2160, 3255, 375);
  cmdClear = MakeButton(p, "cmdClear", "&Clear", 3570, 2160, 1095, 375);
  Label11 = MakeLabel(p, "Label11", "You will not be able to recover the files once it has been shred.", 120,
                      2640, 4455, 495, true);
  cmdRemove = MakeButton(p, "cmdRemove", "&Shred Now", 120, 3120, 4575, 375);
  MakeRule(p, "Line3", 120, 3600, 4740);
  cmdBack = MakeButton(p, "cmdBack", "<< &Back", 2280, 3720, 1095, 375);
  cmdEx = MakeButton(p, "cmdEx", "&Exit", 3510, 3720, 1095, 375);
}

void FrmMain::BuildResultPage() {
  QFrame* p = fraFinal;
  lblResultCaption = MakeLabel(p, "lblResultCaption", "ResultCaption", 120, 60, 4455, 375, true);
  cmdLog = MakeButton(p, "cmdLog", "See Velmora Report", 120, 1320, 4455, 495);
  cmdLog->setFont(VerdanaFont(9.75, true));
  cmdBack1 = MakeButton(p, "cmdBack1", "Back", 120, 3720, 1095, 375);
  cmdBack1->setFont(PageFont());
  cmdFinish = MakeButton(p, "cmdFinish", "&Exit ", 3510, 3720, 1095, 375);
  cmdFinish->setFont(PageFont());
}

void FrmMain::BuildAboutPage() {
  QFrame* p = fraAbout;
  Label16 = MakeLabel(p, "Label16", "Velmora v1.0", 120, 60, 2745, 270);
  Label16->setFont(VerdanaFont(12, true));
  Label13 = MakeLabel(p, "Label13",
                      "Velmora is the ultimate solution to making data unrecoverable from files and folders in "
                      "your hard disks. Velmora permanently destroys files/folders from your computer.",
                      120, 480, 4470, 1170, true);
  const std::string& home = env_.addresses.home;
  Label14 = Place(new LinkLabel(p), "Label14", 735, 2280, 3855, 255);
  Label14->setText(home.empty() ? "Visit us on the web"
                                : "Visit us at " + QString::fromStdString(home));
  Label14->setAttribute(Qt::WA_TranslucentBackground);
  Label15 = Place(new LinkLabel(p), "Label15", 735, 2640, 3855, 255);
  Label15->setText("Contact Us");
  Label15->setAttribute(Qt::WA_TranslucentBackground);
  // A link with no address would lead nowhere: a build without a web site
  // shows neither.
  Label14->setVisible(!home.empty());
  Label15->setVisible(!env_.addresses.contact.empty());
  for (LinkLabel* link : {Label14, Label15}) {
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
  }
  cmdOK = MakeButton(p, "cmdOK", "&OK", 3510, 3720, 1095, 375);
  cmdOK->setFont(PageFont());
}

void FrmMain::BuildPanel() {
  // Below the designed client area: never seen, reached through access keys.
  Frame3 = Place(new QFrame(centralWidget()), "Frame3", 360, 4920, 4935, 4305);
  cmdReset = MakeButton(Frame3, "cmdReset", "&Reset", 2010, 3810, 1335, 375);
  cmdExt = MakeButton(Frame3, "cmdExt", "&Exit", 3465, 3810, 1095, 375);
}

void FrmMain::BuildMenu() {
  QMenu* mnuFile = menuBar()->addMenu("&File");
  mnuFile->setObjectName("mnuFile");
  mnuWipeFreeSpace = mnuFile->addAction("&Wipe Free Space...");
  mnuWipeFreeSpace->setObjectName("mnuWipeFreeSpace");
  mnuExit = mnuFile->addAction("E&xit");
  mnuExit->setObjectName("mnuExit");
  QMenu* mnuHelp = menuBar()->addMenu("&Help");
  mnuHelp->setObjectName("mnuHelp");
  mnuOnline = mnuHelp->addAction("&Online Help");
  mnuOnline->setObjectName("mnuOnline");
  mnuVisit = mnuHelp->addAction("&Visit Us Online");
  mnuVisit->setObjectName("mnuVisit");
  mnuAbout = mnuHelp->addAction("&About Software");
  mnuAbout->setObjectName("mnuAbout");
}

void FrmMain::SetTabOrder() {
  // The designed keyboard order of the whole window.
  const std::multimap<int, QWidget*> order = {
      {2, cmdEx},          {3, cmdBack},       {4, cmdClear},          {5, cmdRemove},
      {6, cmdAdd},         {12, OptFolder},    {13, OptFile},          {14, cmdExit},
      {15, cmdNext},       {18, cboOverwriteNoOfTimes}, {20, cboOverwriteWith}, {31, lblResultCaption},
      {32, cmdFinish},     {33, ListFiles},    {34, NoExtension},      {46, cmdBack1},
      {49, cmdLog},        {53, cmdOK},        {54, Label14},          {55, Label15}};
  QWidget* previous = nullptr;
  for (const auto& [index, widget] : order) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace velmora
