#include "Rotation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>

namespace {

constexpr qint64 MegaByte = 1'000'000;
constexpr qint64 MostMinutes = 7 * 24 * 60;

const QRegularExpression &setName()
{
    static const QRegularExpression name(QStringLiteral("^(.*)_(\\d{5})_(\\d{8}-\\d{6})\\.lmc$"));
    return name;
}

// The moment as the local clock reads it, in minutes, so that multiples of an hour fall on
// the hour where the user is.
qint64 localMinutes(const QDateTime &moment)
{
    return (moment.toSecsSinceEpoch() + moment.offsetFromUtc()) / 60;
}

} // namespace

bool Rotation::due(qint64 bytes, const QDateTime &began, const QDateTime &now) const
{
    if (everyBytes && bytes >= *everyBytes)
        return true;
    if (everyTime && began.secsTo(now) >= everyTime->count() * 60)
        return true;
    return onMultiplesOf
        && localMinutes(now) / onMultiplesOf->count()
        != localMinutes(began) / onMultiplesOf->count();
}

QString Rotation::takeWord(const QString &word)
{
    const qsizetype colon = word.indexOf(u':');
    const QString key = word.left(colon);
    bool ok = false;
    const qint64 number = colon < 0 ? 0 : word.mid(colon + 1).toLongLong(&ok);
    const qint64 most = key == QLatin1String("size") ? 1'000'000 : MostMinutes;
    if (!ok || number < 1 || number > most)
        return QStringLiteral("Unknown rotation '%1': size:MB, minutes:N, interval:N or files:N, "
                              "each a whole number from 1 to %2.")
            .arg(word)
            .arg(most);
    if (key == QLatin1String("size"))
        everyBytes = number * MegaByte;
    else if (key == QLatin1String("minutes"))
        everyTime = std::chrono::minutes(number);
    else if (key == QLatin1String("interval"))
        onMultiplesOf = std::chrono::minutes(number);
    else if (key == QLatin1String("files"))
        keepFiles = int(number);
    else
        return QStringLiteral("Unknown rotation '%1': size:MB, minutes:N, interval:N or files:N.")
            .arg(word);
    return {};
}

QString Rotation::fileName(const QString &path, int number, const QDateTime &start)
{
    const QFileInfo file(path);
    const QString base = file.suffix().compare(QLatin1String("lmc"), Qt::CaseInsensitive) == 0
        ? file.completeBaseName()
        : file.fileName();
    return file.dir().filePath(QStringLiteral("%1_%2_%3.lmc")
                                   .arg(base)
                                   .arg(number, 5, 10, QLatin1Char('0'))
                                   .arg(start.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

QStringList Rotation::setOf(const QString &path)
{
    const QFileInfo file(path);
    const QRegularExpressionMatch match = setName().match(file.fileName());
    if (!match.hasMatch())
        return {};
    std::map<int, QString> byNumber;
    for (const QString &name : file.dir().entryList(QDir::Files)) {
        const QRegularExpressionMatch sibling = setName().match(name);
        if (sibling.hasMatch() && sibling.captured(1) == match.captured(1))
            byNumber.emplace(sibling.captured(2).toInt(), file.dir().filePath(name));
    }
    QStringList set;
    for (const auto &[number, name] : byNumber)
        set << name;
    return set;
}
