#pragma once

#include "PortBackend.h"

#include <memory>
#include <vector>

// Real MIDI ports through RtMidi, one backend per compiled API other than JACK, which has a
// backend of its own: on Linux, the ALSA sequencer. This is the only file pair of the
// program that knows RtMidi.
class RtMidiBackend : public PortBackend
{
public:
    // One backend for each such API that can start here; an API that cannot is skipped.
    static std::vector<std::unique_ptr<RtMidiBackend>> createAvailable();
    // The version of the RtMidi library the program runs with.
    static QString libraryVersion();

    ~RtMidiBackend() override;

    // RtMidi cannot tell when ports come and go: the port system looks now and then.
    bool announcesChanges() const override { return false; }
    QString label() const override;
    QStringList portNames(PortDirection direction) override;
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) override;
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override;

    // A port of Lumetra's own, named `name`, for other programs to connect to.
    std::unique_ptr<InputConnection> openOwnInput(const QString &name, InputSink &sink);
    std::unique_ptr<OutputConnection> openOwnOutput(const QString &name);

private:
    struct Clients;
    explicit RtMidiBackend(std::unique_ptr<Clients> clients);

    std::unique_ptr<Clients> m_clients;
};
