// The command channel's handling of replies: any bytes as the reply to any
// command, through the real channel and HID layer.
//
// The transport is a fake device node: a sequenced-packet socket in a
// scratch folder with the report descriptor and uevent files beside it, the
// way the HID layer finds a simulated node. Before each call the harness
// queues the replies on the device side, then an empty packet that reads as
// the device going away, so a call that wants more replies than the input
// holds fails at once instead of waiting out its time-out.
//
// Input: operation byte, table size (word), offset (word), length (word),
// then the replies, 64 bytes each (the last one may be shorter).
//
// Checked beyond crashes: every request the channel sends is a whole sealed
// frame, and read buffers are heap blocks of exactly the promised size, so a
// copy past them is a sanitizer report.

#include "device/command_channel.h"
#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace talven;

namespace {

// A vendor collection with 63-byte input and output reports of ID 4: the
// command interface as the configurable devices describe it.
constexpr uint8_t kCommandDescriptor[] = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x01,        //   Usage (1)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

// More than the longest call needs: a 512-byte table is ten chunks, each of
// which may read past one stray reply.
constexpr size_t kMaxReplies = 24;
constexpr size_t kMaxTransfer = 1024;

void require(bool condition) {
    if (!condition) std::abort();
}

class FakeNode {
public:
    FakeNode() {
        namespace fs = std::filesystem;
        const std::string folder = fuzz::scratchFolder();
        fs::create_directories(folder + "device");
        fuzz::writeScratchFile("device/report_descriptor",
                               {reinterpret_cast<const char*>(kCommandDescriptor), sizeof kCommandDescriptor});
        fuzz::writeScratchFile("device/uevent", "HID_ID=0003:0000320F:00005029\nHID_NAME=fuzz\n");
        const std::string node = folder + "node";
        listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        require(node.size() < sizeof addr.sun_path);
        node.copy(addr.sun_path, node.size());
        require(::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0);
        require(::listen(listener_, 1) == 0);
        require(channel.device().open(node + "#vid_320f&pid_5029&mi_01", true, true, true, false));
        peer_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        require(peer_ >= 0);
        channel.setConnected(true);
    }

    void queueReply(std::span<const uint8_t> reply) {
        require(::send(peer_, reply.data(), reply.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(reply.size()));
    }

    // Takes every request the channel sent: each is a whole frame, and a
    // sealed one unless the caller handed over its own bytes.
    void checkRequests(bool sealed) {
        Frame frame{};
        for (;;) {
            const ssize_t n = ::recv(peer_, frame.data(), frame.size(), MSG_DONTWAIT);
            if (n < 0) return;
            require(n == static_cast<ssize_t>(kFrameSize));
            require(!sealed || (frame[0] == kCommandReportId && checksumValid(frame)));
        }
    }

    // Reads what the call left unread, up to and including the empty packet
    // that always ends the queue.
    void drainReplies() {
        uint8_t scratch[kFrameSize];
        size_t got = 0;
        for (size_t i = 0; i <= kMaxReplies; ++i)
            if (!channel.device().read(scratch, sizeof scratch, 0, &got)) return;
        std::abort();  // the end marker was lost
    }

    CommandChannel channel;

private:
    int listener_ = -1;
    int peer_ = -1;
};

// A heap block of exactly `size` bytes; ASan reports any access past it.
struct ExactBuffer {
    explicit ExactBuffer(size_t size) : bytes(new uint8_t[size ? size : 1]()), length(size) {}
    std::unique_ptr<uint8_t[]> bytes;
    size_t length;
};

constexpr int kOperations = 13;
constexpr int kRawExchange = kOperations - 1;

void runOperation(CommandChannel& channel, int operation, uint16_t offset, uint16_t length) {
    ExactBuffer buffer(length);
    switch (operation) {
        case 0: channel.begin(); break;
        // end() is begin() with another command byte after a 10 ms pause;
        // leaving it out keeps the harness fast.
        case 1: {
            DeviceInfo info{};
            channel.readInfo(info);
            break;
        }
        case 2: channel.readBlock(buffer.bytes.get(), length, offset); break;
        case 3: channel.writeBlock(buffer.bytes.get(), length, offset); break;
        case 4: {
            ExactBuffer table(channel.tableSize());
            channel.readTable(table.bytes.get());
            break;
        }
        case 5: {
            ExactBuffer table(channel.tableSize());
            channel.writeTable(table.bytes.get(), offset % 2);
            break;
        }
        case 6: channel.writeShort(buffer.bytes.get(), static_cast<uint8_t>(std::min<size_t>(length, 255)), offset); break;
        case 7: channel.readShort(buffer.bytes.get(), static_cast<uint8_t>(std::min<size_t>(length, 255)), offset); break;
        case 8: {
            ExactBuffer table(channel.tableSize() / 3);
            channel.readThirdTable(table.bytes.get());
            break;
        }
        case 9: channel.writeLightFrame(buffer.bytes.get(), length); break;
        case 10: channel.writeBuffer(buffer.bytes.get(), length); break;
        case 11: channel.isOnline(); break;
        default: {
            size_t got = 0;
            channel.exchange(buffer.bytes.get(), length, buffer.bytes.get(), length, &got);
            require(got <= kFrameSize);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeNode node;
    fuzz::InputReader input(data, size);
    const int operation = input.byte() % kOperations;
    node.channel.setTableSize(input.word() % (CommandChannel::kMaxTableSize + 1));
    const uint16_t offset = input.word();
    const uint16_t length = input.word() % (kMaxTransfer + 1);
    for (size_t i = 0; i < kMaxReplies && input.remaining() > 0; ++i) node.queueReply(input.take(kFrameSize));
    node.queueReply({});
    runOperation(node.channel, operation, offset, length);
    node.checkRequests(operation != kRawExchange);
    node.drainReplies();
    return 0;
}
