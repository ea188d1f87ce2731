#pragma once

#include "modWebBrowser.h"

#include <QDialog>
#include <QPointer>
#include <QVersionNumber>

class DialogService;

// The About box: title, version, the maker's notice and address, two links, and the versions
// of the libraries Lumetra runs with, which a button copies for a bug report.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    static inline const QString WebHost = QStringLiteral("www.quillfeather.example");
    static inline const QString MailAddress = QStringLiteral("lumetra@quillfeather.example");

    frmAbout(const QVersionNumber &version, DialogService &dialogs,
        modWebBrowser::UrlOpener opener = modWebBrowser::openWithDesktop,
        QWidget *parent = nullptr);

    // Shows the box, modeless and without an owner; while one is open, brings it forward.
    static void showOnce(
        QPointer<frmAbout> &box, const QVersionNumber &version, DialogService &dialogs);

    // "Version 0.9.7": no number is padded.
    static QString versionText(const QVersionNumber &version);

    void lblWeb_Click();
    void lblEmail_Click();
    void cmdCopyVersions_Click();

private:
    void addLinks();
    void addButtonRow();
    void addLibraryVersions();

    QVersionNumber m_version;
    DialogService &m_dialogs;
    modWebBrowser::UrlOpener m_opener;
};
