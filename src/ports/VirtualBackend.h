#pragma once

#include "PortBackend.h"

class JackBackend;
class RtMidiBackend;

// Lumetra's own ports, "Lumetra virtual input" and "Lumetra virtual output", which other
// programs connect to: a JACK port, and an ALSA sequencer port where ALSA is there. Always
// listed, so that the device positions after them stay put whatever the system offers.
class VirtualBackend : public PortBackend
{
public:
    static inline const QString InputName = QStringLiteral("Lumetra virtual input");
    static inline const QString OutputName = QStringLiteral("Lumetra virtual output");

    // Either system may be missing.
    VirtualBackend(JackBackend *jack, RtMidiBackend *alsa);

    QString label() const override { return {}; }
    QStringList portNames(PortDirection direction) override;
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) override;
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override;

private:
    JackBackend *m_jack;
    RtMidiBackend *m_alsa;
};
