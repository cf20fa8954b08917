#include "files/FileNameMatch.h"

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool SameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Compares the digit runs starting at i and j by value; advances both past their runs.
int CompareNumbers(QStringView a, qsizetype& i, QStringView b, qsizetype& j)
{
    while (i < a.size() && a[i] == u'0' && i + 1 < a.size() && IsDigit(a[i + 1]))
        ++i;
    while (j < b.size() && b[j] == u'0' && j + 1 < b.size() && IsDigit(b[j + 1]))
        ++j;
    const qsizetype si = i, sj = j;
    while (i < a.size() && IsDigit(a[i]))
        ++i;
    while (j < b.size() && IsDigit(b[j]))
        ++j;
    if (i - si != j - sj)
        return i - si < j - sj ? -1 : 1;
    return a.sliced(si, i - si).compare(b.sliced(sj, j - sj));
}

int NaturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            if (const int c = CompareNumbers(a, i, b, j))
                return c;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
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

bool NaturalLess(const QString& a, const QString& b)
{
    const int c = NaturalCompare(a, b);
    return c != 0 ? c < 0 : a < b;
}
