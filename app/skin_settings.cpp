#include "app/skin_settings.h"

#include "platform/app_paths.h"
#include "platform/atomic_file.h"
#include "ui/paint_manager.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

namespace talven {

namespace {

const QString kSection = QStringLiteral("SKINIMAGE");

enum class LineKind { Other, Section, Value, Bad };

LineKind kindOf(const QString& raw) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) return LineKind::Other;
    if (line.startsWith(QLatin1Char('['))) return line.endsWith(QLatin1Char(']')) ? LineKind::Section : LineKind::Bad;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq > 0 ? LineKind::Value : LineKind::Bad;
}

QString sectionName(const QString& line) { return line.trimmed().mid(1).chopped(1).trimmed(); }
QString keyOf(const QString& line) { return line.left(line.indexOf(QLatin1Char('='))).trimmed(); }
QString valueOf(const QString& line) { return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed(); }

// The file's lines: empty for a missing file, nothing when it cannot be
// read, is not UTF-8 text or holds a line that is not INI.
std::optional<QStringList> readLines(const QString& path) {
    QFile file(path);
    if (!file.exists()) return QStringList();
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError() || text.contains(QChar(0))) return std::nullopt;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (kindOf(line) == LineKind::Bad) return std::nullopt;
    }
    return lines;
}

// Index range [first, end) of the section's body; first is -1 when absent.
std::pair<qsizetype, qsizetype> sectionRange(const QStringList& lines) {
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (kindOf(lines[i]) != LineKind::Section) continue;
        if (first >= 0) return {first, i};
        if (sectionName(lines[i]).compare(kSection, Qt::CaseInsensitive) == 0) first = i + 1;
    }
    return {first, lines.size()};
}

std::optional<QString> value(const QStringList& lines, const char* key) {
    const auto [first, end] = sectionRange(lines);
    if (first < 0) return std::nullopt;
    for (qsizetype i = first; i < end; ++i) {
        if (kindOf(lines[i]) == LineKind::Value && keyOf(lines[i]).compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return valueOf(lines[i]);
    }
    return std::nullopt;
}

void setValue(QStringList& lines, const char* key, const QString& text) {
    const QString line = QLatin1String(key) + QLatin1Char('=') + text;
    auto [first, end] = sectionRange(lines);
    if (first < 0) {
        lines << QLatin1Char('[') + kSection + QLatin1Char(']') << line;
        return;
    }
    for (qsizetype i = first; i < end; ++i) {
        if (kindOf(lines[i]) == LineKind::Value && keyOf(lines[i]).compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
            lines[i] = line;
            return;
        }
    }
    while (end > first && lines[end - 1].trimmed().isEmpty()) --end;  // before the blank lines that part sections
    lines.insert(end, line);
}

// An image the next start can show: a file below the skin folder (no way
// out of it) or an absolute path, and it must be there.
bool usableImage(const QString& image) {
    if (image.isEmpty()) return false;
    if (!QFileInfo(image).isAbsolute() && image.split(QLatin1Char('/')).contains(QLatin1String(".."))) return false;
    return QFileInfo(ui::CPaintManagerUI::ResolveResourceFile(image)).isFile();
}

std::optional<quint32> parseColour(const QString& text) {
    if (text.size() != 9 || !text.startsWith(QLatin1Char('#'))) return std::nullopt;
    bool ok = false;
    const quint32 argb = text.mid(1).toUInt(&ok, 16);
    return ok ? std::optional<quint32>(argb) : std::nullopt;
}

}  // namespace

std::optional<SkinChangedParam> readSkinChoice(const QString& iniPath) {
    const std::optional<QStringList> lines = readLines(iniPath);
    if (!lines) return std::nullopt;
    const QString flags = value(*lines, "FLAGS").value_or(QString());
    SkinChangedParam choice;
    if (flags == QLatin1String("2")) {
        const auto argb = parseColour(value(*lines, "COLOR").value_or(QString()));
        if (!argb) return std::nullopt;
        choice.colour = true;
        choice.bkColor = *argb;
        return choice;
    }
    if (flags != QLatin1String("0") && flags != QLatin1String("1")) return std::nullopt;
    choice.bkImage = flags == QLatin1String("0") ? QString::fromLatin1(kDefaultBackground)
                                                 : value(*lines, "IMAGE").value_or(QString());
    if (!usableImage(choice.bkImage)) return std::nullopt;
    return choice;
}

bool writeSkinChoice(const QString& iniPath, const SkinChangedParam& choice) {
    if (choice.bkImage.contains(QLatin1Char('\n')) || choice.bkImage.contains(QLatin1Char('\r'))) return false;
    std::optional<QStringList> lines = readLines(iniPath);
    if (!lines) {
        // Keep what could not be read for the user; the choice still counts.
        const QString damaged = iniPath + QStringLiteral(".damaged");
        QFile::remove(damaged);
        if (!QFile::copy(iniPath, damaged)) return false;
        lines = QStringList();
    }
    if (choice.colour) {
        setValue(*lines, "FLAGS", QStringLiteral("2"));
        setValue(*lines, "COLOR", QStringLiteral("#%1").arg(choice.bkColor, 8, 16, QLatin1Char('0')).toUpper());
    } else {
        const bool reset = choice.bkImage == QLatin1String(kDefaultBackground);
        setValue(*lines, "FLAGS", reset ? QStringLiteral("0") : QStringLiteral("1"));
        setValue(*lines, "IMAGE", choice.bkImage);
    }
    const QByteArray text = (lines->join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return writeFileAtomically(iniPath.toStdString(), std::string_view(text.constData(), text.size())) == 0;
}

QString skinSettingsPath() {
    return QString::fromStdString(paths::dataFolder()) + QLatin1String(kSkinSettingsFile);
}

}  // namespace talven
