// The decoders' module's one exported symbol: the table of its entry points.
#include "engine/decode/BuildFingerprint.h"
#include "engine/decode/DecoderTable.h"

extern "C" __attribute__((visibility("default"))) const DecoderTable* kestovaDecoderTable()
{
    static const std::string engine = BuildFingerprint::engine();
    static const DecoderTable table{engine.c_str(), &processPhoto, &copyVideo, &BuildFingerprint::current};
    return &table;
}
