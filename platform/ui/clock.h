#pragma once
// The programs' clock. Tests that need a fixed "now" (midnight, the seventh day back) set one.

#include <QDateTime>

namespace vintrel::ui {

QDateTime now();
QDate today();
// An invalid date-time goes back to the system clock.
void setFixedNow(const QDateTime &now);

} // namespace vintrel::ui
