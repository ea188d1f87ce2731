#pragma once

#include <QString>
#include <array>
#include <jack/jack.h>
#include <vector>

// A JACK client that passes the short messages that arrive on its input "in" to its output
// "out" a fixed number of frames later, as a MIDI path of known latency would. Its process
// callback allocates nothing, so that it keeps up with the server also in a slow build.
class JackDelayLine
{
public:
    JackDelayLine(const char *name, jack_nframes_t delay);
    ~JackDelayLine();

    QString fullName(const QString &port) const;
    jack_nframes_t period() const { return jack_get_buffer_size(m_client); }
    double microseconds(jack_nframes_t frames) const
    {
        return double(frames) * 1e6 / double(jack_get_sample_rate(m_client));
    }

private:
    struct Event
    {
        jack_nframes_t due; // the frame it leaves at
        std::array<unsigned char, 3> bytes;
        std::size_t size;
    };

    static int process(jack_nframes_t frames, void *self);

    jack_client_t *m_client = nullptr;
    jack_port_t *m_in = nullptr;
    jack_port_t *m_out = nullptr;
    const jack_nframes_t m_delay;
    // The process thread's own: a ring of the events on their way, oldest at m_first.
    std::vector<Event> m_waiting = std::vector<Event>(1 << 16);
    std::size_t m_first = 0;
    std::size_t m_count = 0;
};
