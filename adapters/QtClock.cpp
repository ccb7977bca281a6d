#include "adapters/QtClock.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace neva {

namespace {

// Writes day, month and two-digit year into a date pattern by hand, for stamps
// that are not calendar dates. Names of days and months become numbers.
QString fill_pattern(const QString& pattern, int day, int month, int yy) {
    QString out;
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\'')) {  // quoted literal
            int j = i + 1;
            while (j < pattern.size() && pattern[j] != QLatin1Char('\'')) out += pattern[j++];
            i = j + 1;
            continue;
        }
        int run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        if (c == QLatin1Char('d') && run <= 2) {
            out += run == 1 ? QString::number(day) : QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
        } else if (c == QLatin1Char('d')) {
            // day name: drop it together with a following separator
        } else if (c == QLatin1Char('M')) {
            out += run == 1 ? QString::number(month) : QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
        } else if (c == QLatin1Char('y')) {
            out += QStringLiteral("%1").arg(yy, 2, 10, QLatin1Char('0'));
        } else {
            out += QString(run, c);
        }
        i += run;
    }
    return out;
}

}  // namespace

QtClock::QtClock() { elapsed_.start(); }

DateTime QtClock::now() const {
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    return DateTime{d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second()};
}

std::int64_t QtClock::monotonic_ms() const { return elapsed_.elapsed(); }

QString QtClock::short_date_pattern() {
    QString pattern = QLocale::system().dateFormat(QLocale::ShortFormat);
    // A locale without a numeric short date (the "C" locale gives "d MMM yy") gets
    // the numeric one the stand-alone clock uses.
    static const QRegularExpression names(QStringLiteral("MMM|ddd"));
    if (pattern.contains(names)) pattern = QStringLiteral("dd/MM/yy");
    // Four-digit (or one-digit) years become two digits.
    static const QRegularExpression years(QStringLiteral("y+"));
    pattern.replace(years, QStringLiteral("yy"));
    return pattern;
}

std::string QtClock::short_date(int day, int month, int year) const {
    const int yy = ((year % 100) + 100) % 100;
    const QString pattern = short_date_pattern();
    // A two-digit year is formatted from a date in the same century of any year
    // the calendar accepts; only the last two digits are printed.
    const QDate date(2000 + yy, month, day);
    if (date.isValid()) return QLocale::system().toString(date, pattern).toStdString();
    return fill_pattern(pattern, day, month, yy).toStdString();
}

}  // namespace neva
