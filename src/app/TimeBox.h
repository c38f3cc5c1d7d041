#pragma once

#include <QString>
#include <QTime>

#include <functional>

class QLineEdit;

// The time-of-day boxes of the event window and the segment header: one
// reader and one check for both.
namespace TimeBox {

// The time of day a text names; invalid for a text that is no time. A date
// alone names midnight.
QTime read(const QString& text);

// The check made as the user leaves a box: an empty box or a time passes,
// the time rewritten with `format`. Anything else is said once (text 631),
// the box gets back what it held when it got the focus, and the focus
// returns to it. False when the text was refused.
bool check(QLineEdit* box, const std::function<QString(const QTime&)>& format);

}  // namespace TimeBox
