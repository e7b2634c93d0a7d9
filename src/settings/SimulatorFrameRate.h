#pragma once
#include <QString>
#include <optional>

class IniFile;

// The simulated probe's live frame rate: a whole number of frames per second
// from 1 to 96 (96 frames of 10 bytes fill the 9600-baud line). 10 unless the
// command line (--frame-rate N) or the settings file ([Simulator] Frame Rate)
// names one; the command line wins.
namespace simrate {

constexpr int kDefault = 10;
constexpr int kMin = 1;
constexpr int kMax = 96;
inline const QString kSection = QStringLiteral("Simulator");
inline const QString kKey = QStringLiteral("Frame Rate");

// The rate a text names, or nothing when it is no whole number from 1 to 96.
std::optional<int> parse(const QString& text);

// The rate to run: the option's value when given, else the settings key's,
// else the default. A value that is no rate gives nothing, with `error`
// naming where it came from and what is allowed.
std::optional<int> choose(const std::optional<QString>& option, const IniFile& ini, QString* error);

}  // namespace simrate
