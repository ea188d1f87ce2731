#pragma once

#include <QByteArrayView>
#include <QString>

class ImportedRows;

// Reads UMP word dumps and MIDI Clip Files into rows: every packet becomes a UMP row of the
// source named after the file, kept whole as it was written, MIDI 1.0 in UMP included, so
// that the rows show what crossed the wire; the group stands in the row. A clip's timing and
// framing packets give the rows their stamps and become none: they carry no traffic.
namespace UmpFileReader {

bool isUmpFile(QByteArrayView file);

// Returns the reason the file is refused, or an empty text.
QString read(QByteArrayView file, ImportedRows &rows);

} // namespace UmpFileReader
