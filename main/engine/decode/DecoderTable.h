// What the decoders' module gives the program that loads it: the entry points of the work
// that needs the image and video libraries. A program that decodes only now and then (the
// window, the command line) loads the module on first use; the worker and the tests link the
// same functions directly.
#pragma once

#include "engine/decode/PhotoWork.h"

#include <functional>
#include <string>
#include <string_view>

struct DecoderTable {
    /// BuildFingerprint::engine() of the build the module belongs to: a module of another
    /// build is not used, since these entries' types may differ in it.
    const char* engine;
    PhotoOutcome (*processPhoto)(const PhotoWork&, const FileEntry&, KeepThumbnail, PhotoExtras);
    PhotoOutcome (*copyVideo)(const PhotoWork&, std::string_view, const CopySource&, const std::function<bool()>&);
    std::string (*fingerprint)();
};

/// The module's file, and the function in it that returns its table.
inline constexpr const char* decoderModuleName = "kestova-decoders.so";
inline constexpr const char* decoderTableSymbol = "kestovaDecoderTable";
