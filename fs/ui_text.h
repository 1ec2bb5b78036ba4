// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Marks a text of the core that the window shows, for lupdate (which reads
// it as QT_TRANSLATE_NOOP: translations/CMakeLists.txt). The core keeps the
// English text as it is, for the report, standard error and the command
// line; the window translates it in the "Velmora" context at display.
#define VELMORA_UI_TEXT(context, text) text
