#include "app/Translations.h"
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* installTranslations(QCoreApplication& app, uilang::Language language)
{
    auto* t = new QTranslator(&app);
    const bool loaded = language == uilang::Language::English
        ? t->load(QStringLiteral(":/i18n/svclient_en.qm"))
        : t->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded || !QCoreApplication::installTranslator(t)) {
        delete t;
        return nullptr;
    }
    return t;
}
