#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// The number texts as first written: every value printed by snprintf with 60
// digits beyond the rounding position, rounded by hand on the printed text, and
// parsed by strtod. Slow and plainly right; the library's fast versions must
// give the same bytes (tests/settings/Format_test.cpp, bench/format_proof.cpp).
namespace reference {

QString formatFloat(const QString& pattern, double value);
bool parseFloat(const QString& text, double* value);

// Every number pattern the client writes with, and the edges of the fast path.
QStringList patterns();

// Values where rounding goes wrong first: decimal ties (exact and not) and their
// neighbours at every decimal place, negative values that round to zero, huge
// and subnormal values, runs of nines, both signs of each.
std::vector<double> edgeValues();

}  // namespace reference
