#include "HiddenMessages.h"

#include "frame/DialogService.h"
#include "frame/NamedWidgets.h"

HiddenMessages::HiddenMessages(QMenu &filterMenu, DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
{
    filterMenu.addSeparator();
    connect(addNamedItem(&filterMenu, "mnuHideLike", QStringLiteral("Hide Messages Like...")),
        &QAction::triggered, this, &HiddenMessages::ask);
}

void HiddenMessages::setPatterns(std::vector<BytePattern> patterns)
{
    if (patterns == m_patterns)
        return;
    m_patterns = std::move(patterns);
    emit changed();
}

QStringList HiddenMessages::texts() const
{
    QStringList texts;
    for (const BytePattern &pattern : m_patterns)
        texts << pattern.text();
    return texts;
}

void HiddenMessages::setTexts(const QStringList &texts)
{
    std::vector<BytePattern> patterns;
    for (const QString &text : texts) {
        QString reason;
        if (std::optional<BytePattern> pattern = BytePattern::parse(text, reason))
            patterns.push_back(std::move(*pattern));
    }
    setPatterns(std::move(patterns));
}

void HiddenMessages::ask()
{
    const QString label = QStringLiteral(
        "Messages that begin with these bytes are kept out of the capture, and counted as "
        "filtered. Bytes in hex, \"..\" for any one byte; several patterns separated by commas "
        "(FE, F0 43 30 7F 1C ..). Empty hides none.");
    const std::optional<QString> typed = m_dialogs.askText(
        QStringLiteral("Hide Messages Like"), label, BytePattern::listText(m_patterns));
    if (!typed)
        return;
    QString reason;
    if (std::optional<std::vector<BytePattern>> patterns = BytePattern::parseList(*typed, reason))
        setPatterns(std::move(*patterns));
    else // the patterns hidden stay as they were
        m_dialogs.showMessage(QStringLiteral("Nothing changed: ") + reason,
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
}
