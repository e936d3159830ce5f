#include "platform/ui/clock.h"

#include <mutex>

namespace vintrel::ui {

namespace {
std::mutex clockMutex;
QDateTime fixedNow;
} // namespace

QDateTime now()
{
    std::lock_guard lock(clockMutex);
    return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime();
}

QDate today() { return now().date(); }

void setFixedNow(const QDateTime &value)
{
    std::lock_guard lock(clockMutex);
    fixedNow = value;
}

} // namespace vintrel::ui
