// Writing text to the terminal.
#include "model/Terminal.h"

#include "model/PathText.h"

void print(std::FILE* to, const QString& text)
{
    const std::string bytes = PathText::toBytes(text);
    std::fwrite(bytes.data(), 1, bytes.size(), to);
}

void printLine(std::FILE* to, const QString& text)
{
    print(to, text);
    std::fputc('\n', to);
}
