#include "platform/Workbook.h"

namespace velmaro {

Result<std::shared_ptr<Workbook>> OpenWorkbook(const QString& path)
{
    return Result<std::shared_ptr<Workbook>>::failure(
        QStringLiteral("\"%1\": workbook formats are not readable yet").arg(path));
}

} // namespace velmaro
