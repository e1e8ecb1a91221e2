// The Windows serial back-end against stb-sim under wine: open rules, idle-line deadlines,
// the connection test, the chunk table and a packet dump compared with the simulator's flash.
// Built with the mingw cross compiler from the Qt-free serial and link sources only.
#include "link/CSerialPort.h"
#include "link/CUpgradeLink.h"
#include "link/LinkStatus.h"
#include "link/StbInfo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A Linux pseudo-terminal behind a wine COM port takes no parity for long (wine's tcsetattr gets
// EINVAL once parity was set), and the simulator ignores it: the line runs 8N1 here.
constexpr int kNoParity = 0;

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const std::string &what)
{
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    ++(ok ? g_passed : g_failed);
}

// The simulator's fresh image keeps its default database chunk here (see tools/stb-sim).
constexpr uint32_t kDumpStart = 0x70000;
constexpr uint32_t kDumpLength = 4096;

bool ReadFileRange(const char *path, uint32_t offset, uint32_t count, std::vector<uint8_t> &out)
{
    std::FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    out.assign(count, 0);
    const bool ok = std::fseek(file, long(offset), SEEK_SET) == 0 && std::fread(out.data(), 1, count, file) == count;
    std::fclose(file);
    return ok;
}

void ClosedPortRules()
{
    Check(CSerialPort::DevicePathForPort(7) == "\\\\.\\COM7", "port 7 is \\\\.\\COM7");
    CSerialPort port;
    uint8_t byte = 0;
    Check(port.PortClose() == 1, "closing a port never opened succeeds");
    Check(port.PortWrite(&byte, 1) == 0, "a closed port writes nothing");
    Check(port.PortRead(&byte, 1) == 0, "a closed port reads nothing");
    Check(port.PortInQueue() == 0, "a closed port has no input");
    Check(port.PortReadExact(&byte, 0, 0) == 1, "an exact read of 0 bytes succeeds at once");
    Check(port.PortReadExact(&byte, 1, 20) == 0, "an exact read on a closed port fails");
    Check(port.PortPurgeRx() == 0 && port.PortPurgeTx() == 0, "a closed port purges nothing");
    Check(port.PortOpen(0, 115200, kNoParity, 1) == 0, "port 0 does not open");
    Check(port.PortOpen(250, 115200, kNoParity, 1) == 0 && !port.IsOpen(), "a port wine does not map does not open");
}

void LineChecks(int portNumber)
{
    CSerialPort port;
    Check(port.PortOpen(portNumber, 115200, 9, 1) == 0 && !port.IsOpen(), "an unknown parity code is refused");
    Check(port.PortOpen(portNumber, 0, kNoParity, 1) == 0, "a bit rate of 0 is refused");
    const bool opened = port.PortOpen(portNumber, 115200, kNoParity, 1) == 1;
    Check(opened && port.IsOpen(), "COM" + std::to_string(portNumber) + " opens at 115200 8N1");
    if (!opened)
        return;
    // The simulator says nothing until it is spoken to.
    Check(port.PortInQueue() == 0, "an idle line has no input");
    uint8_t buffer[4] = {};
    const auto start = std::chrono::steady_clock::now();
    const int got = port.PortReadExact(buffer, 1, 150);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    Check(got == 0, "an exact read on an idle line fails");
    Check(waited.count() >= 140 && waited.count() < 2000,
          "and it waits out its 150 ms deadline (" + std::to_string(waited.count()) + " ms)");
    Check(port.PortRead(buffer, sizeof buffer) == 0, "a read returns at once with nothing");
    Check(port.PortPurgeRx() == 1, "the receive buffer is purged");
    Check(port.PortPurgeTx() == 1, "the transmit buffer is purged");
    Check(port.PortClose() == 1 && !port.IsOpen(), "the port closes");
    Check(port.PortClose() == 1, "and closes again");
    const std::string typed = "com" + std::to_string(portNumber);
    Check(port.PortOpenDevice(typed, 115200, kNoParity, 1) == 1, "a typed \"" + typed + "\" opens the same port");
    Check(port.PortOpenDevice("COM5x", 115200, kNoParity, 1) == 0, "\"COM5x\" is no port name");
    port.PortClose();
}

void LinkExchange(int portNumber, const char *flashPath)
{
    CUpgradeLink link;
    const int opened = link.LinkOpenPort(portNumber, 115200, kNoParity, 1);
    Check(opened == kLinkOk, "the link opens the port");
    if (opened != kLinkOk)
        return;

    uint32_t version = 0;
    const int tested = link.TestConnection(version, LinkProgress(), LinkCancel());
    Check(tested == kLinkOk, "connection test (comtest) passes, status " + std::to_string(tested));
    Check(version == 0x30, "the packet-form receiver answers with the complemented banner");
    if (tested != kLinkOk) {
        link.LinkClosePort();
        return;
    }
    link.SetProtocolVersion(uint8_t(version));

    StbInfo info;
    const int asked = link.GetStbInfo(version, info);
    Check(asked == kLinkOk, "the version and chunk table come in packets, status " + std::to_string(asked));
    Check(info.chunkCount >= 2 && info.chunkCount <= kMaxStbChunks,
          "the chunk table holds " + std::to_string(info.chunkCount) + " chunks");
    Check(info.flashSize == 0x200000, "the flash is 2 MiB");

    std::vector<uint8_t> dumped(kDumpLength + 1024, 0);
    uint32_t length = 0;
    const int dump = link.DumpFlash(dumped.data(), dumped.size(), length, LinkProgress(), LinkCancel(), kDumpStart,
                                    kDumpLength);
    Check(dump == kLinkOk, "a 4 KiB packet dump from 0x70000 passes, status " + std::to_string(dump));
    Check(length == kDumpLength, "and delivers " + std::to_string(length) + " bytes");
    std::vector<uint8_t> expected;
    if (ReadFileRange(flashPath, kDumpStart, kDumpLength, expected)) {
        dumped.resize(kDumpLength);
        Check(dumped == expected, "the dumped bytes are the simulator's flash");
    } else {
        Check(false, std::string("the flash image ") + flashPath + " can be read");
    }
    Check(link.LinkClosePort() == kLinkOk && !link.Port().IsOpen(), "the link closes the port");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: serial-wine-check PORT-NUMBER FLASH.abs\n");
        return 2;
    }
    const int portNumber = std::atoi(argv[1]);
    if (portNumber < 1 || portNumber > 255) {
        std::fprintf(stderr, "serial-wine-check: bad port number %s\n", argv[1]);
        return 2;
    }
    ClosedPortRules();
    LineChecks(portNumber);
    LinkExchange(portNumber, argv[2]);
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
