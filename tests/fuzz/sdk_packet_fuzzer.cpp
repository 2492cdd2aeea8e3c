// The lighting network protocol as a client may send it: any bytes, cut into
// reads of any size, through one client's session, and the same bytes
// through each request decoder.
//
// Input: a byte choosing the read size (1..256), then the stream.
//
// Checked beyond crashes: the session never holds more than its bound, every
// answer it writes is a whole packet of this protocol, and a session that
// ended the connection is never fed again.

#include "fuzz_support.h"
#include "rgbsdk/sdk_session.h"

#include <cstdlib>
#include <vector>

using namespace talven;
using namespace talven::rgbsdk;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

const ControllerList& controllers() {
    static const ControllerList list = [] {
        ControllerList l(2);
        l[0].name = "pad";
        l[0].modes.resize(2);
        l[0].zones = {{"edge", kZoneLinear, 3}};
        l[0].ledNames = {"a", "b", "c"};
        l[0].colours = {1, 2, 3};
        return l;
    }();
    return list;
}

// Walks the answers packet by packet: each starts with the magic and holds
// exactly the payload its header announces.
void requireWholePackets(const std::vector<uint8_t>& out) {
    size_t at = 0;
    while (at < out.size()) {
        const HeaderResult h = parseHeader(std::span(out).subspan(at));
        require(h.status == HeaderStatus::Ok);
        require(out.size() - at - kHeaderSize >= h.header.size);
        at += kHeaderSize + h.header.size;
    }
}

void decoders(std::span<const uint8_t> bytes) {
    for (uint32_t version = 0; version <= kProtocolVersion; ++version) decodeModeUpdate(bytes, version);
    decodeUpdateLeds(bytes);
    decodeZoneLeds(bytes);
    decodeSingleLed(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    const size_t chunk = size_t{input.byte()} + 1;
    const std::span<const uint8_t> stream = input.rest();
    decoders(stream);
    SdkSession session(1);
    for (size_t at = 0; at < stream.size(); at += chunk) {
        std::vector<uint8_t> out;
        std::vector<SdkCommand> commands;
        const bool keep = session.receive(stream.subspan(at, std::min(chunk, stream.size() - at)), controllers(),
                                          out, commands);
        require(session.buffered() <= SdkSession::kMaxBuffered);
        require(!keep || out.size() <= SdkSession::kMaxUnread);
        requireWholePackets(out);
        for (const SdkCommand& c : commands) require(c.controller < controllers().size());
        if (!keep) break;
    }
    return 0;
}
