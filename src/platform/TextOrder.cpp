#include "platform/TextOrder.h"

#include <QCollator>
#include <QLocale>

#include <optional>

namespace TextOrder {

const QCollator& collator()
{
    // A collator is not to be shared between threads, and making one is far
    // dearer than a comparison: one per thread, kept while the locale stays.
    thread_local std::optional<QCollator> made;
    thread_local QLocale madeFor;
    const QLocale locale;
    if (!made || madeFor != locale) {
        made.emplace(locale);
        madeFor = locale;
        made->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return *made;
}

int compare(QStringView a, QStringView b) { return compare(collator(), a, b); }

int compare(const QCollator& order, QStringView a, QStringView b)
{
    if (a == b)  // the commonest tie in a long list, for the price of a memcmp
        return 0;
    const int c = order.compare(a, b);
    return c != 0 ? c : a.compare(b, Qt::CaseInsensitive);
}

}  // namespace TextOrder
