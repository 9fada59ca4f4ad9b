#include "platform/IniFile.h"

#include "platform/FileSystem.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace velmaro {

namespace {

constexpr qsizetype MaxValueLength = 2047; // the classic 2048-character buffer, less its terminator

// Lines are handled as bytes so that every line a write does not touch is kept byte for byte, whatever
// its encoding. Names and values are decoded as UTF-8, or as Latin-1 when they are not valid UTF-8.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

bool sameName(const QByteArray& raw, const QString& name)
{
    return decode(raw.trimmed()).compare(name.trimmed(), Qt::CaseInsensitive) == 0;
}

struct IniLines
{
    QByteArrayList lines; // without their line breaks
    QByteArray eol = "\r\n";
    bool endsWithBreak = true;
};

IniLines split(const QByteArray& content)
{
    IniLines ini;
    if (content.isEmpty())
        return ini;
    if (content.contains('\n') && !content.contains("\r\n"))
        ini.eol = "\n";
    ini.endsWithBreak = content.endsWith('\n');
    ini.lines = content.split('\n');
    if (ini.endsWithBreak)
        ini.lines.removeLast();
    for (QByteArray& line : ini.lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return ini;
}

// The section name of a "[name]" line, or nothing.
std::optional<QByteArray> sectionName(QByteArray line, bool first)
{
    if (first && line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);
    line = line.trimmed();
    if (!line.startsWith('['))
        return std::nullopt;
    const qsizetype close = line.indexOf(']');
    if (close < 0)
        return line.mid(1);
    return line.mid(1, close - 1);
}

// The key part of a "key=value" line, or nothing for comments and other lines.
std::optional<QByteArray> keyName(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.startsWith(';'))
        return std::nullopt;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq);
}

// Index range [begin, end) of the lines of the first section called `section`, without its header.
// Nothing when the section is absent.
std::optional<std::pair<int, int>> findSection(const IniLines& ini, const QString& section)
{
    int begin = -1;
    for (int i = 0; i < ini.lines.size(); ++i) {
        const auto name = sectionName(ini.lines.at(i), i == 0);
        if (!name)
            continue;
        if (begin >= 0)
            return std::make_pair(begin, i);
        if (sameName(*name, section))
            begin = i + 1;
    }
    if (begin >= 0)
        return std::make_pair(begin, int(ini.lines.size()));
    return std::nullopt;
}

int findKey(const IniLines& ini, std::pair<int, int> range, const QString& key)
{
    for (int i = range.first; i < range.second; ++i) {
        const auto name = keyName(ini.lines.at(i));
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

QString valueOf(const QByteArray& line)
{
    QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
    // A value enclosed in matching quotes is returned without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return decode(value).left(MaxValueLength);
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

Result<QString> ReadProfileValue(const QString& iniPath, const QString& section, const QString& key)
{
    // A folder, named pipe or device in the file's place is refused before anything opens it.
    const Status regular = CheckRegularFile(iniPath);
    if (!regular.ok())
        return regular;
    const QString native = NativePath(iniPath);
    if (!QFileInfo::exists(native))
        return QString();
    QFile file(native);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("Cannot read \"%1\": %2.").arg(DisplayPath(iniPath), file.errorString()));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::failure(
            QStringLiteral("Cannot read \"%1\": %2.").arg(DisplayPath(iniPath), file.errorString()));
    const IniLines ini = split(content);
    const auto range = findSection(ini, section);
    if (!range)
        return QString();
    const int line = findKey(ini, *range, key);
    return line < 0 ? QString() : valueOf(ini.lines.at(line));
}

QString ReadProfileString(const QString& iniPath, const QString& section, const QString& key)
{
    const Result<QString> value = ReadProfileValue(iniPath, section, key);
    return value.ok() ? *value : QString();
}

Status WriteProfileValue(const QString& iniPath, const QString& section, const QString& key,
                         const QString& value)
{
    // A name or value with a line break would split its line and damage the file.
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty() || hasLineBreak(section) || hasLineBreak(key)
        || hasLineBreak(value) || section.contains(QLatin1Char(']')) || key.contains(QLatin1Char('=')))
        return Status::failure(QStringLiteral("The value cannot be stored in an INI file (a line break, "
                                              "an empty name, \"]\" in a section or \"=\" in a key)."));

    const QString native = NativePath(iniPath);
    QByteArray content;
    if (FileExists(iniPath)) { // a link that cannot be followed is refused, never written through
        const Status regular = CheckRegularFile(iniPath);
        if (!regular.ok())
            return regular;
        QFile file(native);
        // An existing file that cannot be read is never replaced: its other lines would be lost.
        if (!file.open(QIODevice::ReadOnly))
            return Status::failure(
                QStringLiteral("Cannot read \"%1\": %2.").arg(DisplayPath(iniPath), file.errorString()));
        content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Status::failure(
                QStringLiteral("Cannot read \"%1\": %2.").arg(DisplayPath(iniPath), file.errorString()));
    }

    IniLines ini = split(content);
    const QByteArray newLine = key.toUtf8() + '=' + value.toUtf8();
    if (const auto range = findSection(ini, section)) {
        const int line = findKey(ini, *range, key);
        if (line >= 0) {
            // Keep the key as spelled in the file; replace only its value.
            const QByteArray& old = ini.lines.at(line);
            ini.lines[line] = old.left(old.indexOf('=') + 1) + value.toUtf8();
        } else {
            // After the last non-blank line of the section.
            int at = range->second;
            while (at > range->first && ini.lines.at(at - 1).trimmed().isEmpty())
                --at;
            ini.lines.insert(at, newLine);
        }
    } else {
        ini.lines << '[' + section.toUtf8() + ']' << newLine;
    }
    ini.endsWithBreak = true;

    QByteArray out;
    for (const QByteArray& line : std::as_const(ini.lines))
        out += line + ini.eol;
    return WriteFileAtomically(iniPath, out);
}

bool WriteProfileString(const QString& iniPath, const QString& section, const QString& key,
                        const QString& value)
{
    return WriteProfileValue(iniPath, section, key, value).ok();
}

} // namespace velmaro
