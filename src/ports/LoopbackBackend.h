#pragma once

#include "PortBackend.h"

#include <mutex>
#include <vector>

// A device that is always there: what is sent to its output arrives on its input, so the
// program can be tried, and tested end to end, without MIDI hardware.
class LoopbackBackend : public PortBackend
{
public:
    static inline const QString DeviceName = QStringLiteral("Lumetra Loopback");

    QString label() const override { return {}; }
    QStringList portNames(PortDirection direction) override;
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) override;
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override;

private:
    class Input;
    class Output;

    void deliver(std::span<const std::uint8_t> bytes);
    void detach(InputSink *sink);
    static void requireKnownName(const QString &name);

    std::mutex m_mutex;
    std::vector<InputSink *> m_sinks;
};
