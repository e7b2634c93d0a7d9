#pragma once
#include <QString>
#include <optional>

class IniFile;

// The language of the window: Chinese, the client's own, or English.
// The command line (--lang zh|en) wins, then [Display] Language in the
// settings file, then the system's locale (English for an "en" locale,
// Chinese for any other). A settings value that names no language we ship
// gives Chinese without complaint: a hand-edited file must never stop the
// client at sea.
namespace uilang {

enum class Language { Chinese, English };

inline const QString kSection = QStringLiteral("Display");
inline const QString kKey = QStringLiteral("Language");

// "zh" or "en" (any case, surrounding blanks ignored); nothing otherwise.
std::optional<Language> parse(const QString& text);

// The language to show. `option` is --lang's value when given; a value that
// is no language gives nothing, with `error` saying what is allowed.
// `systemLocaleName` is QLocale::system().name(), e.g. "en_GB" or "zh_CN".
std::optional<Language> choose(const std::optional<QString>& option, const IniFile& ini,
                               const QString& systemLocaleName, QString* error);

}  // namespace uilang
