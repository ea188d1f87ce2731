#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class MIDIInput;
class PortSystem;
struct DeviceEntry;

// Other programs' inputs watched through what feeds them. For each tapped port, an input of
// the set is opened on every output connected to it, so that two senders into one synth
// stay two sources ("→ synth:in (from seq:out)"); connections made and broken are followed
// as the port news tell of them, and a tapped port that goes is waited for by its name.
// Lives on the UI thread.
class PortTaps : public QObject
{
    Q_OBJECT

public:
    // How a feed is opened and let go of: as an input of the set that owns the taps. `open`
    // throws PortError.
    struct Feeds
    {
        std::function<MIDIInput &(const DeviceEntry &feeder, const QString &sourceName)> open;
        std::function<void(MIDIInput &input)> close;
    };

    PortTaps(Feeds feeds, std::shared_ptr<PortSystem> ports, QObject *parent = nullptr);

    // Taps these ports, by the names the output list shows; a port no longer named is let
    // go of, its rows kept.
    void tap(const QStringList &ports);
    const QStringList &tapped() const { return m_tapped; }
    // The tapped ports that are not there now.
    const QStringList &waitingFor() const { return m_waiting; }
    // The source of the rows that came into `tapped` from `feeder`.
    static QString sourceName(const QString &tapped, const QString &feeder);

signals:
    // A tapped port went or came back.
    void waitingChanged();

private:
    struct Feed
    {
        QString source;
        MIDIInput *input;
    };

    void follow();
    void letGoOfUnwanted(const QStringList &wanted);

    Feeds m_open;
    std::shared_ptr<PortSystem> m_ports;
    QStringList m_tapped;
    QStringList m_waiting;
    std::vector<Feed> m_feeds;
};
