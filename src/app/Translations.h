#pragma once
#include "settings/UiLanguage.h"

class QCoreApplication;
class QTranslator;

// Installs the translators of `language` on `app`: our English texts for
// English (the Chinese texts are the sources, nothing to load), Qt's own
// Chinese for its dialogs and buttons for Chinese. A translation that cannot
// be loaded leaves the texts as they are. Returns the translator installed
// (owned by `app`), or nullptr.
QTranslator* installTranslations(QCoreApplication& app, uilang::Language language);
