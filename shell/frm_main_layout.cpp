// SPDX-License-Identifier: GPL-3.0-or-later
// FrmMain's controls, built and placed in one place. Positions are given in
// twips, the unit the window has always been laid out in, and converted at
// 15 twips to the pixel.
#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>

#include "engine/pass_positions.h"
#include "shell/artwork.h"
#include "shell/frm_main.h"
#include "shell/keyboard_access.h"
#include "shell/list_removal.h"
#include "shell/ui_texts.h"

namespace velmora {
namespace {

constexpr int kClientWidth = 7320;
constexpr int kClientHeight = 4245;
const QColor kPageBlue(2, 51, 94);

int Px(int twips) { return (twips + 7) / 15; }

// Where the pages' text ends on the right, in twips.
constexpr int kRightEdge = 4575;
// The result caption's height, and the note's place below it, in twips.
constexpr int kCaptionHeight = 375;
constexpr int kNoteTop = 480;
constexpr int kNoteHeight = 735;

// Widens `widget` to show its whole text, up to `right` (twips), where its
// text is longer than the room it has: English keeps its old geometry.
void WidenToFit(QWidget* widget, int right) {
  const int wanted = widget->sizeHint().width();
  if (wanted > widget->width()) widget->resize(std::min(wanted, Px(right) - widget->x()), widget->height());
}

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
  view->setHeaderLabels({Texts::tr("Files")});
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
  setWindowTitle(tr("Velmora v1.0"));
  setWindowIcon(WindowIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(VerdanaFont(8.25, false));

  auto* client = new QWidget(this);
  client->setObjectName("client");
  client->setFixedSize(Px(kClientWidth), Px(kClientHeight));
  setCentralWidget(client);

  bannerPicture = Place(new QLabel(client), "Pic", 0, 0, 2625, 4275);
  ShowArtwork(bannerPicture, BannerPicture);

  optionsPage = MakePage(client, "fraSelection");
  listPage = MakePage(client, "fraResult");
  resultPage = MakePage(client, "fraFinal");
  aboutPage = MakePage(client, "fraAbout");
  frames_ = {
      {Page::Selection, optionsPage}, {Page::Result, listPage}, {Page::Final, resultPage}, {Page::About, aboutPage}};

  BuildOptionsPage();
  BuildListPage();
  BuildResultPage();
  BuildAboutPage();
  BuildPanel();
  BuildMenu();
  SetTabOrder();
  SetUpKeyboard();
  connect(SetUpListRemoval(*shredListView), &QAction::triggered, this, &FrmMain::RemoveSelectedItems);

  setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void FrmMain::BuildOptionsPage() {
  QFrame* p = optionsPage;
  optionsTitle = MakeLabel(p, "Label1", tr("Velmora"), 120, 60, 1545, 195);
  QFont title = VerdanaFont(8.25, true);
  title.setUnderline(true);
  optionsTitle->setFont(title);
  optionsIntro = MakeLabel(p, "Label2",
                           //: Says "encrypted" where the files are overwritten: translate what
                           //: is true ("overwritten"), as a careful translator would.
                           tr("Velmora is the ultimate file shredder software. By \"shredding\" a file/ folder it "
                              "gets encrypted and can never be recovered. Velmora permanently destroys "
                              "files/folders from your computer."),
                           120, 360, 4455, 975, true);
  folderIcon = Place(new QLabel(p), "Image1", 120, 1710, 195, 195);
  ShowArtwork(folderIcon, FolderIcon);
  folderModeButton = Place(new QRadioButton(tr("Shred Folder(s)"), p), "OptFolder", 480, 1680, 2175, 255);
  fileIcon = Place(new QLabel(p), "Image2", 120, 2145, 195, 195);
  ShowArtwork(fileIcon, DocumentIcon);
  fileModeButton = Place(new QRadioButton(tr("Shred File(s)"), p), "OptFile", 480, 2130, 1695, 225);
  passCountCaption = MakeLabel(p, "Label5",
                               //: "Overwrite" in two words is the page's own; the list beside it
                               //: holds the pass count.
                               tr("Over write No. of Times"), 120, 2640, 2040, 195);
  passCountBox = Place(new QComboBox(p), "cboOverwriteNoOfTimes", 2280, 2640, 1815, 315);
  for (std::int16_t count : kPassCounts) passCountBox->addItem(QString::number(count));
  techniqueCaption = MakeLabel(p, "Label6", tr("Over write with"), 120, 3120, 1305, 195);
  techniqueBox = Place(new QComboBox(p), "cboOverwriteWith", 2280, 3120, 1815, 315);
  // Shown in the user's language; the report and the caption take the
  // table's English name by the chosen index.
  for (const TechniqueEntry& technique : kTechniques) techniqueBox->addItem(UiText(technique.name));
  passCountBox->setToolTip(tr("How many times each file is overwritten in full, each pass forced to the disk"));
  techniqueBox->setToolTip(
      tr("What the passes before the last write: Ones and Zeros writes 0xFF and 0x00 in turn, Random Chars random "
         "bytes; the last pass always writes the fill pattern"));
  // A translation longer than its English takes the room to its right.
  WidenToFit(folderModeButton, kRightEdge);
  WidenToFit(fileModeButton, kRightEdge);
  WidenToFit(passCountCaption, 2250);  // the lists begin at 2280
  WidenToFit(techniqueCaption, 2250);
  WidenToFit(techniqueBox, kRightEdge);
  MakeRule(p, "Line1", 120, 3600, 4590);
  optionsExitButton = MakeButton(p, "cmdExit", tr("&Exit"), 120, 3720, 1095, 375);
  nextButton = MakeButton(p, "cmdNext", tr("&Next >>"), 3510, 3720, 1095, 375);
}

void FrmMain::BuildListPage() {
  QFrame* p = listPage;
  listHeading = MakeLabel(p, "Label3",
                          //: The trailing space is the page's own; keep one.
                          tr("Select Files "), 120, 60, 1185, 195);
  listHeading->setFont(VerdanaFont(8.25, true));
  listIntro = MakeLabel(p, "Label10",
                        tr("Velmora allows you to choose the files and folders you want to destroy forever."),
                        120, 240, 4455, 495, true);
  pathListView = MakeListView(p, "ListFiles");
  shredListView = MakeListView(p, "NoExtension");
  shredListView->raise();  // the names are what the user sees
  addButton = MakeButton(p, "cmdAdd", tr("&Add File / Folder To Shred"), 120, 2160, 3255, 375);
  clearButton = MakeButton(p, "cmdClear", tr("&Clear"), 3570, 2160, 1095, 375);
  listWarning = MakeLabel(p, "Label11",
                          //: "has been shred": the page's own English; say that shredded files
                          //: cannot be recovered.
                          tr("You will not be able to recover the files once it has been shred."), 120, 2640,
                          4455, 495, true);
  shredNowButton = MakeButton(p, "cmdRemove", tr("&Shred Now"), 120, 3120, 4575, 375);
  MakeRule(p, "Line3", 120, 3600, 4740);
  backButton = MakeButton(p, "cmdBack", tr("<< &Back"), 2280, 3720, 1095, 375);
  listExitButton = MakeButton(p, "cmdEx", tr("&Exit"), 3510, 3720, 1095, 375);
}

void FrmMain::FitResultTexts() {
  const int caption = std::max(Px(kCaptionHeight), resultCaption->heightForWidth(resultCaption->width()));
  resultCaption->resize(resultCaption->width(), caption);
  const int top = std::max(Px(kNoteTop), resultCaption->y() + caption);
  const int bottom = std::max(Px(kNoteTop + kNoteHeight), top + resultNote->heightForWidth(resultNote->width()));
  resultNote->setGeometry(resultNote->x(), top, resultNote->width(), bottom - top);
}

void FrmMain::BuildResultPage() {
  QFrame* p = resultPage;
  resultCaption = MakeLabel(p, "lblResultCaption", "ResultCaption", 120, 60, 4455, kCaptionHeight, true);
  // What a run left, in the caption's style; shown only then.
  resultNote = MakeLabel(p, "lblResultNote", "", 120, kNoteTop, 4455, kNoteHeight, true);
  resultNote->hide();
  reportButton = MakeButton(p, "cmdLog", tr("See Velmora Report"), 120, 1320, 4455, 495);
  reportButton->setFont(VerdanaFont(9.75, true));
  startAgainButton = MakeButton(p, "cmdBack1", tr("Back"), 120, 3720, 1095, 375);
  startAgainButton->setFont(PageFont());
  finishButton = MakeButton(p, "cmdFinish",
                            //: The trailing space is the result page's own; keep one.
                            tr("&Exit "), 3510, 3720, 1095, 375);
  finishButton->setFont(PageFont());
}

void FrmMain::BuildAboutPage() {
  QFrame* p = aboutPage;
  aboutTitle = MakeLabel(p, "Label16", tr("Velmora v1.0"), 120, 60, 2745, 270);
  aboutTitle->setFont(VerdanaFont(12, true));
  aboutText = MakeLabel(p, "Label13",
                        tr("Velmora is the ultimate solution to making data unrecoverable from files and folders "
                           "in your hard disks. Velmora permanently destroys files/folders from your computer."),
                        120, 480, 4470, 1170, true);
  const std::string& home = env_.addresses.home;
  homeLink = Place(new LinkLabel(p), "Label14", 735, 2280, 3855, 255);
  homeLink->setText(home.empty() ? tr("Visit us on the web") : tr("Visit us at %1").arg(QString::fromStdString(home)));
  homeLink->setAttribute(Qt::WA_TranslucentBackground);
  contactLink = Place(new LinkLabel(p), "Label15", 735, 2640, 3855, 255);
  contactLink->setText(tr("Contact Us"));
  contactLink->setAttribute(Qt::WA_TranslucentBackground);
  // A link with no address would lead nowhere: a build without a web site
  // shows neither.
  homeLink->setVisible(!home.empty());
  contactLink->setVisible(!env_.addresses.contact.empty());
  for (LinkLabel* link : {homeLink, contactLink}) {
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
  }
  aboutOkButton = MakeButton(p, "cmdOK", tr("&OK"), 3510, 3720, 1095, 375);
  aboutOkButton->setFont(PageFont());
}

void FrmMain::BuildPanel() {
  // Below the client area: never seen, reached through access keys.
  hiddenPanel = Place(new QFrame(centralWidget()), "Frame3", 360, 4920, 4935, 4305);
  resetButton = MakeButton(hiddenPanel, "cmdReset", tr("&Reset"), 2010, 3810, 1335, 375);
  panelExitButton = MakeButton(hiddenPanel, "cmdExt", tr("&Exit"), 3465, 3810, 1095, 375);
}

void FrmMain::BuildMenu() {
  QMenu* mnuFile = menuBar()->addMenu(tr("&File"));
  mnuFile->setObjectName("mnuFile");
  wipeFreeSpaceAction = mnuFile->addAction(tr("&Wipe Free Space..."));
  wipeFreeSpaceAction->setObjectName("mnuWipeFreeSpace");
  exitAction = mnuFile->addAction(tr("E&xit"));
  exitAction->setObjectName("mnuExit");
  QMenu* mnuHelp = menuBar()->addMenu(tr("&Help"));
  mnuHelp->setObjectName("mnuHelp");
  onlineHelpAction = mnuHelp->addAction(tr("&Online Help"));
  onlineHelpAction->setObjectName("mnuOnline");
  visitAction = mnuHelp->addAction(tr("&Visit Us Online"));
  visitAction->setObjectName("mnuVisit");
  aboutAction = mnuHelp->addAction(tr("&About Software"));
  aboutAction->setObjectName("mnuAbout");
}

void FrmMain::SetTabOrder() {
  // The keyboard order of the whole window.
  const std::multimap<int, QWidget*> order = {
      {2, listExitButton},    {3, backButton},      {4, clearButton},        {5, shredNowButton}, {6, addButton},
      {12, folderModeButton}, {13, fileModeButton}, {14, optionsExitButton}, {15, nextButton},    {18, passCountBox},
      {20, techniqueBox},     {31, resultCaption},  {31, resultNote},  {32, finishButton},      {33, pathListView},  {34, shredListView},
      {46, startAgainButton}, {49, reportButton},   {53, aboutOkButton},     {54, homeLink},      {55, contactLink}};
  QWidget* previous = nullptr;
  for (const auto& [index, widget] : order) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace velmora

namespace velmora {

// Keyboard and screen-reader use of the window:
// - Alt+E ends the program on every page at the first press: through the
//   page's own Exit button, and through the hidden panel's only on the about
//   page, which has none (two live "&Exit" keys would make Qt move the focus
//   instead of pressing either);
// - the hidden panel's buttons and the hidden path view take no Tab focus;
// - Enter and Return press the focused button;
// - the drop-down lists have their labels as buddies, the list, the artwork
//   and the links have accessible names;
// - a page brought to the front takes the focus on its main control.
void FrmMain::SetUpKeyboard() {
  panelExitButton->setShortcut(QKeySequence());
  AddAccessKey(*panelExitButton, *aboutPage);
  resetButton->setFocusPolicy(Qt::NoFocus);
  panelExitButton->setFocusPolicy(Qt::NoFocus);
  // The panel is never seen, so it is hidden, and a screen reader does not
  // report it as showing; Alt+R stays the window's.
  hiddenPanel->hide();
  AddAccessKey(*resetButton, *this);
  pathListView->setFocusPolicy(Qt::NoFocus);
  pathListView->hide();
  PressButtonsWithEnter(*this);

  passCountCaption->setBuddy(passCountBox);
  techniqueCaption->setBuddy(techniqueBox);
  shredListView->setAccessibleName(tr("Shred list"));
  bannerPicture->setAccessibleName(tr("Velmora"));
  bannerPicture->setAccessibleDescription(tr("The name Velmora over a globe and a paper shredder"));
  folderIcon->setAccessibleName(tr("Folder"));
  fileIcon->setAccessibleName(tr("File"));
  for (LinkLabel* link : {homeLink, contactLink}) link->setAccessibleName(link->text());

  FocusWhenShown(*optionsPage, [this]() -> QWidget* { return FileModeSelected() ? fileModeButton : folderModeButton; });
  FocusWhenShown(*listPage, [this] { return addButton; });
  FocusWhenShown(*resultPage, [this] { return reportButton; });
  FocusWhenShown(*aboutPage, [this] { return aboutOkButton; });
}

}  // namespace velmora
