#include "mapping/MappingRules.h"

#include "base/IntegerText.h"

namespace velmaro {

namespace {

// One check of a column: the value must lie within [low, high]; with `nonEmpty` any non-empty
// text passes instead. `withLimit` appends the high bound and ". " to the text.
struct ColumnCheck
{
    int column; // index into the row
    qint32 low;
    qint32 high;
    bool nonEmpty;
    bool withLimit;
    const char* text;
};

QList<ColumnCheck> checksOf(MappingSide side, const MappingLimits& limits)
{
    if (side == MappingSide::In) {
        return {
            {0, 1, 250, false, false,
             "!! [ProfiBus IN --> Serial Read] Slave ID must be between 1 and 250. "},
            {1, 0, 0, true, false,
             "!! [ProfiBus IN --> Serial Read] Type must be Holding Register or Input Register. "},
            {2, 0, 65535, false, false,
             "!! [ProfiBus IN --> Serial Read] Address Register must be between 0 and 65535. "},
            {3, 1, 127, false, false,
             "!! [ProfiBus IN --> Serial Read] Number point must be between 1 and 127. "},
            {4, 0, limits.in, false, true,
             "!! [ProfiBus IN --> Serial Read] Address Profibus must be between 0 and "},
        };
    }
    return {
        {0, 1, 250, false, false, "!! [Serial Write --> ProfiBus OUT] Slave ID must be between 1 and 250. "},
        {1, 0, 65535, false, false,
         "!! [Serial Write --> ProfiBus OUT] Address Register must be between 0 and 65535. "},
        {2, 1, 127, false, false,
         "!! [Serial Write --> ProfiBus OUT] Number point must be between 1 and 127. "},
        {3, 0, limits.out, false, true,
         "!! [Serial Write --> ProfiBus OUT] Address Profibus High must be between 0 and "},
    };
}

bool passes(const ColumnCheck& check, const QString& value)
{
    if (check.nonEmpty)
        return !value.isEmpty();
    // A text that is not an integer counts as -1, below every accepted range.
    const qint32 n = ParseIntegerTextOr(value, -1);
    return n >= check.low && n <= check.high;
}

} // namespace

MappingTables RowsInUse(const MappingTables& grid)
{
    MappingTables used;
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        for (const MappingRow& row : grid.side(side)) {
            if (row.isEmpty() || row.first().isEmpty())
                break;
            used.side(side) << row;
        }
    }
    return used;
}

Status ValidateMapping(const MappingTables& used, const MappingLimits& limits)
{
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const QList<ColumnCheck> checks = checksOf(side, limits);
        const QList<MappingRow>& rows = used.side(side);
        for (int r = 0; r < rows.size(); ++r) {
            for (const ColumnCheck& check : checks) {
                const QString value = check.column < rows[r].size() ? rows[r][check.column] : QString();
                if (passes(check, value))
                    continue;
                QString message =
                    QStringLiteral("Error row ") + QString::number(r + 1) + QLatin1String(check.text);
                if (check.withLimit)
                    message += QString::number(check.high) + QStringLiteral(". ");
                return Status::failure(message);
            }
        }
    }
    return Status();
}

MappingCheck CheckMappingDocument(const QString& pargenPath, const QString& sdoPath)
{
    MappingCheck check;
    const MappingLoad load = LoadMappingDocument(sdoPath);
    check.found = load.found;
    check.notices = load.notices;
    if (!load.found)
        return check;
    if (!load.ok()) {
        check.verdict = Status::failure(load.error);
        return check;
    }
    const Result<MappingLimits> limits = LoadMappingLimits(pargenPath);
    if (!limits.ok()) {
        check.verdict = limits.status();
        return check;
    }
    check.used = RowsInUse(load.tables);
    check.verdict = ValidateMapping(check.used, limits.value());
    return check;
}

} // namespace velmaro
