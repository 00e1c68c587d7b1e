// The model's settings in QSettings.
#include "model/SettingsStore.h"

#include "model/RecentsJson.h"

#include <QByteArray>
#include <QSettings>
#include <QVariant>

namespace SettingsStore {
namespace {

constexpr QLatin1String dedupeKey("dedupe");
constexpr QLatin1String portableKey("portable");
constexpr QLatin1String recentsKey("recents");
constexpr QLatin1String videoCopiesKey("videoCopies");

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestova"), QStringLiteral("Kestova"));
}

} // namespace

bool loadDedupe()
{
    const QVariant value = store().value(dedupeKey);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The settings file keeps a yes/no value as the word "true" or "false".
    if (value.typeId() == QMetaType::QString) {
        const QString word = value.toString();
        if (word == QLatin1String("false"))
            return false;
    }
    return true;
}

void saveDedupe(bool dedupe)
{
    auto settings = store();
    settings.setValue(dedupeKey, dedupe);
    settings.sync();
}

bool loadPortable()
{
    const QVariant value = store().value(portableKey);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return value.typeId() == QMetaType::QString && value.toString() == QLatin1String("true");
}

bool loadVideoCopies()
{
    const QVariant value = store().value(videoCopiesKey);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return value.typeId() == QMetaType::QString && value.toString() == QLatin1String("true");
}

void savePortable(bool portable)
{
    auto settings = store();
    settings.setValue(portableKey, portable);
    settings.sync();
}

void saveVideoCopies(bool everyVideo)
{
    auto settings = store();
    settings.setValue(videoCopiesKey, everyVideo);
    settings.sync();
}

QList<Recent> loadRecents()
{
    const QVariant value = store().value(recentsKey);
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    const QByteArray bytes = value.toByteArray();
    return RecentsJson::decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        .value_or(QList<Recent>{});
}

void saveRecents(const QList<Recent>& recents)
{
    const std::string text = RecentsJson::encode(recents);
    auto settings = store();
    settings.setValue(recentsKey, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    settings.sync();
}

} // namespace SettingsStore
