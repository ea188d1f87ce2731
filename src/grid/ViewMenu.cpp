#include "ViewMenu.h"

#include "frame/NamedWidgets.h"

#include <QActionGroup>

namespace {

struct TimeChoice
{
    const char *name, *caption;
    ViewSettings::Time time;
};

constexpr TimeChoice TimeChoices[] = {
    {"mnuTimeSinceStart", "Milliseconds since start", ViewSettings::Time::SinceStart},
    {"mnuTimeOfDay", "Time of day", ViewSettings::Time::TimeOfDay},
    {"mnuTimeDelta", "Delta from previous row", ViewSettings::Time::Delta},
    {"mnuTimeSeconds", "Seconds (microseconds)", ViewSettings::Time::Seconds},
};

QAction *checkable(QAction *action, const QKeySequence &shortcut = {})
{
    action->setCheckable(true);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

ViewMenu::ViewMenu(QMenu *menu)
    : QObject(menu)
{
    m_pause = checkable(addNamedItem(menu, "mnuPause", QStringLiteral("Pause Display")),
        QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(m_pause, &QAction::toggled, this, &ViewMenu::pauseToggled);
    menu->addSeparator();

    QMenu *time = addNamedMenu(menu, "mnuTime", QStringLiteral("Time"));
    m_time = new QActionGroup(this);
    for (const TimeChoice &choice : TimeChoices) {
        QAction *item = checkable(addNamedItem(time, choice.name, QLatin1String(choice.caption)));
        item->setData(int(choice.time));
        m_time->addAction(item);
    }
    m_details = checkable(addNamedItem(menu, "mnuShowDetails", QStringLiteral("Show Details")));
    m_middleC3 = checkable(addNamedItem(menu, "mnuMiddleC3", QStringLiteral("Middle C is C3")));
    m_source = checkable(addNamedItem(menu, "mnuShowSource", QStringLiteral("Show Source")));
    m_group = checkable(addNamedItem(menu, "mnuShowGroup", QStringLiteral("Show Group")));
    m_colour = checkable(addNamedItem(menu, "mnuColourByKind", QStringLiteral("Colour by Kind")));
    connect(addNamedItem(menu, "mnuFitColumns", QStringLiteral("Fit Columns")), &QAction::triggered,
        this, &ViewMenu::fitColumnsAsked);
    setSettings({});
    connect(
        m_source, &QAction::triggered, this, [this](bool checked) { m_sourceChosen = checked; });
    for (QAction *item : {m_details, m_middleC3, m_source, m_group, m_colour})
        connect(item, &QAction::triggered, this, [this] { emit settingsChanged(settings()); });
    connect(m_time, &QActionGroup::triggered, this, [this] { emit settingsChanged(settings()); });
    menu->addSeparator();
    addFinding(menu);
    menu->addSeparator();
    connect(addNamedItem(menu, "mnuTimingPanel", QStringLiteral("Timing Panel")),
        &QAction::triggered, this, &ViewMenu::timingPanelAsked);
    connect(addNamedItem(menu, "mnuIntervalStatistics", QStringLiteral("Interval Statistics...")),
        &QAction::triggered, this, &ViewMenu::intervalStatisticsAsked);
}

void ViewMenu::addFinding(QMenu *menu)
{
    const std::tuple<const char *, const char *, QKeySequence, void (ViewMenu::*)()> finding[] = {
        {"mnuFind", "Find...", QKeySequence(Qt::CTRL | Qt::Key_F), &ViewMenu::findAsked},
        {"mnuFindNext", "Find Next", QKeySequence(Qt::Key_F3), &ViewMenu::findNextAsked},
        {"mnuFindPrevious", "Find Previous", QKeySequence(Qt::SHIFT | Qt::Key_F3),
            &ViewMenu::findPreviousAsked},
    };
    for (const auto &[name, caption, shortcut, signal] : finding) {
        QAction *item = addNamedItem(menu, name, QLatin1String(caption));
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this, signal);
    }
}

QMenu *ViewMenu::menu() const
{
    return static_cast<QMenu *>(parent());
}

ViewSettings ViewMenu::settings() const
{
    ViewSettings settings;
    if (const QAction *time = m_time->checkedAction())
        settings.time = ViewSettings::Time(time->data().toInt());
    settings.details = m_details->isChecked();
    settings.middleC
        = m_middleC3->isChecked() ? MessageDetails::MiddleC::C3 : MessageDetails::MiddleC::C4;
    settings.source = m_sourceChosen;
    settings.group = m_group->isChecked();
    settings.colourByKind = m_colour->isChecked();
    return settings;
}

void ViewMenu::setSettings(const ViewSettings &settings)
{
    for (QAction *time : m_time->actions())
        time->setChecked(ViewSettings::Time(time->data().toInt()) == settings.time);
    m_details->setChecked(settings.details);
    m_middleC3->setChecked(settings.middleC == MessageDetails::MiddleC::C3);
    m_sourceChosen = settings.source;
    m_source->setChecked(settings.source || !m_source->isEnabled());
    m_group->setChecked(settings.group);
    m_colour->setChecked(settings.colourByKind);
    emit settingsChanged(this->settings());
}

void ViewMenu::setSourceForced(bool forced)
{
    m_source->setEnabled(!forced);
    m_source->setChecked(forced || m_sourceChosen);
}

bool ViewMenu::isPaused() const
{
    return m_pause->isChecked();
}

void ViewMenu::togglePause()
{
    m_pause->toggle();
}
