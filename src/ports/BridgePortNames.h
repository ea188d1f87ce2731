#pragma once

#include <QString>
#include <QStringList>

// Under PipeWire, the ALSA sequencer's ports are JACK ports of its "Midi-Bridge" node, named
// "Midi-Bridge:<device>:(capture_<n>) <port>". PipeWire 0.3 names the device after its ALSA
// client ("UM-ONE"); 1.x after the card's long name, which ends in the place the device is
// plugged into ("Roland UM-ONE at usb-0000:00:14-0-2- full speed"). Lumetra lists and
// remembers such a port as "<device>: <port>", without the numbers and the place, so that a
// device keeps its choice when the bridge numbers its ports anew or it is plugged in elsewhere.
namespace BridgePortNames {

// "UM-ONE: UM-ONE MIDI 1" for a Midi-Bridge port; any other name as it is.
QString readable(const QString &jackName);

// Each of `jackNames` as the lists show it, in the same order: its readable name where that
// names this port alone, its JACK name where two ports would read alike.
QStringList listed(const QStringList &jackNames);

// The JACK name of the port that `listed` shows as `shown` (or that is called so in JACK);
// empty when there is none.
QString jackNameOf(const QString &shown, const QStringList &jackNames);

} // namespace BridgePortNames
