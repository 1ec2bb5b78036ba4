// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/text_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/qt_platform.h"
#include "shell/ui_texts.h"

namespace velmora {
namespace {

// The desktop's fixed font, or else the first family the font engine knows
// as fixed pitch: some desktops' "monospace" resolves to a font the engine
// does not report as such, and the report's columns would not line up.
QFont MonospacedFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (QFontInfo(font).fixedPitch()) return font;
  for (const QString& family : QFontDatabase::families()) {
    if (!QFontDatabase::isFixedPitch(family)) continue;
    font.setFamily(family);
    if (QFontInfo(font).fixedPitch()) break;
  }
  return font;
}

// A window of its own that Esc closes, as a dialog's does.
class TextWindow : public QWidget {
 public:
  explicit TextWindow(QWidget* parent) : QWidget(parent, Qt::Window) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
      close();
    else
      QWidget::keyPressEvent(event);
  }
};

QWidget* ShowWindow(QWidget* parent, const char* name, const QString& title, QWidget* view, QSize size) {
  auto* window = new TextWindow(parent);
  window->setObjectName(name);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  auto* layout = new QVBoxLayout(window);
  view->setParent(window);
  layout->addWidget(view);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QPushButton* close = buttons->button(QDialogButtonBox::Close);
  close->setObjectName("cmdClose");
  QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
  layout->addWidget(buttons);
  window->resize(size);
  // Centred over the main window, not in a corner of the screen.
  if (parent != nullptr) window->move(parent->window()->geometry().center() - window->rect().center());
  window->show();
  window->raise();
  window->activateWindow();
  view->setFocus();
  return window;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QWidget* ShowReportWindow(QWidget* parent, const std::string& report_path) {
  auto* text = new QPlainTextEdit;
  text->setObjectName("ReportText");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(MonospacedFont());
  // The report's lines end in CR LF; its paths are in the file system's
  // encoding.
  QByteArray bytes = ReadAll(FromLocalPath(report_path));
  bytes.replace("\r\n", "\n");
  text->setPlainText(QString::fromLocal8Bit(bytes));
  return ShowWindow(parent, "ReportWindow", Texts::tr("Velmora Report"), text, QSize(560, 360));
}

QWidget* ShowGuideWindow(QWidget* parent, const std::string& guide_path) {
  QByteArray html = guide_path.empty() ? QByteArray() : ReadAll(FromLocalPath(guide_path));
  if (html.isEmpty()) html = ReadAll(":/velmora/guide.html");
  auto* browser = new QTextBrowser;
  browser->setObjectName("GuideText");
  browser->setOpenLinks(false);  // the guide links nothing outside itself
  browser->setHtml(QString::fromUtf8(html));
  return ShowWindow(parent, "GuideWindow", Texts::tr("Velmora Help"), browser, QSize(640, 520));
}

}  // namespace velmora
