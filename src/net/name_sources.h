#pragma once
// Where each device's name came from in the current scan, beside the rows (a DeviceRecord stays
// four strings). Probes note the name they found and its source, keyed by MAC; the merge and the
// device tooltip ask whether a row's name is still that name. A stored name that replaced it, or
// the user's rename, is another name and so has no source here. Thread-safe.
#include <string>

#include "net/device_name.h"

// A probe's name for the device with macText (bare MAC text, as the sweep writes it).
void NoteNameSource(const std::string& macText, const std::string& name, NameSource source);
// The source of name for that device: kNone unless name is the noted one, whole or as the list
// shortened it. macText may carry the line feeds a read-back row leaves after the MAC.
NameSource NameSourceOf(const std::string& macText, const std::string& name);
// Forgets the last scan's names; the next scan starts empty.
void ClearNameSources();
