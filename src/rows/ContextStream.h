#pragma once

#include "capture/CaptureStore.h"
#include "decode/ChannelMemory.h"
#include "decode/ContextWords.h"
#include "decode/MessageDetails.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The Details words of messages taken one after another, each read with the controllers that
// came before it on its channel, source and origin: one memory per channel, noted as the
// messages pass, so that a stream of millions costs no looking back.
class ContextStream
{
public:
    ContextStream();
    ~ContextStream();

    // The words of the message at `place`, which is then noted; places grow with each message.
    QString describe(
        const CapturedMessage &message, std::uint64_t place, MessageDetails::MiddleC middleC);
    // Notes a message whose words were not asked for, so that later ones read it: asked of
    // every row of an export, so most are passed by at a glance.
    void take(const CapturedMessage &message, std::uint64_t place)
    {
        if (message.bytes.size() == 3 && message.bytes[0] >> 4 == 0xB)
            takeControlChange(message, place);
    }

    // What the rows before row `row` of `rows` say of it, for a reader that goes down the
    // rows, maybe skipping some: the rows in between are noted, and a jump back (or far
    // ahead) starts over from the rows a memory counts. The rows must stay as they are
    // between calls.
    ContextWords::Reading readRow(const CaptureStore &rows, std::size_t row);

private:
    void takeControlChange(const CapturedMessage &message, std::uint64_t place);
    const ChannelMemory &memoryOf(const CapturedMessage &message) const;
    void catchUp(const CaptureStore &rows, std::size_t row);
    void forget();

    std::vector<std::unique_ptr<ChannelMemory>> m_memories; // by channel, source and origin
    std::vector<std::size_t> m_used; // the memories made, to forget them quickly
    std::size_t m_nextRow = 0; // the next row readRow notes
};
