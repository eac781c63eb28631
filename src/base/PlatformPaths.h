#pragma once

#include <QString>

// Where the program finds its shipped data and where it keeps the data it shares with the
// slicer. On macOS these are the application bundle and the application-group container; on
// other systems an install layout (bin/ beside share/corvane/) and the XDG data home.
namespace PlatformPaths {

// The application group shared with the slicer.
constexpr const char *kAppGroupId = "com.kestrona.shared";

// Folder holding the shipped "DB" and "Lang" folders, ending in "/".
QString ShippedDataDir();
// Tests point the shipped data at a folder of their own; an empty path restores the default.
void SetShippedDataDir(const QString &path);

// The shared data directory (not created here).
QString GroupDataDir();

} // namespace PlatformPaths
