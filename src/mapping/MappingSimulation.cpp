#include "mapping/MappingSimulation.h"

#include "base/IntegerText.h"

#include <QSet>

namespace velmaro {

namespace {

// A number of the values file: decimal or 0x hex, nothing else.
std::optional<qint64> fileNumber(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 n = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        n = t.mid(2).toLongLong(&ok, 16);
    else if (!t.isEmpty() && t.at(0).isDigit())
        n = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

// The first line of the values file is a header when it has the four fields and none of them could be
// data: no field starts with a digit or a sign, or is a type word. Anything else is checked as data, so
// a mistyped first line is refused as the same line would be further down.
bool isHeader(const QStringList& fields)
{
    if (fields.size() != 4)
        return false;
    for (const QString& field : fields) {
        const QString f = field.trimmed();
        if (f.isEmpty() || f.at(0).isDigit() || f.at(0) == QLatin1Char('-') || f.at(0) == QLatin1Char('+')
            || f.compare(QLatin1String("holding"), Qt::CaseInsensitive) == 0
            || f.compare(QLatin1String("input"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

// A cell of a row as an integer within [low, high], or nothing.
std::optional<int> cellIn(const MappingRow& row, int column, qint64 low, qint64 high)
{
    const QString text = column < row.size() ? row.at(column) : QString();
    const auto n = ParseIntegerText(text);
    if (!n.ok() || *n < low || *n > high)
        return std::nullopt;
    return *n;
}

} // namespace

int ReadFunction(RegisterKind kind)
{
    return kind == RegisterKind::Holding ? 3 : 4;
}

QString RegisterKindWord(RegisterKind kind)
{
    return kind == RegisterKind::Holding ? QStringLiteral("holding") : QStringLiteral("input");
}

Result<RegisterValues> ParseRegisterValues(const QString& text)
{
    RegisterValues values;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool first = true;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        const bool header = first && isHeader(fields);
        first = false;
        if (header)
            continue;
        const auto fail = [&](const QString& why) {
            return Result<RegisterValues>::failure(QStringLiteral("line %1: %2").arg(i + 1).arg(why));
        };
        if (fields.size() != 4)
            return fail(
                QStringLiteral("expected slave,type,register,value, found %1 field(s)").arg(fields.size()));
        const auto slave = fileNumber(fields.at(0));
        if (!slave || *slave < 1 || *slave > 250)
            return fail(
                QStringLiteral("slave \"%1\" is not a number from 1 to 250").arg(fields.at(0).trimmed()));
        const QString type = fields.at(1).trimmed().toLower();
        RegisterKind kind;
        if (type == QLatin1String("holding"))
            kind = RegisterKind::Holding;
        else if (type == QLatin1String("input"))
            kind = RegisterKind::Input;
        else
            return fail(
                QStringLiteral("type \"%1\" is neither holding nor input").arg(fields.at(1).trimmed()));
        const auto address = fileNumber(fields.at(2));
        if (!address || *address > 65535)
            return fail(QStringLiteral("register \"%1\" is not a number from 0 to 65535")
                            .arg(fields.at(2).trimmed()));
        const auto value = fileNumber(fields.at(3));
        if (!value || *value > 65535)
            return fail(
                QStringLiteral("value \"%1\" is not a number from 0 to 65535").arg(fields.at(3).trimmed()));
        values.insert({int(*slave), kind, int(*address)}, quint16(*value));
    }
    return values;
}

Result<QByteArray> ParseHexBytes(const QString& text, qint64 maxLength)
{
    QByteArray bytes;
    int high = -1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            if (high >= 0)
                return Result<QByteArray>::failure(
                    QStringLiteral("byte %1 has one hex digit only").arg(bytes.size() + 1));
            continue;
        }
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return Result<QByteArray>::failure(
                QStringLiteral("\"%1\" at position %2 is not a hex digit").arg(c).arg(i + 1));
        if (high < 0) {
            high = digit;
            continue;
        }
        bytes.append(char(high << 4 | digit));
        high = -1;
        if (bytes.size() > maxLength)
            return Result<QByteArray>::failure(
                QStringLiteral("more than %1 bytes (the data length)").arg(maxLength));
    }
    if (high >= 0)
        return Result<QByteArray>::failure(
            QStringLiteral("byte %1 has one hex digit only").arg(bytes.size() + 1));
    return bytes;
}

namespace {

// The numbers of a table row, or why the row is left out.
struct RowNumbers
{
    int slave = 0;
    int first = 0;
    int count = 0;
    qint64 byte = 0;
    QString problem; // empty when the numbers hold
};

RowNumbers rowNumbers(const MappingRow& row, bool in)
{
    // Columns: slave, [type,] register, points, PROFIBUS byte.
    const int registerColumn = in ? 2 : 1;
    const auto slave = cellIn(row, 0, 1, 250);
    const auto first = cellIn(row, registerColumn, 0, 65535);
    const auto count = cellIn(row, registerColumn + 1, 1, 127);
    const auto byte = cellIn(row, registerColumn + 2, 0, std::numeric_limits<qint32>::max());
    RowNumbers n;
    if (!slave)
        n.problem = QStringLiteral("Slave ID is not a number from 1 to 250");
    else if (!first)
        n.problem = QStringLiteral("Address Register is not a number from 0 to 65535");
    else if (!count)
        n.problem = QStringLiteral("NPoint is not a number from 1 to 127");
    else if (!byte)
        n.problem = QStringLiteral("Address ProfiBUS is not a number from 0");
    else if (*first + *count - 1 > 65535)
        n.problem = QStringLiteral("registers %1..%2 run past 65535").arg(*first).arg(*first + *count - 1);
    else if (const int most = in ? MaxReadRegisters : MaxWriteRegisters; *count > most)
        n.problem =
            QStringLiteral("%1 registers do not fit in one request (at most %2)").arg(*count).arg(most);
    else
        n = {*slave, *first, *count, *byte, QString()};
    return n;
}

// The register kind an IN row's Type names, or nothing.
std::optional<RegisterKind> registerKindOf(const QString& type)
{
    if (type.compare(QLatin1String("Holding Register"), Qt::CaseInsensitive) == 0)
        return RegisterKind::Holding;
    if (type.compare(QLatin1String("Input Register"), Qt::CaseInsensitive) == 0)
        return RegisterKind::Input;
    return std::nullopt;
}

} // namespace

RequestPlan PlanRequests(const MappingTables& used)
{
    RequestPlan plan;
    for (MappingSide side : {MappingSide::In, MappingSide::Out}) {
        const bool in = side == MappingSide::In;
        const QList<MappingRow>& rows = used.side(side);
        for (int i = 0; i < rows.size(); ++i) {
            const MappingRow& row = rows.at(i);
            const RowNumbers n = rowNumbers(row, in);
            if (!n.problem.isEmpty()) {
                plan.problems.append({side, i + 1, n.problem});
                continue;
            }
            if (!in) {
                plan.writes.append({i + 1, n.slave, n.first, n.count, n.byte, {}});
                continue;
            }
            const QString type = row.value(1).trimmed();
            const std::optional<RegisterKind> kind = registerKindOf(type);
            if (!kind) {
                plan.problems.append(
                    {side, i + 1,
                     QStringLiteral("Type \"%1\" is neither Holding Register nor Input Register").arg(type)});
                continue;
            }
            plan.reads.append({i + 1, n.slave, *kind, n.first, n.count, n.byte});
        }
    }
    return plan;
}

QList<RegisterKey> RequestRegisters(const ReadRequest& read)
{
    QList<RegisterKey> keys;
    keys.reserve(read.count);
    for (int r = 0; r < read.count; ++r)
        keys.append({read.slave, read.kind, read.first + r});
    return keys;
}

QByteArray InputImage(const QList<ReadRequest>& reads, const QList<QVector<quint16>>& values, qint64 length)
{
    QByteArray image(int(std::max<qint64>(length, 0)), '\0');
    for (int i = 0; i < reads.size(); ++i) {
        const ReadRequest& read = reads.at(i);
        const QVector<quint16> none;
        const QVector<quint16>& v = i < values.size() ? values.at(i) : none;
        for (int r = 0; r < read.count; ++r) {
            const quint16 value = r < v.size() ? v.at(r) : 0;
            const qint64 at = read.byte + 2 * qint64(r);
            if (at < image.size())
                image[int(at)] = char(value >> 8);
            if (at + 1 < image.size())
                image[int(at + 1)] = char(value & 0xFF);
        }
    }
    return image;
}

Simulation Simulate(const QList<ReadRequest>& reads, const RegisterValues& registers, qint64 length)
{
    Simulation sim;
    sim.values.reserve(reads.size());
    QSet<RegisterKey> reported;
    for (const ReadRequest& read : reads) {
        QVector<quint16> v(read.count);
        for (int r = 0; r < read.count; ++r) {
            const RegisterKey key{read.slave, read.kind, read.first + r};
            const auto found = registers.constFind(key);
            if (found != registers.constEnd()) {
                v[r] = *found;
            } else if (!reported.contains(key)) {
                reported.insert(key);
                sim.missing.append(key);
            }
        }
        sim.values.append(v);
    }
    sim.image = InputImage(reads, sim.values, length);
    return sim;
}

QList<WriteRequest> OutputWrites(const QList<WriteRequest>& plan, const QByteArray& output)
{
    QList<WriteRequest> writes = plan;
    const auto byteAt = [&](qint64 at) {
        return at < output.size() ? quint8(output.at(int(at))) : quint8(0);
    };
    for (WriteRequest& w : writes) {
        w.values.resize(w.count);
        for (int r = 0; r < w.count; ++r) {
            const qint64 at = w.byte + 2 * qint64(r);
            w.values[r] = quint16(byteAt(at) << 8 | byteAt(at + 1));
        }
    }
    return writes;
}

QString RegisterValuesText(const QVector<quint16>& values)
{
    QStringList words;
    for (quint16 v : values)
        words << QStringLiteral("0x") + QString::number(v, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return words.join(QLatin1Char(' '));
}

QString HexLine(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString HexDump(const QByteArray& bytes)
{
    QString text;
    for (int at = 0; at < bytes.size(); at += 16)
        text += QString::number(at).rightJustified(3) + QStringLiteral(": ") + HexLine(bytes.mid(at, 16))
                + QLatin1Char('\n');
    return text;
}

QString DescribeRegister(const RegisterKey& key)
{
    return QStringLiteral("slave %1 %2 register %3")
        .arg(key.slave)
        .arg(RegisterKindWord(key.kind))
        .arg(key.address);
}

} // namespace velmaro
