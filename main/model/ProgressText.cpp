// Progress texts in the user's locale.
#include "model/ProgressText.h"

#include "model/TextFormat.h"

#include <cmath>

namespace {

struct Texts {
    ProgressText operator()(const JobUpdates::Scanning& scanning) const
    {
        return {QStringLiteral("Looking for photos…"), TextFormat::count(scanning.found) + QStringLiteral(" found so far"),
                std::nullopt};
    }

    ProgressText operator()(const JobUpdates::Thumbnails& thumbnails) const
    {
        QString detail = TextFormat::count(thumbnails.done) + QStringLiteral(" of ") + TextFormat::count(thumbnails.total);
        // No estimate while it means nothing: too few photos done yet, or all of them done.
        if (thumbnails.eta && std::isfinite(*thumbnails.eta) && thumbnails.done < thumbnails.total)
            detail += QStringLiteral(" · ") + TextFormat::duration(*thumbnails.eta) + QStringLiteral(" left");
        std::optional<double> fraction;
        if (thumbnails.total >= 1)
            fraction = static_cast<double>(thumbnails.done) / static_cast<double>(thumbnails.total);
        return {QStringLiteral("Making thumbnails"), detail, fraction};
    }

    ProgressText operator()(const JobUpdates::Waiting& waiting) const
    {
        const QString who = waiting.holder > 0 ? QStringLiteral("Process ") + QString::number(waiting.holder)
                                               : QStringLiteral("Another Kestova");
        return {QStringLiteral("Waiting for the other Kestova…"), who + QStringLiteral(" is writing this wall."),
                std::nullopt};
    }

    ProgressText operator()(const JobUpdates::Writing&) const
    {
        return {QStringLiteral("Building your wall…"), QString(), std::nullopt};
    }
};

} // namespace

ProgressText ProgressText::forUpdate(const JobUpdate& update)
{
    return std::visit(Texts{}, update);
}
