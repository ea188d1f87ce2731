#pragma once

#include <QStringList>

// The ports among `ports` that `wanted` names: the one of exactly that name; else those
// whose names begin with it; else those in which `wanted`, taken as a regular expression,
// finds a match. Several means the name was not clear enough; none, that no such port is
// there (yet).
QStringList portsMatching(const QStringList &ports, const QString &wanted);
