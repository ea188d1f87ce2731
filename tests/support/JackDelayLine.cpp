#include "JackDelayLine.h"

#include <algorithm>
#include <cstdint>
#include <jack/midiport.h>
#include <stdexcept>

JackDelayLine::JackDelayLine(const char *name, jack_nframes_t delay)
    : m_delay(delay)
{
    jack_status_t status;
    m_client = jack_client_open(name, JackNoStartServer, &status);
    if (!m_client)
        throw std::runtime_error("the delay line cannot reach a JACK server");
    m_in = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    m_out = jack_port_register(m_client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(m_client, &JackDelayLine::process, this);
    jack_activate(m_client);
}

JackDelayLine::~JackDelayLine()
{
    jack_client_close(m_client);
}

QString JackDelayLine::fullName(const QString &port) const
{
    return QString::fromLocal8Bit(jack_get_client_name(m_client)) + u':' + port;
}

int JackDelayLine::process(jack_nframes_t frames, void *self)
{
    auto &line = *static_cast<JackDelayLine *>(self);
    const jack_nframes_t cycleStart = jack_last_frame_time(line.m_client);
    const std::size_t ring = line.m_waiting.size();
    void *in = jack_port_get_buffer(line.m_in, frames);
    for (jack_nframes_t i = 0, count = jack_midi_get_event_count(in); i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, i) != 0 || event.size > 3 || line.m_count == ring)
            continue;
        Event &waiting = line.m_waiting[(line.m_first + line.m_count++) % ring];
        waiting = {cycleStart + event.time + line.m_delay, {}, event.size};
        std::copy_n(event.buffer, event.size, waiting.bytes.begin());
    }
    void *out = jack_port_get_buffer(line.m_out, frames);
    jack_midi_clear_buffer(out);
    // What is due within this cycle, or was due in frames a late server skipped: those go at
    // once, or they would hold up all behind them. The signed difference holds when the frame
    // count wraps.
    const auto offset = [&](const Event &event) {
        return std::max<std::int32_t>(std::int32_t(event.due - cycleStart), 0);
    };
    while (line.m_count > 0 && offset(line.m_waiting[line.m_first]) < std::int32_t(frames)) {
        const Event &event = line.m_waiting[line.m_first];
        jack_midi_event_write(out, jack_nframes_t(offset(event)), event.bytes.data(), event.size);
        line.m_first = (line.m_first + 1) % ring;
        --line.m_count;
    }
    return 0;
}
