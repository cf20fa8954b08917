// Feeds arbitrary bytes as speech-dispatcher's answers: to the reply reader in pieces of a
// size the first byte chooses, and to a voice listing through a socket whose other end has
// sent them and closed. Nothing may crash or hang; a reply either comes whole or fails.
#include "speech/DispatcherListing.h"

#include <cstddef>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Fits into a socket's buffer, so that the bytes are all written before they are read.
constexpr size_t MaxListingBytes = 64 * 1024;

void ReadInPieces(const char* data, qsizetype size, qsizetype piece)
{
    DispatcherReplyReader reader;
    DispatcherReplyReader::State state = DispatcherReplyReader::State::Reading;
    for (qsizetype at = 0; at < size && state == DispatcherReplyReader::State::Reading; at += piece) {
        const qsizetype n = qMin(piece, size - at);
        state = reader.Feed(data + at, n);
        if (reader.Taken() < 0 || reader.Taken() > n)
            __builtin_trap();
    }
    if (state != DispatcherReplyReader::State::Done)
        return;
    if (reader.Reply().code < 0 || reader.Reply().code > 999)
        __builtin_trap();
    for (const QByteArray& line : reader.Reply().lines) {
        if (line.contains('\n'))
            __builtin_trap();
    }
}

void List(const uint8_t* data, size_t size)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        return;
    const size_t n = size < MaxListingBytes ? size : MaxListingBytes;
    if (::write(ends[1], data, n) == ssize_t(n)) {
        ::shutdown(ends[1], SHUT_WR);
        DispatcherListing listing(ends[0], 1000);
        if (const auto modules = listing.Modules()) {
            for (const QString& module : *modules) {
                if (!listing.Voices(module))
                    break;
            }
        }
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    ReadInPieces(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1), piece);
    List(data + 1, size - 1);
    return 0;
}
