#include "platform/IniFile.h"

namespace velmaro {

QString ReadProfileString(const QString&, const QString&, const QString&)
{
    return {};
}

bool WriteProfileString(const QString&, const QString&, const QString&, const QString&)
{
    return true;
}

} // namespace velmaro
