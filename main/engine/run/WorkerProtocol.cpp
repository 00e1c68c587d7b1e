// The bytes of the messages between a run and its decoding workers.
#include "engine/run/WorkerProtocol.h"

#include "engine/base/UniqueFd.h"
#include "engine/cache/CacheFormat.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace WorkerProtocol {
namespace {

/// Far beyond any record or failure; a length past it is a worker that wrote garbage.
constexpr std::uint32_t longestFrame = 16u << 20;

class Writer {
public:
    void byte(std::uint8_t value) { bytes.push_back(static_cast<char>(value)); }
    void number(std::int64_t value)
    {
        auto bits = static_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i, bits >>= 8)
            byte(static_cast<std::uint8_t>(bits & 0xff));
    }
    void text(std::string_view value)
    {
        number(static_cast<std::int64_t>(value.size()));
        bytes.append(value);
    }
    std::string bytes;
};

/// Reads what Writer wrote; once anything is missing or out of range, every read fails.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest(bytes) {}
    std::optional<std::uint8_t> byte()
    {
        if (rest.empty())
            return std::nullopt;
        const auto value = static_cast<std::uint8_t>(rest.front());
        rest.remove_prefix(1);
        return value;
    }
    std::optional<std::int64_t> number()
    {
        if (rest.size() < 8)
            return std::nullopt;
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | static_cast<std::uint8_t>(rest[static_cast<std::size_t>(i)]);
        rest.remove_prefix(8);
        return static_cast<std::int64_t>(bits);
    }
    std::optional<std::string> text()
    {
        const auto size = number();
        if (!size || *size < 0 || static_cast<std::uint64_t>(*size) > rest.size())
            return std::nullopt;
        std::string value(rest.substr(0, static_cast<std::size_t>(*size)));
        rest.remove_prefix(static_cast<std::size_t>(*size));
        return value;
    }
    bool atEnd() const { return rest.empty(); }

private:
    std::string_view rest;
};

enum Tag : std::uint8_t { hello = 'H', request = 'R', outcome = 'O', failure = 'F' };
/// A record crosses as the cache file's text of it: one reader and one writer of its positions.
void writeRecord(Writer& w, const CacheRecord& record)
{
    w.text(CacheFormat::recordText(record));
}

std::optional<CacheRecord> readRecord(Reader& r)
{
    const auto text = r.text();
    return text ? CacheFormat::parseRecord(*text) : std::nullopt;
}

template <typename Enum>
std::optional<Enum> enumAt(std::optional<std::uint8_t> byte, Enum last)
{
    if (!byte || *byte > static_cast<std::uint8_t>(last))
        return std::nullopt;
    return static_cast<Enum>(*byte);
}

/// The sentences a photo's work may fail with when the machine fails; a worker sends the text,
/// and the run's error holds the engine's own constant again.
constexpr std::array machineSentences{JobErrorTexts::outOfResources, JobErrorTexts::wallUnwritable,
                                      JobErrorTexts::writeFailed, JobErrorTexts::folderFailed,
                                      JobErrorTexts::folderBlocked, JobErrorTexts::linkRefused};

} // namespace

std::string encode(const Hello& hello)
{
    Writer w;
    w.byte(Tag::hello);
    w.text(hello.fingerprint);
    w.text(hello.root.native());
    w.text(hello.out.native());
    w.byte((hello.fillPreviews ? 1 : 0) | (hello.portable ? 2 : 0));
    return std::move(w.bytes);
}

std::string encode(const Request& request)
{
    Writer w;
    w.byte(Tag::request);
    const FileEntry& e = request.entry;
    w.text(e.rel);
    w.number(e.size);
    w.number(e.mtime);
    w.text(e.motion);
    w.number(e.ctimeNs);
    w.number(e.inode);
    const bool copy = !request.copySource.empty();
    w.byte((request.remakeThumbnail ? 1 : 0) | (request.previews ? 2 : 0) | (request.remakePreview ? 4 : 0)
           | (copy ? 8 : 0) | (request.copySourceInWall ? 16 : 0));
    if (copy)
        w.text(request.copySource);
    return std::move(w.bytes);
}

std::string encode(const Reply& reply)
{
    Writer w;
    if (const auto* photo = std::get_if<PhotoOutcome>(&reply)) {
        w.byte(Tag::outcome);
        w.byte(static_cast<std::uint8_t>(photo->end));
        w.byte(static_cast<std::uint8_t>(photo->why));
        w.text(photo->message);
        w.byte(photo->record ? 1 : 0);
        if (photo->record)
            writeRecord(w, *photo->record);
    } else {
        const auto& failed = std::get<Failure>(reply);
        w.byte(Tag::failure);
        w.text(failed.pattern);
        w.number(static_cast<std::int64_t>(failed.arguments.size()));
        for (const std::string& argument : failed.arguments)
            w.text(argument);
        w.number(failed.systemError);
    }
    return std::move(w.bytes);
}

std::optional<Hello> decodeHello(std::string_view bytes)
{
    Reader r(bytes);
    if (r.byte() != Tag::hello)
        return std::nullopt;
    auto fingerprint = r.text();
    auto root = r.text();
    auto out = r.text();
    const auto fill = r.byte();
    if (!fingerprint || !root || !out || !fill || !r.atEnd())
        return std::nullopt;
    return Hello{std::move(*fingerprint), std::move(*root), std::move(*out), (*fill & 1) != 0, (*fill & 2) != 0};
}

std::optional<Request> decodeRequest(std::string_view bytes)
{
    Reader r(bytes);
    if (r.byte() != Tag::request)
        return std::nullopt;
    auto rel = r.text();
    const auto size = r.number();
    const auto mtime = r.number();
    auto motion = r.text();
    const auto ctimeNs = r.number();
    const auto inode = r.number();
    const auto flags = r.byte();
    if (!rel || !size || !mtime || !motion || !ctimeNs || !inode || !flags)
        return std::nullopt;
    std::optional<std::string> copySource = std::string();
    if (*flags & 8) {
        copySource = r.text();
        if (!copySource || copySource->empty())
            return std::nullopt;
    }
    if (!r.atEnd())
        return std::nullopt;
    return Request{FileEntry{std::move(*rel), *size, *mtime, std::move(*motion), *ctimeNs, *inode}, (*flags & 1) != 0,
                   (*flags & 2) != 0, (*flags & 4) != 0, std::move(*copySource), (*flags & 16) != 0};
}

std::optional<Reply> decodeReply(std::string_view bytes)
{
    Reader r(bytes);
    const auto tag = r.byte();
    if (tag == Tag::outcome) {
        const auto end = enumAt(r.byte(), PhotoEnd::passedOver);
        const auto why = enumAt(r.byte(), WhyUnreadable::passedOver);
        auto message = r.text();
        const auto hasRecord = r.byte();
        if (!end || !why || !message || !hasRecord)
            return std::nullopt;
        PhotoOutcome photo{*end, *why, std::nullopt, std::move(*message)};
        if (*hasRecord) {
            photo.record = readRecord(r);
            if (!photo.record)
                return std::nullopt;
        }
        if (!r.atEnd())
            return std::nullopt;
        return photo;
    }
    if (tag == Tag::failure) {
        Failure failed;
        auto pattern = r.text();
        const auto count = r.number();
        if (!pattern || !count || *count < 0 || *count > 64)
            return std::nullopt;
        failed.pattern = std::move(*pattern);
        for (std::int64_t i = 0; i < *count; ++i) {
            auto argument = r.text();
            if (!argument)
                return std::nullopt;
            failed.arguments.push_back(std::move(*argument));
        }
        const auto systemError = r.number();
        if (!systemError || !r.atEnd())
            return std::nullopt;
        failed.systemError = static_cast<int>(*systemError);
        return failed;
    }
    return std::nullopt;
}

Failure failureOf(const JobError& error)
{
    return {error.pattern(), error.arguments(), error.systemError()};
}

std::optional<JobError> errorOf(const Failure& failure)
{
    for (const char* sentence : machineSentences) {
        if (failure.pattern == sentence)
            return JobError(sentence, failure.arguments, failure.systemError);
    }
    return std::nullopt;
}

namespace {

bool sendAll(int fd, std::string_view bytes)
{
    return writeAllWith(bytes, [fd](const char* data, std::size_t size) { return ::send(fd, data, size, MSG_NOSIGNAL); });
}

bool readAll(int fd, char* into, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, into, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool writeFrame(int fd, std::string_view bytes)
{
    std::string frame;
    frame.reserve(4 + bytes.size());
    for (int shift = 0; shift < 32; shift += 8)
        frame.push_back(static_cast<char>((bytes.size() >> shift) & 0xff));
    frame.append(bytes);
    return sendAll(fd, frame);
}

std::optional<std::string> readFrame(int fd)
{
    unsigned char length[4];
    if (!readAll(fd, reinterpret_cast<char*>(length), 4))
        return std::nullopt;
    const std::uint32_t size = length[0] | (length[1] << 8) | (length[2] << 16) | (std::uint32_t(length[3]) << 24);
    if (size > longestFrame)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (!readAll(fd, bytes.data(), size))
        return std::nullopt;
    return bytes;
}

} // namespace WorkerProtocol
