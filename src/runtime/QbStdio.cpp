// The C STDIO module: default words.
#include "runtime/QbStdio.h"

#include <array>

namespace {
constexpr std::array<const char*, QbStdio::WordTotal> DefaultWordList = {
    // 1-9: streams, seek constants, types
    "stdin", "stdout", "stderr", "SEEK_CUR", "SEEK_END", "SEEK_SET", "size_t", "fpos_t", "FILE",
    // 10-29
    "clearerr", "fclose", "fflush", "fgetc", "fgetpos", "fgets", "fopen", "fprintf", "fputc",
    "fputs", "fread", "freopen", "fscanf", "fseek", "fsetpos", "ftell", "fwrite", "gets", "perror",
    "printf",
    // 30-49
    "puts", "remove", "rename", "rewind", "scanf", "setbuf", "setvbuf", "sprintf", "sscanf",
    "strerror", "tmpfile", "tmpnam", "ungetc", "vfprintf", "vfscanf", "vprintf", "vscanf",
    "vsprintf", "vsscanf", "getc",
    // 50-65
    "getchar", "putchar", "putc", "feof", "ferror", "flushall", "fdopen", "fputchar", "fgetchar",
    "fileno", "fcloseall", "tempnam", "rmtmp", "unlink", "getw", "putw"};
} // namespace

std::uint16_t QbStdio::DefaultWords()
{
    return FillDefaults("STDIO", DefaultWordList.data(), WordTotal);
}

std::uint8_t QbStdio::ModuleNumber(std::uint8_t& /*counter*/)
{
    return 137;
}

std::uint8_t QbStdio::WordCategory() const
{
    return WordStyle::Stdio;
}
