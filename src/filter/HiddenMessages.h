#pragma once

#include "midi/BytePattern.h"

#include <QObject>
#include <QStringList>
#include <vector>

class DialogService;
class QMenu;

// Filter > "Hide Messages Like...": byte patterns whose messages are kept out of the
// capture and counted as filtered, as the check marks' are. A device's SysEx heartbeat or
// Active Sensing is hidden by content, whatever else its status byte carries.
class HiddenMessages : public QObject
{
    Q_OBJECT

public:
    // Adds the item to the Filter menu.
    HiddenMessages(QMenu &filterMenu, DialogService &dialogs, QObject *parent = nullptr);

    const std::vector<BytePattern> &patterns() const { return m_patterns; }
    void setPatterns(std::vector<BytePattern> patterns);
    // The patterns as the preferences keep them, one text each; a text that is no pattern
    // (a file edited by hand) is passed over.
    QStringList texts() const;
    void setTexts(const QStringList &texts);

    // Asks for the patterns, offering those hidden now; a text that does not read changes
    // nothing, and the user is told why.
    void ask();

signals:
    void changed();

private:
    DialogService &m_dialogs;
    std::vector<BytePattern> m_patterns;
};
