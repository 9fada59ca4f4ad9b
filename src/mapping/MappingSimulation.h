#pragma once

// The data exchange the mapping tables describe, without the gateway: a Modbus RTU master on the serial
// line reads every IN row (function 3 for "Holding Register", 4 for "Input Register") and writes every
// OUT row (function 16). Every point is one 16-bit register and 2 bytes of the PROFIBUS data from
// Address ProfiBUS, high byte first; where rows share bytes, later rows overwrite earlier ones.
//
// Shared by velmaro-cli simulate, poll, serve and the "Test Mapping" window: the requests of a table
// (PlanRequests), the input data from the registers read (InputImage), the writes an output data
// causes (OutputWrites), and the texts of both files a user gives (values, hex data).

#include "base/Result.h"
#include "mapping/MappingDocument.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace velmaro {

enum class RegisterKind : quint8
{
    Holding,
    Input
};

// Modbus function that reads a register kind: 3 holding, 4 input.
int ReadFunction(RegisterKind kind);
// "holding" / "input": the words of the values file.
QString RegisterKindWord(RegisterKind kind);

// The largest register counts one Modbus request carries.
constexpr int MaxReadRegisters = 125;
constexpr int MaxWriteRegisters = 123;

// One register of one slave.
struct RegisterKey
{
    int slave = 0;
    RegisterKind kind = RegisterKind::Holding;
    int address = 0; // 0..65535

    bool operator==(const RegisterKey& o) const
    {
        return slave == o.slave && kind == o.kind && address == o.address;
    }
};
inline size_t qHash(const RegisterKey& k, size_t seed = 0)
{
    return ::qHash((quint64(quint32(k.slave)) << 20) ^ (quint64(k.kind) << 17) ^ quint64(k.address), seed);
}

using RegisterValues = QHash<RegisterKey, quint16>;

// The values file: one register a line, "slave,type,register,value" (type "holding" or "input", case
// ignored; numbers decimal or 0x hex; slave 1..250, register and value 0..65535). Blank lines, lines
// starting with '#' and a header are skipped: a first line of four fields none of which starts with a
// digit or a sign or is a type word ("slave,type,register,value"). A bad line fails with "line N: " and why.
// A later line for the same register replaces the earlier value.
Result<RegisterValues> ParseRegisterValues(const QString& text);

// Hex bytes ("01 0A ff", "010aff"; blanks between bytes optional), at most `maxLength`. Fails when a
// character is no hex digit, a byte has one digit only, or there are more bytes than `maxLength`.
Result<QByteArray> ParseHexBytes(const QString& text, qint64 maxLength);

// One read of an IN row.
struct ReadRequest
{
    int row = 0; // row number in the table, from 1
    int slave = 0;
    RegisterKind kind = RegisterKind::Holding;
    int first = 0;   // register address on the wire
    int count = 0;   // registers (NPoint)
    qint64 byte = 0; // first PROFIBUS input byte (Address ProfiBUS)
};

// One write of an OUT row; `values` is empty in a plan and filled by OutputWrites.
struct WriteRequest
{
    int row = 0;
    int slave = 0;
    int first = 0;
    int count = 0;
    qint64 byte = 0; // first PROFIBUS output byte
    QVector<quint16> values;
};

// A row in use that cannot be sent, with the reason.
struct PlanProblem
{
    MappingSide side = MappingSide::In;
    int row = 0;
    QString reason;
};

struct RequestPlan
{
    QList<ReadRequest> reads;
    QList<WriteRequest> writes;
    QList<PlanProblem> problems; // rows left out of reads / writes
};

// The requests of the rows in use (as RowsInUse gives them), in row order. A row is left out, with its
// reason, when a cell is not an integer in the editor's range, the Type is neither register type, the
// registers run past 65535 or one request cannot carry them.
RequestPlan PlanRequests(const MappingTables& used);

// The registers a read request names, in order.
QList<RegisterKey> RequestRegisters(const ReadRequest& read);

// The input data of `length` bytes from the values of each read (values[i] belongs to reads[i]; a
// missing or short entry counts as zeros): row after row, each value high byte first from the row's
// byte; bytes past `length` are dropped.
QByteArray InputImage(const QList<ReadRequest>& reads, const QList<QVector<quint16>>& values, qint64 length);

// What an offline run gives: the values of every read (registers without a value count as 0 and are
// listed in `missing`) and the input data.
struct Simulation
{
    QList<QVector<quint16>> values; // per read
    QList<RegisterKey> missing;     // in request order, each once
    QByteArray image;
};
Simulation Simulate(const QList<ReadRequest>& reads, const RegisterValues& registers, qint64 length);

// The writes of the OUT rows for an output data: each register from 2 bytes at the row's byte, high
// byte first; bytes past the data's end count as 00.
QList<WriteRequest> OutputWrites(const QList<WriteRequest>& plan, const QByteArray& output);

// "0x1234 0xABCD"
QString RegisterValuesText(const QVector<quint16>& values);
// "01 0A FF": two upper-case digits a byte, single blanks.
QString HexLine(const QByteArray& bytes);
// 16 bytes a line, each line the offset of its first byte in decimal (as Address ProfiBUS counts),
// right-aligned to 3 places, ": ", then the bytes as HexLine.
QString HexDump(const QByteArray& bytes);
// "slave 3 input register 17"
QString DescribeRegister(const RegisterKey& key);

} // namespace velmaro
