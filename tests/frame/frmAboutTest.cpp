#include "frame/frmAbout.h"

#include "support/LoopbackWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(About, ShowsTitleVersionAndLibrariesCopiesThemForABugReportAndOpensItsLinks)
{
    EXPECT_EQ(frmAbout::versionText(QVersionNumber(0, 10, 0)), "Version 0.10.0") << "unpadded";

    ScriptedDialogs dialogs;
    QList<QUrl> opened;
    bool opens = true;
    frmAbout about(QVersionNumber(1, 2, 3), dialogs, [&](const QUrl &url) {
        opened << url;
        return opens;
    });
    EXPECT_EQ(about.windowTitle(), "About Lumetra");
    EXPECT_EQ(about.findChild<QLabel *>("lblTitle")->text(), "Lumetra");
    const QLabel *icon = about.findChild<QLabel *>("imgIcon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull()) << "the icon resources are linked in";
    EXPECT_LT(icon->geometry().right(), about.findChild<QLabel *>("lblTitle")->x());
    EXPECT_EQ(about.findChild<QLabel *>("lblVersion")->text(), "Version 1.2.3");

    const QLabel *libraries = about.findChild<QLabel *>("lblLibraries");
    ASSERT_NE(libraries, nullptr);
    const QStringList shown = libraries->text().split('\n');
    const QString number = R"(\d+\.\d+[.\d]*)";
    const QStringList expected = {
        "Qt " + number + " \\(built with " + number + "\\)", "JACK " + number, "RtMidi " + number};
    ASSERT_EQ(shown.size(), expected.size()) << libraries->text().toStdString();
    for (qsizetype i = 0; i < shown.size(); ++i)
        EXPECT_TRUE(QRegularExpression('^' + expected[i] + '$').match(shown[i]).hasMatch())
            << shown[i].toStdString();
    EXPECT_GE(libraries->height(), libraries->sizeHint().height()) << "no line cut off";

    about.findChild<QPushButton *>("cmdCopyVersions")->click();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("Lumetra 1.2.3\nSystem: ")) << copied.toStdString();
    for (const QString &library : shown)
        EXPECT_TRUE(copied.contains(QString(library).replace(library.indexOf(' '), 1, ": ")))
            << library.toStdString() << " in " << copied.toStdString();

    about.lblWeb_Click();
    about.lblEmail_Click();
    EXPECT_EQ(opened,
        (QList<QUrl> {
            QUrl("http://www.quillfeather.example"), QUrl("mailto:lumetra@quillfeather.example")}));
    EXPECT_EQ(about.findChild<QLabel *>("lblWeb")->text(), "www.quillfeather.example");
    EXPECT_TRUE(dialogs.shown.empty());

    opens = false;
    about.lblEmail_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Error jumping to:mailto:lumetra@quillfeather.example");
    EXPECT_EQ(dialogs.shown[0].title, "Warning");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Exclamation);
}

TEST(About, OneModelessBoxAtATime)
{
    LoopbackWindow w;
    const auto shownBoxes = [] {
        QList<frmAbout *> boxes;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *about = qobject_cast<frmAbout *>(top); about && about->isVisible())
                boxes << about;
        return boxes;
    };
    w.toggle("mnuAbout");
    w.toggle("mnuAbout");
    ASSERT_EQ(shownBoxes().size(), 1);
    EXPECT_FALSE(shownBoxes()[0]->isModal());
    shownBoxes()[0]->findChild<QPushButton *>("cmdOK")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w.toggle("mnuAbout");
    EXPECT_EQ(shownBoxes().size(), 1) << "loaded afresh after OK";
}

// The title is drawn in the theme's text colour: light on a dark theme, black on a light one.
TEST(About, TitleReadsOnADarkThemeToo)
{
    const QPalette before = QGuiApplication::palette();
    for (const bool dark : {false, true}) {
        // The theme's colours, as the desktop hands them over before any window is made.
        QPalette theme = before;
        theme.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : Qt::white);
        theme.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
        QApplication::setPalette(theme);
        ScriptedDialogs dialogs;
        frmAbout about(QVersionNumber(1, 2, 3), dialogs);
        about.show();
        QLabel *title = about.findChild<QLabel *>("lblTitle");
        const QImage drawn = title->grab().toImage();
        int lightest = 0, darkest = 255;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (qAlpha(drawn.pixel(x, y)) < 128)
                    continue; // no background drawn there
                lightest = std::max(lightest, qGray(drawn.pixel(x, y)));
                darkest = std::min(darkest, qGray(drawn.pixel(x, y)));
            }
        }
        if (dark) {
            EXPECT_GT(lightest, 160) << "light letters on the dark background";
        } else {
            EXPECT_LT(darkest, 60) << "black letters on the light background";
        }
    }
    QApplication::setPalette(before);
}
