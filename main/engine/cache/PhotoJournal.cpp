// The record of photos in flight.
#include "engine/cache/PhotoJournal.h"

#include "engine/base/AtomicFile.h"
#include "engine/base/Json.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace {

struct Line {
    char tag = 0;
    std::int64_t numbers[3] = {0, 0, 0};
    std::string rel;
};

/// One line of the file; nothing when it is torn or not ours.
std::optional<Line> parseLine(std::string_view text)
{
    Line line;
    if (text.size() < 2 || text[1] != ' ')
        return std::nullopt;
    line.tag = text[0];
    const int numbers = line.tag == 'D'                                                          ? 3
                        : line.tag == 'S' || line.tag == 'X'                                     ? 2
                        : (line.tag == 'E' || line.tag == 'H' || line.tag == 'C' || line.tag == 'F') ? 0
                                                                                                 : -1;
    if (numbers < 0)
        return std::nullopt;
    std::size_t pos = 2;
    for (int i = 0; i < numbers; ++i) {
        const auto [end, error] = std::from_chars(text.data() + pos, text.data() + text.size(), line.numbers[i]);
        if (error != std::errc() || end == text.data() + text.size() || *end != ' ')
            return std::nullopt;
        pos = static_cast<std::size_t>(end - text.data()) + 1;
    }
    if (!Json::readString(text, pos, line.rel) || pos != text.size())
        return std::nullopt;
    return line;
}

std::string eventLine(char tag, const std::string& rel)
{
    std::string line{tag, ' '};
    Json::appendString(line, rel);
    line += '\n';
    return line;
}

/// A line of a photo's event that names the file's size and time too.
std::string eventLine(char tag, const FileEntry& entry)
{
    std::string line{tag, ' '};
    line += std::to_string(entry.size) + ' ' + std::to_string(entry.mtime) + ' ';
    Json::appendString(line, entry.rel);
    line += '\n';
    return line;
}

/// What a worker thread's crash writes, set while the thread processes a photo. The handler
/// can only reach the crashing thread's own state, and must not allocate: the line is made
/// beforehand, and the descriptor is the thread's own duplicate, so that it stays valid even
/// for a worker left behind after its run closed the journal.
struct CrashNote {
    int fd = -1;
    std::string line;
    ~CrashNote()
    {
        if (fd >= 0)
            ::close(fd);
    }
};
thread_local CrashNote crashNote;

/// A stack of its own for the fault handler, per worker thread: a decoder's runaway recursion
/// leaves no room on the thread's stack for the handler to run on.
struct AltStack {
    AltStack()
    {
        stack_t stack{};
        stack.ss_size = 64 * 1024;
        stack.ss_sp = std::malloc(stack.ss_size);
        if (stack.ss_sp && sigaltstack(&stack, nullptr) == 0)
            memory = stack.ss_sp;
        else
            std::free(stack.ss_sp);
    }
    ~AltStack()
    {
        if (!memory)
            return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        std::free(memory);
    }
    void* memory = nullptr;
};

constexpr std::array fatalSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

/// The handlers that were installed before ours, put back when a fault is handled. Written once,
/// before any fault can reach the handler; the process has one set of signal handlers, so this
/// table is the process's too.
std::array<struct sigaction, NSIG>& previousHandlers()
{
    static std::array<struct sigaction, NSIG> previous{};
    return previous;
}

extern "C" void onFault(int signal, siginfo_t* info, void*)
{
    // A fault of the code itself (si_code > 0) or an abort() by it; the same signal sent from
    // outside is no decoder's crash.
    const bool crash = info && (info->si_code > 0 || info->si_pid == getpid());
    if (crash && crashNote.fd >= 0) {
        [[maybe_unused]] const auto written = ::write(crashNote.fd, crashNote.line.data(), crashNote.line.size());
    }
    sigaction(signal, &previousHandlers()[static_cast<std::size_t>(signal)], nullptr);
    // Returning from a fault runs the faulting instruction again, now under the previous
    // handler; a signal that was sent has to be sent again.
    if (!info || info->si_code <= 0)
        raise(signal);
}

void installFaultHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action{};
        action.sa_sigaction = onFault;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (const int signal : fatalSignals)
            sigaction(signal, &action, &previousHandlers()[static_cast<std::size_t>(signal)]);
    });
}

} // namespace

PhotoJournal::PhotoJournal(std::filesystem::path file_, const std::vector<FileEntry>& entries, std::string fingerprint_,
                           bool retryPassedOver)
    : file(std::move(file_)), fingerprint(std::move(fingerprint_))
{
    const auto text = AtomicFile::read(file);
    if (!text)
        return;
    std::unordered_map<std::string, Count> read;
    std::unordered_map<std::string, Count> started;
    std::unordered_set<std::string> crashed;
    std::unordered_map<std::string, Count> crashedInWorker;
    std::string writtenBy;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto newline = rest.find('\n');
        if (newline == std::string_view::npos)
            break; // a line cut short by the end of its run
        const auto line = parseLine(rest.substr(0, newline));
        rest.remove_prefix(newline + 1);
        if (!line)
            continue;
        switch (line->tag) {
        case 'F':
            writtenBy = line->rel;
            break;
        case 'D':
            read[line->rel] = Count{static_cast<int>(std::clamp<std::int64_t>(line->numbers[0], 0, deathsToPassOver)),
                                    line->numbers[1], line->numbers[2]};
            break;
        case 'S':
            started[line->rel] = Count{0, line->numbers[0], line->numbers[1]};
            break;
        case 'E':
            started.erase(line->rel);
            read.erase(line->rel);
            break;
        case 'H':
            // The run went on without it: neither a death nor a crash.
            started.erase(line->rel);
            break;
        case 'C':
            crashed.insert(line->rel);
            break;
        case 'X': {
            // Counted now: its end, which follows, forgets what came before.
            const auto carried = read.find(line->rel);
            crashedInWorker[line->rel] =
                (carried != read.end() ? carried->second : Count{}).then(1, line->numbers[0], line->numbers[1]);
            break;
        }
        }
    }
    for (auto& [rel, count] : crashedInWorker)
        read[rel] = count;
    // Whatever was started and never ended was in flight when the run died: a suspect, and one
    // crash more when the decoder crashed on it.
    for (auto& [rel, start] : started) {
        auto& count = read[rel];
        count = count.then(crashed.contains(rel) ? 1 : 0, start.size, start.mtime);
    }
    if (read.empty())
        return;
    // Another build may have mended the crash: one more try each, alone.
    const bool retry = retryPassedOver || writtenBy != fingerprint;
    for (const FileEntry& entry : entries) {
        const auto it = read.find(entry.rel);
        if (it == read.end() || it->second.size != entry.size || it->second.mtime != entry.mtime)
            continue;
        Count count = it->second;
        if (retry && count.deaths >= deathsToPassOver)
            count.deaths = deathsToPassOver - 1;
        counts.emplace(entry.rel, count);
    }
}

bool PhotoJournal::passesOver(const FileEntry& entry) const
{
    std::lock_guard guard(mutex);
    const auto it = counts.find(entry.rel);
    return it != counts.end() && it->second.deaths >= deathsToPassOver;
}

bool PhotoJournal::isSuspect(const FileEntry& entry) const
{
    std::lock_guard guard(mutex);
    return counts.contains(entry.rel);
}

std::string PhotoJournal::countLines() const
{
    std::string text = eventLine('F', fingerprint);
    for (const auto& [rel, count] : counts) {
        text += "D " + std::to_string(count.deaths) + ' ' + std::to_string(count.size) + ' ' + std::to_string(count.mtime) + ' ';
        Json::appendString(text, rel);
        text += '\n';
    }
    return text;
}

void PhotoJournal::open()
{
    std::lock_guard guard(mutex);
    // The counts so far, written whole, then this run's events appended one line at a time. A
    // journal that cannot be written is not kept: the run goes on without one.
    if (const auto failed = AtomicFile::write(file, countLines()))
        return;
    // Not through a link planted after the write above: the journal lives in the wall's folder only.
    fd = UniqueFd(::open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
    if (fd)
        installFaultHandler();
}

void PhotoJournal::append(const std::string& line)
{
    // One write per line: a run killed at any moment leaves whole lines, or a last line without
    // its line break, which the reader ignores. No fsync: the lines must survive the process,
    // not the machine.
    if (fd)
        (void)writeAll(fd.get(), line);
}

PhotoJournal::Flight PhotoJournal::begin(const FileEntry& entry)
{
    std::unique_lock guard(mutex);
    const bool suspect = counts.contains(entry.rel);
    ++waitingCount;
    if (suspect)
        turn.wait(guard, [&] { return gaveUp || (!alone && inFlight.empty()); });
    else
        turn.wait(guard, [&] { return gaveUp || !alone; });
    --waitingCount;
    if (gaveUp)
        return Flight();
    alone = suspect;
    inFlight.insert_or_assign(entry.rel, Count{0, entry.size, entry.mtime});
    append(eventLine('S', entry));
    if (fd) {
        thread_local AltStack altStack;
        if (crashNote.fd < 0)
            crashNote.fd = fcntl(fd.get(), F_DUPFD_CLOEXEC, 0);
        crashNote.line = eventLine('C', entry.rel);
    }
    return Flight(this, entry.rel);
}

std::size_t PhotoJournal::waiting() const
{
    std::lock_guard guard(mutex);
    return waitingCount;
}

void PhotoJournal::end(const std::string& rel)
{
    // This thread's crashes from now on are no longer this photo's.
    crashNote.line.clear();
    if (crashNote.fd >= 0) {
        ::close(crashNote.fd);
        crashNote.fd = -1;
    }
    {
        std::lock_guard guard(mutex);
        // A photo given up on keeps its count even if it comes back after all.
        if (inFlight.erase(rel) == 0)
            return;
        alone = false;
        counts.erase(rel);
        if (const auto crash = workerCrashes.find(rel); crash != workerCrashes.end())
            counts.insert(*crash);
        append(eventLine('E', rel));
    }
    turn.notify_all();
}

void PhotoJournal::settled(const std::string& rel)
{
    std::lock_guard guard(mutex);
    if (const auto it = counts.find(rel); it != counts.end() && it->second.deaths == 0)
        counts.erase(it);
}

void PhotoJournal::crashed(const FileEntry& entry)
{
    std::lock_guard guard(mutex);
    const auto carried = counts.find(entry.rel);
    workerCrashes[entry.rel] = (carried != counts.end() ? carried->second : Count{}).then(1, entry.size, entry.mtime);
    append(eventLine('X', entry));
}

PhotoJournal::Flight::~Flight()
{
    if (journal)
        journal->end(rel);
}

std::vector<std::string> PhotoJournal::giveUp()
{
    std::vector<std::string> given;
    {
        std::lock_guard guard(mutex);
        gaveUp = true;
        for (const auto& [rel, start] : inFlight) {
            append(eventLine('H', rel));
            given.push_back(rel);
        }
        inFlight.clear();
    }
    turn.notify_all();
    std::sort(given.begin(), given.end());
    return given;
}

void PhotoJournal::close()
{
    std::lock_guard guard(mutex);
    (void)fd.close();
    if (counts.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        return;
    }
    (void)AtomicFile::write(file, countLines());
}
