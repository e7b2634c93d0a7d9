#include "settings/IniFile.h"
#include "settings/UiLanguage.h"
#include "TestDir.h"
#include <gtest/gtest.h>

namespace {

using uilang::Language;

TEST(UiLanguage, OptionThenSettingsKeyThenSystemLocale)
{
    struct Case
    {
        std::optional<QString> option;
        QByteArray ini;
        QString locale;
        std::optional<Language> language;
        QString errorHas;
    } cases[] = {
        {std::nullopt, "", "zh_CN", Language::Chinese, {}},
        {std::nullopt, "", "en_GB", Language::English, {}},
        {std::nullopt, "", "en_US", Language::English, {}},
        {std::nullopt, "", "de_DE", Language::Chinese, {}},
        {std::nullopt, "", "C", Language::Chinese, {}},
        {std::nullopt, "[Display]\nLanguage=en\n", "zh_CN", Language::English, {}},
        {std::nullopt, "[display]\nlanguage = EN \n", "zh_CN", Language::English, {}},
        {std::nullopt, "[Display]\nLanguage=zh\n", "en_GB", Language::Chinese, {}},
        // A key naming no language we ship is Chinese, never an error.
        {std::nullopt, "[Display]\nLanguage=fr\n", "en_GB", Language::Chinese, {}},
        {std::nullopt, "[Display]\nLanguage=English\n", "en_GB", Language::Chinese, {}},
        // An empty key is as good as none.
        {std::nullopt, "[Display]\nLanguage=\n", "en_GB", Language::English, {}},
        {QString("en"), "[Display]\nLanguage=zh\n", "zh_CN", Language::English, {}},
        {QString("zh"), "[Display]\nLanguage=en\n", "en_GB", Language::Chinese, {}},
        {QString("fr"), "", "zh_CN", std::nullopt, "--lang \"fr\""},
        {QString(""), "", "zh_CN", std::nullopt, "zh or en"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "option " << c.option.value_or("(none)").toStdString() << ", file "
                                        << c.ini.toStdString() << ", locale " << c.locale.toStdString());
        TestDir dir;
        TestDir::writeAll(dir.file("svclient.INI"), c.ini);
        IniFile ini(dir.file("svclient.INI"));
        ini.load();
        QString error;
        EXPECT_EQ(uilang::choose(c.option, ini, c.locale, &error), c.language);
        if (c.errorHas.isEmpty())
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        else
            EXPECT_TRUE(error.contains(c.errorHas)) << error.toStdString();
    }
}

}  // namespace
