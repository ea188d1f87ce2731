#pragma once

#include "PortBackend.h"

#include <memory>
#include <vector>

// Real MIDI ports through RtMidi, one backend per compiled API (ALSA sequencer, JACK).
// This is the only file pair of the program that knows RtMidi.
class RtMidiBackend : public PortBackend
{
public:
    // One backend for each compiled API that can start here; an API that cannot is skipped.
    static std::vector<std::unique_ptr<PortBackend>> createAvailable();
    // Whether a JACK server answers, asked without the JACK library's complaints on stderr.
    static bool jackServerRuns();

    ~RtMidiBackend() override;

    QString label() const override;
    QStringList portNames(PortDirection direction) override;
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) override;
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override;

private:
    struct Clients;
    explicit RtMidiBackend(std::unique_ptr<Clients> clients);

    std::unique_ptr<Clients> m_clients;
};
