#pragma once
// Where each row's name came from in the current scan, beside the rows (a DeviceRecord stays four
// strings). Probes note the name they found and its source, keyed by address and MAC, so that two
// addresses answering with one MAC (proxy ARP, a repeater) keep a source each; the merge marks the
// rows that took a stored name, and the merge and the device tooltip ask whether a row's name is
// still the noted one. A stored name, or the user's rename, has no source here. Thread-safe.
#include <string>

#include "net/device_name.h"

// A probe's name for the device at ipText with macText (bare MAC text, as the sweep writes it).
void NoteNameSource(const std::string& ipText, const std::string& macText, const std::string& name,
                    NameSource source);
// The row (ipText, macText) shows the name the registry stored for its device, whatever it reads.
void NoteStoredName(const std::string& ipText, const std::string& macText);
// The source of the row's name: kNone unless name is the noted one, whole or as the list shortened
// it, and the row did not take a stored name. macText may carry the line feeds a read-back row
// leaves after the MAC.
NameSource NameSourceOf(const std::string& ipText, const std::string& macText,
                        const std::string& name);
// Forgets the last scan's names; the next scan starts empty.
void ClearNameSources();
