// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>

namespace velmora {

std::string ToLocalPath(const QString& path) {
  QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

ChosenFiles ChooserResult(const QStringList& paths) {
  if (paths.isEmpty()) return {};
  if (paths.size() == 1) return ChosenFiles(ToLocalPath(paths.front()));
  // A multiple selection always comes from one folder.
  ChosenFiles out(ToLocalPath(QFileInfo(paths.front()).absolutePath()), {});
  for (const QString& path : paths) out.names.push_back(ToLocalPath(QFileInfo(path).fileName()));
  return out;
}

bool InstallQtTranslations(QCoreApplication& app, const QLocale& locale) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

void CloseAllTopLevelWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    Qt::WindowType type = window->windowType();
    if (type == Qt::Window || type == Qt::Dialog) window->close();
  }
}

ChosenFiles QtDialogs::ChooseFiles(const std::string& title) {
  return ChooserResult(QFileDialog::getOpenFileNames(nullptr, QString::fromStdString(title)));
}

std::string QtDialogs::ChooseFolder(const std::string& title) {
  QString folder = QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QString(),
                                                     QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return {};
  std::string path = ToLocalPath(QDir::cleanPath(folder));
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

MessageAnswer QtDialogs::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                     MessageButtons buttons) {
  const bool yes_no = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoDefaultNo;
  QMessageBox box(icon == MessageIcon::Critical      ? QMessageBox::Critical
                  : icon == MessageIcon::Information ? QMessageBox::Information
                                                     : QMessageBox::Warning,
                  QString::fromStdString(title), QString::fromStdString(text),
                  yes_no ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
  if (buttons == MessageButtons::YesNoDefaultNo) {
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  // A box with no window of ours behind it (a second copy's refusal) would
  // otherwise open under the running copy's window on some desktops.
  bool window_shown = false;
  for (QWidget* window : QApplication::topLevelWidgets()) window_shown = window_shown || window->isVisible();
  if (!window_shown) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  int answer = box.exec();
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

bool QtDialogs::ShowMessageWithCheckBox(const std::string& text, const std::string& title, MessageIcon icon,
                                        const std::string& check_box) {
  QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                  QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok);
  auto* check = new QCheckBox(QString::fromStdString(check_box));  // the box owns it
  box.setCheckBox(check);
  box.exec();
  return check->isChecked();
}

void QtShellOpener::OpenAddress(const std::string& address) {
  if (address.empty()) return;
  QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void QtShellOpener::OpenFile(const std::string& path, std::function<void()> failed) {
  const QUrl url = QUrl::fromLocalFile(FromLocalPath(path));
  const QString opener = QStandardPaths::findExecutable("xdg-open");
  if (opener.isEmpty()) {
    if (!QDesktopServices::openUrl(url) && failed) failed();
    return;
  }
  // Only xdg-open's exit status says whether an application took the file;
  // QDesktopServices reports no more than that the opener started.
  // No parent: a viewer still open when Velmora ends must not be killed.
  auto* process = new QProcess;
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
    if ((status != QProcess::NormalExit || code != 0) && failed) failed();
    process->deleteLater();
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    if (failed) failed();
    process->deleteLater();
  });
  process->start(opener, {QString::fromLatin1(url.toEncoded())});
}

std::string QtClock::ShortDateNow() {
  return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

std::string QtClock::ShortTimeNow() {
  return QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat).toStdString();
}

QDate QtClock::Today() { return QDate::currentDate(); }

std::optional<QString> QtSettingsStore::Read(const QString& key) {
  QSettings settings("Velmora", "Velmora");
  if (!settings.contains(key)) return std::nullopt;
  return settings.value(key).toString();
}

bool QtSettingsStore::Write(const QString& key, const QString& value) {
  QSettings settings("Velmora", "Velmora");
  settings.setValue(key, value);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

QtInstanceLock::QtInstanceLock(QString lock_path) : path_(std::move(lock_path)) {
  if (path_.isEmpty()) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    path_ = folder + "/velmora.lock";
  }
}

bool QtInstanceLock::TryAcquire() {
  lock_ = std::make_unique<QLockFile>(path_);
  // Stale only when its process is gone: a long-running copy keeps its lock.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return true;
  if (lock_->error() == QLockFile::LockFailedError) return false;
  // The lock cannot be made at all (no runtime folder): do not stop the user.
  return true;
}

void QtInstanceLock::Release() { lock_.reset(); }

}  // namespace velmora
