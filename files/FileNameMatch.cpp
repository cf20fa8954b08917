#include "files/FileNameMatch.h"

#include <QCollator>
#include <QLocale>

namespace {

bool SameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool MatchesMask(QStringView name, QStringView mask)
{
    // Greedy matching with one back-track point (the last "*"): linear in practice and
    // never worse than name length times mask length.
    qsizetype n = 0, m = 0, starMask = -1, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == u'?' || SameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

// A Russian reader's order (Ё beside Е, before Я), letters without regard to case and runs
// of digits by their value. The collator is made once per thread: it is not cheap to set up
// and may not be shared between threads.
bool NaturalLess(const QString& a, const QString& b)
{
    thread_local const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int c = collator.compare(a, b);
    return c != 0 ? c < 0 : a < b;
}
