// The decoders' module's one exported symbol: the table of its entry points.
#include "engine/decode/BuildFingerprint.h"
#include "engine/decode/DecoderTable.h"

extern "C" __attribute__((visibility("default"))) const DecoderTable* kestovaDecoderTable()
{
    static const std::string engine = BuildFingerprint::engine();
    static const DecoderTable table{
        engine.c_str(),
        [](const PhotoWork& work, const FileEntry& entry, KeepThumbnail keep, PhotoExtras extras) {
            return processPhoto(work, entry, keep, extras);
        },
        [](const PhotoWork& work, std::string_view rel, const CopySource& source, const std::function<bool()>& keepGoing) {
            return copyVideo(work, rel, source, keepGoing);
        },
        [] { return BuildFingerprint::current(); },
    };
    return &table;
}
