// Writing text to the terminal.
#include "model/Terminal.h"

#include "model/PathText.h"

#include <csignal>

namespace {

extern "C" void onBrokenPipe(int) {}

} // namespace

void print(std::FILE* to, const QString& text)
{
    if (std::ferror(to))
        return;
    const std::string bytes = PathText::toBytes(text);
    std::fwrite(bytes.data(), 1, bytes.size(), to);
}

void printLine(std::FILE* to, const QString& text)
{
    print(to, text);
    if (!std::ferror(to))
        std::fputc('\n', to);
}

void surviveClosedOutput()
{
    // A handler that does nothing rather than SIG_IGN: an ignored signal stays ignored in the
    // programs started from here (xdg-open, decoders), which expect the usual SIGPIPE.
    struct sigaction action{};
    action.sa_handler = onBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
}
