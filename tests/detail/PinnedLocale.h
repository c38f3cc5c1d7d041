#pragma once

#include <QLocale>

// The default locale for one test, given back afterwards: a test that reads
// or types shown text in one locale's forms runs the same under any LANG.
class PinnedLocale {
public:
    explicit PinnedLocale(const QLocale& locale = QLocale::c()) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~PinnedLocale() { QLocale::setDefault(m_saved); }
    PinnedLocale(const PinnedLocale&) = delete;
    PinnedLocale& operator=(const PinnedLocale&) = delete;

private:
    QLocale m_saved;
};
