// The session tests' shared process state: a private home, US English, and this process's
// session and system bus on a private bus with the fake desktop on it.
#pragma once

#include "PrivateDesktop.h"

#include <filesystem>

/// The fake desktop this test program's own bus connection talks to (login1, notifications).
PrivateDesktop& sessionDesktop();
/// A new empty folder in the temporary home.
std::filesystem::path freshFolder(const std::string& name);
/// `count` real photos from the shared camera files, copied into `folder`.
void copyRealPhotos(const std::filesystem::path& folder, int count);
/// Empty files named like photos (unreadable ones), so that making thumbnails takes a while.
void addJunkPhotos(const std::filesystem::path& folder, int count);
