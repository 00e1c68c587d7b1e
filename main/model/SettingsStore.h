// The settings the model keeps across launches: "dedupe", "portable", "videoCopies" and "recents".
#pragma once

#include "model/Recent.h"

#include <QList>

/// QSettings of organisation and application "Kestova" (on Linux
/// $XDG_CONFIG_HOME/Kestova/Kestova.conf). Saving is best effort: a failure leaves the previous
/// value and says nothing.
namespace SettingsStore {

/// The stored yes/no value; yes when there is none or it is anything else.
bool loadDedupe();
void saveDedupe(bool dedupe);
/// The stored yes/no value; no when there is none or it is anything else.
bool loadPortable();
void savePortable(bool portable);

/// The stored yes/no value; no when there is none or it is anything else.
bool loadVideoCopies();
void saveVideoCopies(bool everyVideo);

/// The stored list exactly as stored, or empty when there is none or it cannot be read (the
/// stored value is then left as it is until the next save replaces it).
QList<Recent> loadRecents();
void saveRecents(const QList<Recent>& recents);

} // namespace SettingsStore
