#pragma once

#include <QString>
#include <QStringList>

// A device as a person names it on the command line: its whole name as the lists show it, a
// part of the name that no other device's holds (in any letter case), or its number in the
// list that `lumetra --list-ports` prints, from 1.
namespace PortNameMatch {

struct Found
{
    QString name; // as listed; empty when refused
    QString refusal; // one line: no such device, or the devices an ambiguous part names
    bool ambiguous = false; // several devices hold the part given
};

// `kind` is "input" or "output", for the refusal.
Found find(const QString &given, const QStringList &listed, const char *kind);

// Each of `names` replaced by the listed name it stands for; the refusals, one a line, of
// those that stand for none or for several.
QString resolve(QStringList &names, const QStringList &listed, const char *kind);

} // namespace PortNameMatch
