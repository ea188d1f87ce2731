#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

// The JACK tests run on jackd2, and a second time on PipeWire's JACK library
// (LUMETRA_JACK_SERVER=pipewire, which scripts/pipewire-headless.sh sets).
inline bool jackIsPipeWire()
{
    return qgetenv("LUMETRA_JACK_SERVER") == "pipewire";
}

inline const char *jackServerKind()
{
    return jackIsPipeWire() ? "PipeWire" : "jackd";
}

// A test PipeWire cannot hold is marked with the reason, never left out silently.
#define SKIP_ON_PIPEWIRE(reason)                                                                   \
    if (jackIsPipeWire())                                                                          \
    GTEST_SKIP() << "on PipeWire: " << (reason)
