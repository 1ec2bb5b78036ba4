// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's texts in the user's language. FrmMain's own go through its
// tr(); the texts of the shell's free functions through Texts::tr, and the
// core's (marked VELMORA_UI_TEXT, context "Velmora") through UiText: one
// context, "Velmora", in the .ts files. Box texts travel as UTF-8.
#include <QCoreApplication>
#include <QString>

#include <string>

namespace velmora {

struct Texts {
  Q_DECLARE_TR_FUNCTIONS(Velmora)
};

inline QString UiText(const char* english) { return QCoreApplication::translate("Velmora", english); }
inline QString UiText(const std::string& english) { return UiText(english.c_str()); }
inline std::string Utf8(const QString& text) { return text.toStdString(); }
// The core's sentence builders' TextLookup for the window.
inline std::string UiWords(const char* english) { return Utf8(UiText(english)); }
// The title of the window's boxes and dialogs: the program's name.
inline std::string BoxTitle() { return UiWords(QT_TRANSLATE_NOOP("Velmora", "Velmora")); }

}  // namespace velmora
