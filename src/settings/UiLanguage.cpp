#include "settings/UiLanguage.h"
#include "settings/IniFile.h"

namespace uilang {

std::optional<Language> parse(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == u"zh")
        return Language::Chinese;
    if (t == u"en")
        return Language::English;
    return std::nullopt;
}

std::optional<Language> choose(const std::optional<QString>& option, const IniFile& ini,
                               const QString& systemLocaleName, QString* error)
{
    if (option) {
        const std::optional<Language> l = parse(*option);
        if (!l)
            *error = QStringLiteral("--lang \"%1\": the language must be zh or en").arg(*option);
        return l;
    }
    const std::optional<QString> value = ini.readString(kSection, kKey);
    if (value && !value->trimmed().isEmpty())
        return parse(*value).value_or(Language::Chinese);
    return systemLocaleName.startsWith(u"en") ? Language::English : Language::Chinese;
}

}  // namespace uilang
