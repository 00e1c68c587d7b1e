// How the processing of one photo ended: one kind per photo, and for an unreadable photo why.
#pragma once

#include "engine/cache/CacheRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

/// Every way a photo of the work list can end in a run.
enum class PhotoEnd {
    done,       ///< it has its record and thumbnail
    unreadable, ///< its decoder failed, for the reason given
    changed,    ///< deleted, replaced or written to while it was read: left for the next run
    stopped,    ///< still in flight when a stop stopped waiting for it: simply not done yet
    stalled,    ///< made no progress for the stall limit and was left behind: it took too long
    passedOver, ///< not tried, because it crashed a decoder in earlier runs
};

/// Why a photo is unreadable. The front ends word it; the CLI's JSON names it by `code`.
enum class WhyUnreadable {
    damaged,    ///< the decoder could not make sense of it, or it is no format we read
    tooLarge,   ///< decoding it would take more memory than one photo may have
    notVideo,   ///< named as a video, but its content is something else
    notSaved,   ///< it decoded, but its thumbnail could not be put in place in the wall
    crashed,    ///< the decoder crashed on it in this run
    passedOver, ///< the decoder crashed on it in earlier runs, so it was not tried
};

/// The stable name of a reason for other programs: "damaged", "tooLarge" and so on.
constexpr std::string_view code(WhyUnreadable why)
{
    switch (why) {
    case WhyUnreadable::damaged: return "damaged";
    case WhyUnreadable::tooLarge: return "tooLarge";
    case WhyUnreadable::notVideo: return "notVideo";
    case WhyUnreadable::notSaved: return "notSaved";
    case WhyUnreadable::crashed: return "crashed";
    case WhyUnreadable::passedOver: return "passedOver";
    }
    return "damaged";
}

/// What processing one photo gave: done with its record, unreadable with its reason, or
/// changed while it was read. The other ends are given by the run, never by the processing.
struct PhotoOutcome {
    PhotoEnd end = PhotoEnd::unreadable;
    WhyUnreadable why = WhyUnreadable::damaged; ///< meaningful for `unreadable` only
    std::optional<CacheRecord> record;          ///< with `done` only
    /// With `unreadable`: what the decoder said, one plain line of UTF-8 (DecoderMessage);
    /// empty when it said nothing, and for a crash, which leaves no words.
    std::string message;

    static PhotoOutcome done(CacheRecord record) { return {PhotoEnd::done, WhyUnreadable::damaged, std::move(record)}; }
    static PhotoOutcome unreadable(WhyUnreadable why, std::string message = {})
    {
        return {PhotoEnd::unreadable, why, std::nullopt, std::move(message)};
    }
    static PhotoOutcome changed() { return {PhotoEnd::changed, WhyUnreadable::damaged, std::nullopt}; }
};

/// A photo that could not be read, why, and what its decoder said (empty when nothing).
struct UnreadablePhoto {
    std::string rel;
    WhyUnreadable why = WhyUnreadable::damaged;
    std::string message;

    friend bool operator==(const UnreadablePhoto&, const UnreadablePhoto&) = default;
    friend auto operator<=>(const UnreadablePhoto&, const UnreadablePhoto&) = default;
};
