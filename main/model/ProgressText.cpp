// Progress texts in the user's locale.
#include "model/ProgressText.h"

#include "model/TextFormat.h"

#include <cmath>

namespace {

struct Texts {
    RunProgress operator()(const JobUpdates::Scanning& scanning) const
    {
        return {ProgressText::tr("Looking for photos…"), ProgressText::tr("%1 found so far").arg(TextFormat::count(scanning.found)),
                std::nullopt};
    }

    RunProgress operator()(const JobUpdates::Thumbnails& thumbnails) const
    {
        const QString done = TextFormat::count(thumbnails.done);
        const QString total = TextFormat::count(thumbnails.total);
        // No estimate while it means nothing: too few photos done yet, or all of them done.
        const QString detail = thumbnails.eta && std::isfinite(*thumbnails.eta) && thumbnails.done < thumbnails.total
                                   ? ProgressText::tr("%1 of %2 · %3 left", "photos done, photos in all, time left")
                                         .arg(done, total, TextFormat::duration(*thumbnails.eta))
                                   : ProgressText::tr("%1 of %2", "photos done, photos in all").arg(done, total);
        std::optional<double> fraction;
        if (thumbnails.total >= 1)
            fraction = static_cast<double>(thumbnails.done) / static_cast<double>(thumbnails.total);
        const bool copies = thumbnails.making == JobUpdates::Thumbnails::Making::videoCopies;
        return {copies ? ProgressText::tr("Making playable videos") : ProgressText::tr("Making thumbnails"), detail, fraction};
    }

    RunProgress operator()(const JobUpdates::Waiting& waiting) const
    {
        const QString detail = waiting.holder > 0
                                   ? ProgressText::tr("Process %1 is writing this wall.").arg(QString::number(waiting.holder))
                                   : ProgressText::tr("Another Kestova is writing this wall.");
        return {ProgressText::tr("Waiting for the other Kestova…"), detail, std::nullopt};
    }

    RunProgress operator()(const JobUpdates::Writing&) const
    {
        return {ProgressText::tr("Building your wall…"), QString(), std::nullopt};
    }
};

} // namespace

RunProgress ProgressText::forUpdate(const JobUpdate& update)
{
    return std::visit(Texts{}, update);
}
