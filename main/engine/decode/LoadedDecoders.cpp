// The decoders' entry points in a program that loads them on first use: the window and the
// command line then start without the image and video libraries (some 150 of them), which a
// no-op update never needs.
#include "engine/base/BesideProgram.h"
#include "engine/base/JobErrors.h"
#include "engine/decode/BuildFingerprint.h"
#include "engine/decode/DecoderTable.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>

namespace {

/// The module beside the program (the build tree) or where it is installed; a clear JobError
/// when neither place holds a module of this build.
const DecoderTable& decoders()
{
    static std::once_flag once;
    static const DecoderTable* table = nullptr;
    static std::string failure;
    std::call_once(once, [] {
        const std::string engine = BuildFingerprint::engine();
        for (const std::filesystem::path& candidate : BesideProgram::places(decoderModuleName, KESTOVA_LIBEXEC_FROM_BIN)) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(candidate, ec))
                continue;
            // Never unloaded: threads of the image libraries outlive every call.
            void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
            if (!module) {
                failure = ::dlerror();
                continue;
            }
            using Entry = const DecoderTable* (*)();
            const auto entry = reinterpret_cast<Entry>(::dlsym(module, decoderTableSymbol));
            const DecoderTable* found = entry ? entry() : nullptr;
            if (found && engine == found->engine) {
                table = found;
                return;
            }
            failure = candidate.string() + (found ? " is of another build" : " is no decoder module");
        }
        if (failure.empty())
            failure = std::string(decoderModuleName) + " not found";
    });
    if (!table)
        throw JobError(JobErrorTexts::decodersMissing, {failure});
    return *table;
}

} // namespace

PhotoOutcome processPhoto(const PhotoWork& work, const FileEntry& entry, KeepThumbnail keep, PhotoExtras extras)
{
    return decoders().processPhoto(work, entry, keep, extras);
}

PhotoOutcome copyVideo(const PhotoWork& work, std::string_view rel, const CopySource& source,
                       const std::function<bool()>& keepGoing)
{
    return decoders().copyVideo(work, rel, source, keepGoing);
}

namespace BuildFingerprint {

std::string current()
{
    return decoders().fingerprint();
}

} // namespace BuildFingerprint
