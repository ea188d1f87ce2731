#include "frmAbout.h"

#include "ApplicationIcon.h"
#include "DialogService.h"
#include "modFormSize.h"
#include "ports/LibraryVersions.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int TwipsPerPixel = 15; // the box is laid out for the designed 96 dpi

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, QRect twips)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(modFormSize::toPixels(twips, TwipsPerPixel, TwipsPerPixel));
    return label;
}

// A link looks like one, and reports a click.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString &text, std::function<void()> onClick, QWidget *parent)
        : QLabel(text, parent)
        , m_onClick(std::move(onClick))
    {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        setForegroundRole(QPalette::Highlight);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *) override { m_onClick(); }

private:
    std::function<void()> m_onClick;
};

} // namespace

frmAbout::frmAbout(const QVersionNumber &version, DialogService &dialogs,
    modWebBrowser::UrlOpener opener, QWidget *parent)
    : QDialog(parent)
    , m_version(version)
    , m_dialogs(dialogs)
    , m_opener(std::move(opener))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + DialogService::ApplicationTitle);
    setFont(modFormSize::designedFont(
        QStringLiteral("MS Sans Serif"), 8.25, QFontDatabase::GeneralFont));
    setFixedSize(
        modFormSize::toPixels(7680, TwipsPerPixel), modFormSize::toPixels(5355, TwipsPerPixel));

    // 48 pixels at the designed 96 dpi: a size the icon is drawn at, so it shows unscaled.
    QLabel *icon = addLabel(this, "imgIcon", QString(), {240, 360, 720, 720});
    icon->setPixmap(applicationIcon().pixmap(icon->size(), devicePixelRatioF()));
    // In the theme's text colour: black on a light theme, as designed, and still readable on
    // a dark one.
    addLabel(this, "lblTitle", DialogService::ApplicationTitle, {1080, 360, 3885, 240});
    addLabel(this, "Label1", QStringLiteral("Copyright \u00A9 2026 Quillfeather Audio"),
        {1080, 600, 3975, 255});
    addLabel(this, "lblVersion", versionText(version), {1080, 840, 3975, 255});
    QLabel *about = addLabel(this, "Label7",
        QStringLiteral("Lumetra is provided free of charge and as is, without "
                       "warranty of any kind. Comments and suggestions are "
                       "welcome by mail."),
        {1080, 1200, 5775, 855});
    about->setWordWrap(true);
    addLabel(this, "Label2", QStringLiteral("Quillfeather Audio"), {1080, 2160, 3975, 255});
    addLabel(this, "Label5", QStringLiteral("14 Larkspur Lane"), {1080, 2400, 3975, 255});
    addLabel(this, "Label4", QStringLiteral("Bristol BS1 4DJ"), {1080, 2640, 3975, 255});
    addLabel(this, "Label3", QStringLiteral("United Kingdom"), {1080, 2880, 3975, 255});
    addLabel(this, "Label6", QStringLiteral("Tel: +44 117 496 0123"), {1080, 3120, 3975, 255});
    addLinks();
    addLibraryVersions();
    addButtonRow();
}

void frmAbout::addButtonRow()
{
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line2"));
    line->setFrameShape(QFrame::HLine);
    line->setGeometry(
        modFormSize::toPixels(QRect(1080, 4740, 6345, 30), TwipsPerPixel, TwipsPerPixel));
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(
        modFormSize::toPixels(QRect(6165, 4920, 1260, 345), TwipsPerPixel, TwipsPerPixel));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
}

void frmAbout::addLinks()
{
    auto *web = new LinkLabel(
        WebHost, [this] { lblWeb_Click(); }, this);
    web->setObjectName(QStringLiteral("lblWeb"));
    web->setGeometry(
        modFormSize::toPixels(QRect(1080, 3360, 1575, 255), TwipsPerPixel, TwipsPerPixel));
    QLabel *separator = addLabel(this, "Label9", QStringLiteral(" /"), {2760, 3360, 135, 255});
    auto *mail = new LinkLabel(
        MailAddress, [this] { lblEmail_Click(); }, this);
    mail->setObjectName(QStringLiteral("lblEmail"));
    mail->setGeometry(
        modFormSize::toPixels(QRect(3000, 3360, 1695, 255), TwipsPerPixel, TwipsPerPixel));
    // The system's font may be wider than the designed one: the links keep their row but
    // take the room their text needs, one after the other.
    QLabel *previous = nullptr;
    for (QLabel *label : {static_cast<QLabel *>(web), separator, static_cast<QLabel *>(mail)}) {
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
        if (previous)
            label->move(std::max(label->x(), previous->geometry().right() + 1), label->y());
        previous = label;
    }
}

void frmAbout::addLibraryVersions()
{
    QStringList lines;
    for (const LibraryVersions::Library &library : LibraryVersions::libraries())
        lines << library.name + QLatin1Char(' ') + library.version;
    addLabel(this, "lblLibraries", lines.join(QLatin1Char('\n')), {1080, 3720, 5775, 735});

    auto *copy = new QPushButton(QStringLiteral("Copy Versions"), this);
    copy->setObjectName(QStringLiteral("cmdCopyVersions"));
    copy->setGeometry(
        modFormSize::toPixels(QRect(4545, 4920, 1500, 345), TwipsPerPixel, TwipsPerPixel));
    connect(copy, &QPushButton::clicked, this, &frmAbout::cmdCopyVersions_Click);
}

void frmAbout::showOnce(
    QPointer<frmAbout> &box, const QVersionNumber &version, DialogService &dialogs)
{
    if (!box) {
        box = new frmAbout(version, dialogs);
        box->setAttribute(Qt::WA_DeleteOnClose);
    }
    box->show();
    box->raise();
    box->activateWindow();
}

QString frmAbout::versionText(const QVersionNumber &version)
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

void frmAbout::lblWeb_Click()
{
    modWebBrowser::OpenURL(QStringLiteral("http://") + WebHost, m_dialogs, m_opener);
}

void frmAbout::lblEmail_Click()
{
    modWebBrowser::OpenURL(QStringLiteral("mailto:") + MailAddress, m_dialogs, m_opener);
}

void frmAbout::cmdCopyVersions_Click()
{
    QGuiApplication::clipboard()->setText(LibraryVersions::report(m_version.toString()));
}
