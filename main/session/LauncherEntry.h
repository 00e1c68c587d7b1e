// The run's progress on the dock or task bar.
#pragma once

#include <optional>

/// The launcher-entry progress that the docks and task bars of KDE, GNOME extensions, Unity
/// and others read (com.canonical.Unity.LauncherEntry), for the entry of kestova.desktop.
/// Sending is fire and forget: without a bus, or with nobody listening, nothing happens.
namespace LauncherEntry {

/// Shows `progress` (0 to 1) on the program's icon; nothing hides the bar.
void show(std::optional<double> progress);

} // namespace LauncherEntry
