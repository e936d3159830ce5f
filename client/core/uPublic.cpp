#include "client/core/uPublic.h"

#include "platform/ini/inifile.h"
#include "platform/ui/desktop.h"

namespace vintrel {

LoginStateData &LoginState()
{
    static LoginStateData state;
    return state;
}

QString programFile(const QString &name)
{
    return ini::resolveFileName(ui::programFolder(), name);
}

} // namespace vintrel
