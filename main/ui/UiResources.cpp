// Registering the icons compiled from resources.qrc.
#include "ui/UiResources.h"

#include <QtGlobal>

void ensureUiResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}
