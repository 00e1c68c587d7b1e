// The desktop's services as the window needs them.
#pragma once

#include "model/PlatformActions.h"

#include <QUrl>

/// The model's desktop services plus the one answer the feedback mail needs: whether an
/// address could be handed to an application at all.
class DesktopActions : public PlatformActions {
public:
    /// Opens a web or mailto address in its default application; false when no application
    /// takes it (for mailto, when no mail application is set up).
    virtual bool tryOpenUrl(const QUrl& url) = 0;

    void openUrl(const QUrl& url) override { tryOpenUrl(url); }
};
